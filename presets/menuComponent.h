#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "presets/label.h"
#include "presets/menu.h"

#include <functional>
#include <memory>
#include <vector>

/** The information window that the bar's info button opens. */
class InfoWindow;

namespace quenwick
{

/** The preset bar across the top of the editor: background, thirteen image buttons,
    the preset number-and-name label and the preset popup menu. Borrows the store. */
class MenuComponent : public juce::Component,
                      public juce::Button::Listener,
                      public Label::Listener,
                      public juce::Timer
{
public:
    /** Button indices: a button's index in `buttons` is its identity. */
    enum ButtonIndex
    {
        bypassButton = 0,
        homeButton,
        infoButton,
        manualsButton,
        loadButton,
        presetsButton,
        previousButton,
        nextButton,
        saveButton,
        deleteButton,
        slotAButton,
        copyButton,
        slotBButton,
        numButtons
    };

    explicit MenuComponent (Menu& menu);
    ~MenuComponent() override;

    void resized() override;

    /** Runs the command of the clicked button. */
    void buttonClicked (juce::Button* button) override;
    /** Hands a name typed into the label to the store. */
    void labelNameChange (int index, juce::String name) override;
    /** Re-selects the preset named by a restored state. */
    void timerCallback() override;

    /** Refreshes the label (when refresh is true) and rebuilds the popup menu. */
    void loadMenu (bool refresh);
    /** Adds one titled sub-menu for a level of the preset tree to parent. */
    void addMenuItems (juce::PopupMenu& parent, juce::ValueTree tree);

    /** The action of one preset item: loads its node and refreshes the bar. Holds the
        bar weakly, so an item chosen after the bar has gone does nothing. */
    std::function<void()> presetItemAction (juce::ValueTree node);

    /** Result of the load chooser. */
    void loadPresetCallback (const juce::FileChooser& chooser);
    /** Result of the save chooser. */
    void savePresetCallback (const juce::FileChooser& chooser);
    /** Result of the delete confirmation: 1 for Yes, 0 for No. */
    void deletePresetCallback (int result);

    /** Opens a new information window, replacing an open one. */
    void showInfoWindow();

    std::unique_ptr<juce::ImageComponent> background;
    std::vector<std::unique_ptr<juce::ImageButton>> buttons;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> bypassAttachment;
    std::unique_ptr<juce::PopupMenu> popupMenu;
    LabelLookAndFeel popupLookAndFeel;
    std::unique_ptr<Label> presetLabel;
    std::unique_ptr<juce::FileChooser> fileChooser;
    std::unique_ptr<InfoWindow> infoWindow;
    Menu& menu;

    /** Design size of the background picture; the bar is shown at half of it. */
    static constexpr int designWidth = 2326;
    static constexpr int designHeight = 98;
    /** The label's bounds in design units. */
    static constexpr int labelX = 856, labelY = 31, labelWidth = 608, labelHeight = 40;
    /** How often the bar looks for a restored state, in milliseconds. */
    static constexpr int stateCheckIntervalMs = 100;

    /** Design-unit bounds of each button, by index. */
    static juce::Rectangle<int> getButtonBounds (int index);

    /** Item identifier of the current preset's (ticked) item in the last built menu;
        0 when the current preset has no item. */
    int currentPresetItemId = 0;

private:
    /** Creates the thirteen buttons in index order. */
    void createButtons();
    /** The constructor's update-check step; runs synchronously before the timer starts. */
    void runUpdateCheck();

    /** Next identifier handed to a preset item while a menu is being built. */
    int nextItemId = 1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuComponent)
};

} // namespace quenwick
