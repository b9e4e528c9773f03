// Preset bar commands.
#include "presets/menuCommands.h"
#include "presets/safeFile.h"

#include "presets/infoWindow.h"
#include "presets/menuComponent.h"
#include "presets/updateCheck.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quenwick
{
namespace
{
    using namespace PresetTree;

    using Path = std::filesystem::path;

    Path toPath (const juce::File& file)
    {
        return Path (file.getFullPathName().toStdString());
    }

    /** The location of file with every link and ".." of its folder resolved; the last
        component is kept as it is. Empty when the folder cannot be resolved. */
    Path resolvedLocation (const juce::File& file)
    {
        const auto name = file.getFileName();

        if (! juce::File::isAbsolutePath (file.getFullPathName()) || name.isEmpty() || name == "." || name == "..")
            return {};

        std::error_code error;
        const auto folder = std::filesystem::weakly_canonical (toPath (file.getParentDirectory()), error);

        if (error)
            return {};

        return folder / name.toStdString();
    }

    Path resolvedFolder (const juce::File& folder)
    {
        if (! juce::File::isAbsolutePath (folder.getFullPathName()))
            return {};

        std::error_code error;
        const auto resolved = std::filesystem::weakly_canonical (toPath (folder), error);
        return error ? Path() : resolved;
    }

    /** The file a "preset" node would stand for once appended to parent, found without
        attaching it: the store maps a detached copy of the folder chain, which it places in
        the User category, where every save lands. */
    juce::File fileForNewNode (Menu& menu, const juce::ValueTree& parent, const juce::ValueTree& node)
    {
        auto probe = node.createCopy();
        auto top = probe;

        for (auto folder = parent; folder.isValid() && folder.hasType (folderType); folder = folder.getParent())
        {
            juce::ValueTree copy (folderType);
            copy.setProperty (nameProperty, folder[nameProperty], nullptr);
            copy.appendChild (top, nullptr);
            top = copy;
        }

        if (! parent.isValid())
        {
            // No User root in the tree: the chain still starts at the user preset folder.
            juce::ValueTree root (folderType);
            root.setProperty (nameProperty, menu.getDirectory (Menu::UserPresets).getFileName(), nullptr);
            root.appendChild (top, nullptr);
        }

        return menu.getPresetFile (probe);
    }

    juce::ValueTree firstChildWithPath (const juce::ValueTree& parent, const juce::String& path)
    {
        for (const auto& child : parent)
            if (child[pathProperty].toString() == path)
                return child;

        return {};
    }

    /** The name typed in the save dialog: the chosen file's name, less a ".preset" extension. */
    juce::String typedNameOf (const juce::File& chosen)
    {
        const auto name = chosen.getFileName();
        return name.endsWithIgnoreCase (".preset") ? name.dropLastCharacters (7) : name;
    }

    /** Where a save of the chosen file lands, found without changing anything. */
    struct SaveDestination
    {
        juce::ValueTree current, parent;   ///< the current preset, and the node the new one joins
        bool currentIsUser = false;
        juce::String nodeName;
        juce::File target;                 ///< the file that is written
    };

    SaveDestination destinationOf (Menu& menu, const juce::File& chosen)
    {
        SaveDestination d;
        d.current = menu.currentPreset;
        const auto userRoot = menu.getCategoryTree (Menu::User);
        d.currentIsUser = userRoot.isValid() && d.current.isValid() && d.current.isAChildOf (userRoot);

        // Factory and Artists presets are never written over: from one of them the save goes
        // to the User root as a new preset.
        d.parent = d.currentIsUser ? d.current.getParent() : userRoot;

        // The store maps a name without the extension to a file after dropping its last
        // dot-suffix, so "Soft.v2" would write over "Soft.preset": a dotted name keeps its
        // extension, and the file written is exactly the typed name with ".preset".
        const auto typed = typedNameOf (chosen);
        d.nodeName = typed.containsChar ('.') ? typed + ".preset" : typed;

        juce::ValueTree probe (presetType);
        probe.setProperty (nameProperty, d.nodeName, nullptr);
        d.target = fileForNewNode (menu, d.parent, probe);
        return d;
    }
}

namespace commands
{
juce::URL homePage()
{
    return juce::URL (MARLINET_HOME_URL);
}

juce::URL manualsPage()
{
    return juce::URL (juce::String (MARLINET_HOME_URL).trimCharactersAtEnd ("/") + "/pages/plug-in-manuals");
}

bool liesInside (const juce::File& file, const juce::File& folder)
{
    const auto location = resolvedLocation (file);
    const auto root = resolvedFolder (folder);

    if (location.empty() || root.empty())
        return false;

    const auto parent = location.parent_path();
    return std::mismatch (root.begin(), root.end(), parent.begin(), parent.end()).first == root.end();
}

juce::File saveFolder (Menu& menu)
{
    auto userRoot = menu.getCategoryTree (Menu::User);
    const auto current = menu.currentPreset;
    const auto parent = userRoot.isValid() && current.isValid() && current.isAChildOf (userRoot) ? current.getParent() : userRoot;

    juce::ValueTree probe (presetType);
    probe.setProperty (nameProperty, "probe", nullptr);
    return fileForNewNode (menu, parent, probe).getParentDirectory();
}

juce::File saveTarget (Menu& menu, const juce::File& chosen)
{
    return chosen.getFullPathName().isEmpty() ? juce::File() : destinationOf (menu, chosen).target;
}

bool savePreset (Menu& menu, const juce::File& chosen)
{
    if (chosen.getFullPathName().isEmpty())
        return false;

    auto d = destinationOf (menu, chosen);
    const auto targetPath = d.target.getFullPathName();

    if (! liesInside (d.target, menu.getDirectory (Menu::UserPresets)) || menu.processor == nullptr)
        return false;

    // Only the typed name counts; the folder the dialog showed does not.
    menu.changeName (typedNameOf (chosen));
    auto pending = menu.pendingPreset;

    if (! pending.isValid())
        return false;

    // "path" names the file that is written, so a rescan finds the same node again.
    pending.setProperty (nameProperty, d.nodeName, nullptr);
    pending.setProperty (pathProperty, targetPath, nullptr);

    // The state names the file it is saved to, so the slot, the next project save and the
    // file itself re-select this preset. The processor's lock is held to read the state and
    // to record the path once the file is written, never across the disk work: a host
    // saving its project meanwhile does not wait on the disk.
    juce::MemoryBlock state;
    auto* owner = dynamic_cast<MenuAudioProcessor*> (menu.processor);

    if (owner == nullptr)
    {
        menu.processor->getStateInformation (state);
    }
    else
    {
        const juce::ScopedLock sl (owner->stateLock);
        auto tree = owner->getProcessorState().state;
        const auto previousPath = tree.getProperty (pathProperty);
        const auto hadPath = tree.hasProperty (pathProperty);

        if (tree.isValid())
            tree.setProperty (pathProperty, targetPath, nullptr);

        owner->getStateInformation (state);

        if (hadPath)
            tree.setProperty (pathProperty, previousPath, nullptr);
        else
            tree.removeProperty (pathProperty, nullptr);
    }

    if (! replaceFileContent (d.target, state.getData(), state.getSize()))
        return false;

    if (owner != nullptr)
    {
        const juce::ScopedLock sl (owner->stateLock);

        if (auto tree = owner->getProcessorState().state; tree.isValid())
            tree.setProperty (pathProperty, targetPath, nullptr);
    }

    (menu.compareSlot != 0 ? menu.stateB : menu.stateA) = state;

    const auto overwritesCurrent = d.currentIsUser && d.current[pathProperty].toString() == targetPath;

    if (overwritesCurrent || ! d.parent.isValid())
        return true;

    // The node whose file was just replaced gives way to the new one; else a placeholder
    // current gives way.
    if (auto sameFile = firstChildWithPath (d.parent, targetPath); sameFile.isValid())
        d.parent.removeChild (sameFile, nullptr);
    else if (d.currentIsUser && d.current[nameProperty].toString() == placeholderName)
        d.parent.removeChild (d.current, nullptr);

    d.parent.appendChild (pending, nullptr);
    comparator order;
    d.parent.sort (order, nullptr, false);

    menu.currentPreset = pending;
    menu.pendingPreset = {};
    return true;
}

bool isDeletablePreset (Menu& menu, const juce::ValueTree& node)
{
    const auto userRoot = menu.getCategoryTree (Menu::User);

    if (! userRoot.isValid() || ! node.hasType (presetType) || ! node.isAChildOf (userRoot))
        return false;

    // The placeholder has no file; a file it merely shares a name with is not its own.
    const auto path = node[pathProperty].toString();

    if (! juce::File::isAbsolutePath (path))
        return false;

    const auto file = menu.getPresetFile (node);
    const auto location = resolvedLocation (file);

    return ! location.empty()
        && location == resolvedLocation (juce::File (path))
        && liesInside (file, menu.getDirectory (Menu::UserPresets));
}

bool deleteCurrentPreset (Menu& menu)
{
    auto current = menu.currentPreset;

    if (! isDeletablePreset (menu, current))
        return false;

    // Unlinked, not followed: a link in the user folder goes, whatever it points to.
    const auto file = menu.getPresetFile (current);

    if (file.existsAsFile() || file.isSymbolicLink())
        file.deleteFile();

    current.getParent().removeChild (current, nullptr);

    menu.loadPresets();
    menu.loadDefaultPreset();
    return true;
}

void loadChosenFile (Menu& menu, const juce::File& chosen)
{
    if (chosen.getFullPathName().isNotEmpty() && chosen.exists())
        menu.loadPresetFile (chosen);
}

bool stepToSibling (Menu& menu, int direction)
{
    const auto sibling = menu.currentPreset.getSibling (direction < 0 ? -1 : 1);

    if (! sibling.isValid())
        return false;

    menu.loadPreset (sibling);
    return true;
}

void switchToSlot (Menu& menu, int slot)
{
    slot = slot != 0 ? 1 : 0;

    if ((menu.compareSlot != 0 ? 1 : 0) == slot)
        return;

    auto& leaving = slot == 0 ? menu.stateB : menu.stateA;
    const auto& entering = slot == 0 ? menu.stateA : menu.stateB;

    if (menu.processor != nullptr)
    {
        leaving.reset();
        menu.processor->getStateInformation (leaving);
        menu.processor->setStateInformation (entering.getData(), (int) entering.getSize());
    }

    menu.compareSlot = slot;
}

void copyToBothSlots (Menu& menu)
{
    menu.stateA.reset();
    menu.stateB.reset();

    if (menu.processor == nullptr)
        return;

    menu.processor->getStateInformation (menu.stateA);
    menu.processor->getStateInformation (menu.stateB);
}

void loadChosenFile (MenuComponent& bar, const juce::File& chosen)
{
    // The bar's state check re-selects the loaded preset when the tree knows its path.
    loadChosenFile (bar.menu, chosen);
}

void saveChosenFile (MenuComponent& bar, const juce::File& chosen)
{
    if (chosen.getFullPathName().isEmpty())
        return;

    const auto target = saveTarget (bar.menu, chosen);

    // The dialog warned only about the file it returned; another preset the save would
    // replace is asked about here. An answer for a bar that is gone, or given after another
    // preset became current, is dropped.
    if (target.existsAsFile() && resolvedLocation (target) != resolvedLocation (chosen))
    {
        juce::NativeMessageBox::showOkCancelBox (juce::MessageBoxIconType::NoIcon,
                                                 "Overwrite preset",
                                                 target.getFileNameWithoutExtension(),
                                                 nullptr,
                                                 juce::ModalCallbackFunction::create (
                                                     [safeBar = juce::Component::SafePointer<MenuComponent> (&bar),
                                                      asked = bar.menu.currentPreset, chosen] (int result)
                                                     {
                                                         if (safeBar == nullptr || result == 0 || safeBar->menu.currentPreset != asked)
                                                             return;

                                                         savePreset (safeBar->menu, chosen);
                                                         safeBar->loadMenu (true);
                                                     }));
        return;
    }

    savePreset (bar.menu, chosen);
    bar.loadMenu (true);
}

void deleteAnswered (MenuComponent& bar, int result)
{
    if (result == 0)
        return;

    deleteCurrentPreset (bar.menu);
    bar.loadMenu (true);
}

void slotButtonClicked (MenuComponent& bar, int slot)
{
    auto& clicked = *bar.buttons[(size_t) (slot == 0 ? MenuComponent::slotAButton : MenuComponent::slotBButton)];
    auto& other = *bar.buttons[(size_t) (slot == 0 ? MenuComponent::slotBButton : MenuComponent::slotAButton)];

    // A lit slot cannot be switched off by clicking it.
    if (! clicked.getToggleState())
    {
        clicked.setToggleState (true, juce::dontSendNotification);
        return;
    }

    other.setToggleState (false, juce::dontSendNotification);
    switchToSlot (bar.menu, slot);
}
} // namespace commands

//==============================================================================
void MenuComponent::buttonClicked (juce::Button* button)
{
    int index = -1;

    for (int i = homeButton; i < numButtons && (size_t) i < buttons.size(); ++i)
    {
        if (buttons[(size_t) i].get() == button)
        {
            index = i;
            break;
        }
    }

    switch (index)
    {
        case homeButton:
            commands::homePage().launchInDefaultBrowser();
            break;

        case infoButton:
            showInfoWindow();
            break;

        case manualsButton:
            commands::manualsPage().launchInDefaultBrowser();
            break;

        case loadButton:
        case saveButton:
        {
            const auto isLoad = index == loadButton;

            // The save chooser opens where the save will land, so its overwrite warning
            // is about the right file.
            const auto userFolder = menu.getDirectory (Menu::UserPresets);
            auto startFolder = isLoad ? userFolder : commands::saveFolder (menu);

            if (! startFolder.isDirectory() || ! commands::liesInside (startFolder.getChildFile ("x"), userFolder))
                startFolder = userFolder;

            // The new chooser replaces the old one, which goes once the new one is stored.
            fileChooser = std::make_unique<juce::FileChooser> (isLoad ? "Load preset file" : "Save preset file",
                                                               startFolder,
                                                               "*.preset",
                                                               true,
                                                               false,
                                                               nullptr);

            const auto chooserFlags = isLoad ? (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles)
                                      : (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::warnAboutOverwriting);

            // A result that arrives after the bar has gone is dropped.
            fileChooser->launchAsync (chooserFlags, [bar = juce::Component::SafePointer<MenuComponent> (this), isLoad] (const juce::FileChooser& chooser)
            {
                if (bar == nullptr)
                    return;

                if (isLoad)
                    bar->loadPresetCallback (chooser);
                else
                    bar->savePresetCallback (chooser);
            });
            break;
        }

        case presetsButton:
            loadMenu (false);
            popupMenu->showMenuAsync (juce::PopupMenu::Options()
                                          .withTargetComponent (presetLabel.get())
                                          .withItemThatMustBeVisible (0)
                                          .withMinimumWidth (presetLabel->getWidth())
                                          .withStandardItemHeight (50));
            break;

        case previousButton:
        case nextButton:
            commands::stepToSibling (menu, index == previousButton ? -1 : 1);
            loadMenu (true);
            break;

        case deleteButton:
        {
            if (! commands::isDeletablePreset (menu, menu.currentPreset))
                break;

            // The answer deletes only the preset the question was about, and only while
            // the bar still exists.
            auto asked = menu.currentPreset;
            juce::NativeMessageBox::showYesNoBox (juce::MessageBoxIconType::NoIcon,
                                                  "Delete preset",
                                                  "Are you sure you want to delete the current preset?",
                                                  nullptr,
                                                  juce::ModalCallbackFunction::create (
                                                      [bar = juce::Component::SafePointer<MenuComponent> (this), asked] (int result)
                                                      {
                                                          // No does nothing at all, not even a refresh.
                                                          if (bar == nullptr || result == 0)
                                                              return;

                                                          // Yes deletes only the preset the question named.
                                                          if (bar->menu.currentPreset != asked)
                                                          {
                                                              bar->loadMenu (true);
                                                              return;
                                                          }

                                                          bar->deletePresetCallback (result);
                                                      }));
            break;
        }

        case slotAButton:
            commands::slotButtonClicked (*this, 0);
            break;

        case slotBButton:
            commands::slotButtonClicked (*this, 1);
            break;

        case copyButton:
            commands::copyToBothSlots (menu);
            buttons[(size_t) (buttons[slotAButton]->getToggleState() ? slotBButton : slotAButton)]->triggerClick();
            break;

        default:
            // The bypass switch is driven by its parameter attachment.
            break;
    }
}

void MenuComponent::loadPresetCallback (const juce::FileChooser& chooser)
{
    commands::loadChosenFile (*this, chooser.getResult());
}

void MenuComponent::savePresetCallback (const juce::FileChooser& chooser)
{
    commands::saveChosenFile (*this, chooser.getResult());
}

void MenuComponent::deletePresetCallback (int result)
{
    commands::deleteAnswered (*this, result);
}

void MenuComponent::showInfoWindow()
{
    // The old window, if any, goes only once the new one has been built.
    infoWindow = std::make_unique<InfoWindow>();

    infoWindow->setVisible (true);
    infoWindow->centreAroundComponent (this, infoWindow->getWidth(), infoWindow->getHeight());
    infoWindow->setAlwaysOnTop (true);
    infoWindow->textX = menu.infoTextX;
    infoWindow->textY = menu.infoTextY;

    infoWindow->windowCloseButtonPressed = [bar = juce::Component::SafePointer<MenuComponent> (this),
                                            window = juce::Component::SafePointer<InfoWindow> (infoWindow.get())]
    {
        if (bar == nullptr || window == nullptr || bar->infoWindow.get() != window.getComponent())
            return;

        // The window is still running this function: the bar lets go of it now, and the
        // window itself goes on the next turn of the message loop.
        std::shared_ptr<InfoWindow> closing (bar->infoWindow.release());
        closing->setVisible (false);
        juce::MessageManager::callAsync ([closing] {});
    };
}

void MenuComponent::runUpdateCheck()
{
    update::checkForUpdate (menu.productCode);
}

} // namespace quenwick
