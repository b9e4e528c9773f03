#pragma once

#include "presets/menu.h"

/** What the preset bar's buttons and dialogs do to the preset store, as plain functions:
    the bar's handlers call them with a dialog's result, and tests call them with a chosen
    file or answer directly. */
namespace quenwick
{
class MenuComponent;

namespace commands
{
    /** The maker's home page (the site's root). */
    juce::URL homePage();
    /** The maker's manuals page on the same site. */
    juce::URL manualsPage();

    /** True when file lies inside folder (or is a direct child of it), comparing paths with
        links and ".." resolved. The file itself need not exist; a link as the last path
        component counts where it lies, not where it points. */
    bool liesInside (const juce::File& file, const juce::File& folder);

    /** The folder a save would write into now: the current preset's folder when that is a
        user folder, else the user preset folder. */
    juce::File saveFolder (Menu& menu);

    /** The file a save of the chosen file would write: the typed name (the chosen file's
        name less a ".preset" extension) with ".preset", in the current preset's folder when
        that is a user folder, else in the user preset folder. Empty when nothing is chosen. */
    juce::File saveTarget (Menu& menu, const juce::File& chosen);

    /** The save chooser's result: writes the active slot's state to saveTarget, never over a
        Factory or Artists preset. The new node, named so that it maps to that file, joins the
        tree (and becomes current) only once the file has been written. Returns false when
        nothing was written. */
    bool savePreset (Menu& menu, const juce::File& chosen);

    /** True when node is a "preset" below the User root whose file, as the store maps it,
        is the one its "path" names and lies inside the user preset folder. */
    bool isDeletablePreset (Menu& menu, const juce::ValueTree& node);

    /** The confirmed delete: removes the current preset's file and node, rescans and loads
        the default preset. Does nothing unless the current preset is deletable; returns
        whether it deleted. */
    bool deleteCurrentPreset (Menu& menu);

    /** The load chooser's result: an existing file is handed to the store. */
    void loadChosenFile (Menu& menu, const juce::File& chosen);

    /** Loads the sibling before (-1) or after (+1) the current preset, without wrapping
        around. Returns whether there was one. */
    bool stepToSibling (Menu& menu, int direction);

    /** Makes slot (0 = A, 1 = B) the active comparison slot: the slot being left takes the
        processor's state and the new slot's state is applied. Nothing when already active. */
    void switchToSlot (Menu& menu, int slot);

    /** Both slots take the processor's current state. */
    void copyToBothSlots (Menu& menu);

    /** The bar's handling of the three dialog results: the store part above, then the
        bar's refresh where the command calls for one. A save that would replace an existing
        preset other than the file the dialog returned asks first ("Overwrite preset"). */
    void loadChosenFile (MenuComponent& bar, const juce::File& chosen);
    void saveChosenFile (MenuComponent& bar, const juce::File& chosen);
    void deleteAnswered (MenuComponent& bar, int result);

    /** A click on slot button A (slot 0) or B (slot 1), after the click flipped it. */
    void slotButtonClicked (MenuComponent& bar, int slot);
} // namespace commands
} // namespace quenwick
