#include "presets/menuComponent.h"

#include "presets/embeddedResources.h"

#include "presets/infoWindow.h"

namespace quenwick
{

namespace
{
    /** A picture embedded by the artwork tool; a null image when it is missing. */
    struct ButtonSpec
    {
        const char* normalImage;
        const char* secondImage;
        bool isToggle;
        juce::Rectangle<int> bounds; // design units
    };

    // Indexed by MenuComponent::ButtonIndex.
    const ButtonSpec buttonSpecs[MenuComponent::numButtons] = {
        { "temp6_png",  "temp14_png", true,  { 20, 28, 46, 46 } },    // bypass
        { "temp38_png", "temp35_png", false, { 102, 28, 46, 46 } },   // home page
        { "temp1_png",  "temp9_png",  false, { 158, 25, 45, 45 } },   // info
        { "temp24_png", "temp12_png", false, { 210, 25, 56, 56 } },   // manuals
        { "temp17_png", "temp8_png",  false, { 620, 26, 44, 44 } },   // load
        { "temp13_png", "temp39_png", false, { 710, 26, 44, 44 } },   // presets menu
        { "temp41_png", "temp28_png", false, { 795, 29, 40, 40 } },   // previous
        { "temp29_png", "temp25_png", false, { 1490, 29, 40, 40 } },  // next
        { "temp40_png", "temp26_png", false, { 1578, 29, 40, 40 } },  // save
        { "temp33_png", "temp11_png", false, { 1667, 26, 44, 44 } },  // delete
        { "temp32_png", "temp30_png", true,  { 1755, 32, 35, 35 } },  // slot A
        { "temp16_png", "temp4_png",  false, { 1810, 30, 35, 35 } },  // copy to both slots
        { "temp27_png", "temp10_png", true,  { 1865, 32, 35, 35 } },  // slot B
    };

    using namespace PresetTree;

    bool isFolder (const juce::ValueTree& node) { return node.hasType (folderType); }

    /** Closes the popup menus (and their sub-menus) that show with this look-and-feel.
        The framework would only notice that their target is gone at the next mouse event,
        and would keep drawing them meanwhile. Menus of other instances are left alone. */
    void dismissMenusUsing (juce::LookAndFeel& look)
    {
        auto& desktop = juce::Desktop::getInstance();

        for (int i = desktop.getNumComponents(); --i >= 0;)
        {
            if (auto* window = desktop.getComponent (i); window != nullptr && &window->getLookAndFeel() == &look)
            {
                window->setLookAndFeel (nullptr);

                // Ends the menu as "nothing chosen"; the framework deletes the window later.
                if (window->isCurrentlyModal (false))
                    window->exitModalState (0);
            }
        }
    }

    bool isWithin (const juce::ValueTree& ancestor, const juce::ValueTree& node)
    {
        for (auto n = node; n.isValid(); n = n.getParent())
            if (n == ancestor)
                return true;
        return false;
    }
}

//==============================================================================
MenuComponent::MenuComponent (Menu& store)
    : menu (store)
{
    auto backgroundPicture = loadPicture ("temp15_png");
    background = std::make_unique<juce::ImageComponent>();
    background->setImage (backgroundPicture, juce::RectanglePlacement::stretchToFit);
    addAndMakeVisible (*background);

    createButtons();

    if (menu.parameterState != nullptr)
        bypassAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (
            *menu.parameterState, menu.bypassParameterId, *buttons[bypassButton]);

    buttons[menu.compareSlot != 0 ? slotBButton : slotAButton]->setToggleState (true, juce::dontSendNotification);

    presetLabel = std::make_unique<Label>();
    presetLabel->listeners.add (this);
    addAndMakeVisible (*presetLabel);

    loadMenu (true);

    setSize (backgroundPicture.getWidth() / 2, backgroundPicture.getHeight() / 2);

    runUpdateCheck();

    startTimer (stateCheckIntervalMs);
}

MenuComponent::~MenuComponent()
{
    stopTimer();
    menu.stateChanged.exchange (false);

    if (popupMenu != nullptr)
        popupMenu->setLookAndFeel (nullptr);

    // A menu still open on screen must neither outlive its look-and-feel nor act later.
    dismissMenusUsing (popupLookAndFeel);

    // The remaining members go in reverse order of declaration: the attachment before
    // the button it binds, the label and menu before the look-and-feel they use.
}

void MenuComponent::createButtons()
{
    auto buttonFactory = [this] (const juce::Image& normalImage, const juce::Image& secondImage, bool isToggle)
    {
        auto button = std::make_unique<juce::ImageButton>();
        const auto clear = juce::Colours::transparentBlack;

        // Toggle buttons keep their normal picture on hover, so "on" is never ambiguous.
        button->setImages (true, true, true,
                           normalImage, 1.0f, clear,
                           isToggle ? juce::Image() : secondImage, 1.0f, clear,
                           secondImage, 1.0f, clear,
                           0.0f);

        if (isToggle)
            button->setClickingTogglesState (true);

        button->addListener (this);
        button->setTransform (juce::AffineTransform::scale (0.5f));
        addAndMakeVisible (*button);
        buttons.push_back (std::move (button));
    };

    for (const auto& spec : buttonSpecs)
        buttonFactory (loadPicture (spec.normalImage), loadPicture (spec.secondImage), spec.isToggle);
}

juce::Rectangle<int> MenuComponent::getButtonBounds (int index)
{
    jassert (index >= 0 && index < numButtons);
    return buttonSpecs[index].bounds;
}

void MenuComponent::resized()
{
    background->setBounds (getLocalBounds());
    presetLabel->setBounds (labelX, labelY, labelWidth, labelHeight);

    for (size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setBounds (getButtonBounds ((int) i));
}

//==============================================================================
void MenuComponent::loadMenu (bool refresh)
{
    auto current = menu.currentPreset;

    if (refresh)
    {
        int index = 0;

        if (auto parent = current.getParent(); parent.isValid())
        {
            for (const auto& child : parent)
            {
                if (child == current)
                    break;
                if (child.hasType (presetType))
                    ++index;
            }
        }

        if (current.isValid() && current == menu.getDefaultTree())
            index = 0;

        const auto name = menu.getPresetFile (current).getFileNameWithoutExtension();
        const auto factory = current.isValid() && menu.getCategoryOfValueTree (current) == Menu::Factory;

        presetLabel->presetIndex = index;
        presetLabel->presetName = name;
        presetLabel->isFactory = factory;
        presetLabel->nameLabel.setText (name, juce::dontSendNotification);
        presetLabel->repaint();
    }

    popupMenu = std::make_unique<juce::PopupMenu>();
    popupMenu->setLookAndFeel (&popupLookAndFeel);
    popupMenu->clear();

    nextItemId = 1;
    currentPresetItemId = 0;

    addMenuItems (*popupMenu, menu.getCategoryTree (Menu::Factory));
    addMenuItems (*popupMenu, menu.getCategoryTree (Menu::Artists));
    addMenuItems (*popupMenu, menu.getCategoryTree (Menu::User));
}

void MenuComponent::addMenuItems (juce::PopupMenu& parent, juce::ValueTree tree)
{
    const auto title = tree.getProperty (nameProperty).toString();
    juce::PopupMenu sub;
    const auto atFactoryRoot = tree.isValid() && tree == menu.getCategoryTree (Menu::Factory);

    for (const auto& child : tree)
        if (isFolder (child))
            addMenuItems (sub, child);

    int i = 0;
    for (const auto& child : tree)
    {
        if (isFolder (child))
            continue;

        juce::PopupMenu::Item item (Label::getIndexString (i, atFactoryRoot)
                                    + child.getProperty (nameProperty).toString().replace (".preset", ""));
        item.itemID = nextItemId++;
        item.isEnabled = true;
        item.isTicked = (child == menu.currentPreset);
        item.action = presetItemAction (child);

        if (item.isTicked)
            currentPresetItemId = item.itemID;

        sub.addItem (std::move (item));
        ++i;
    }

    // The levels that lead to the current preset carry a tick as well, so it can be found.
    const auto leadsToCurrent = tree.isValid() && menu.currentPreset.isValid() && isWithin (tree, menu.currentPreset);
    parent.addSubMenu (title, std::move (sub), true, nullptr, leadsToCurrent, 0);
}

std::function<void()> MenuComponent::presetItemAction (juce::ValueTree node)
{
    // Item actions run asynchronously after the menu closes; the editor, and the bar
    // with it, may be gone by then.
    return [bar = juce::Component::SafePointer<MenuComponent> (this), node]
    {
        if (bar == nullptr)
            return;

        bar->menu.loadPreset (node);
        bar->loadMenu (true);
    };
}

void MenuComponent::timerCallback()
{
    // Cleared before "path" is read: a restore that lands after this point raises the
    // flag again and is handled at the next tick instead of being lost.
    if (! menu.stateChanged.exchange (false))
        return;

    auto* processor = dynamic_cast<MenuAudioProcessor*> (menu.processor);
    if (processor == nullptr)
        return;

    juce::String path;
    {
        // A host may restore state on another thread; the lock keeps the tree whole while we read.
        const juce::ScopedLock sl (processor->stateLock);
        path = processor->getProcessorState().state.getProperty (pathProperty).toString();
    }

    auto node = Menu::findChildWithPath (menu.filesTree, path);
    if (node.isValid())
    {
        menu.currentPreset = node;
        loadMenu (true);
    }
}

void MenuComponent::labelNameChange (int, juce::String name)
{
    menu.changeName (name);
}

} // namespace quenwick
