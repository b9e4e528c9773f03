#include "tests/support/Fixtures.h"


TEST_F (CommandsTest, DeleteRefusesAllButAUserPresetWhoseOwnFileLiesInsideTheUserFolder)
{
    // Besides Factory presets and folders: the placeholder (with a file of its name), a linked user folder,
    // a name climbing out to a folder named like the user folder plus "X" (its "path" agreeing) and a node
    // whose "path" names another file than its place does. A folder's name-sake file stays.
    const auto elsewhere = home.root.getChildFile ("elsewhere");
    const auto climbing = "../" + home.userPresetDirectory().getFileName() + "X/outside.preset";
    const auto outside = home.userPresetDirectory().getChildFile (climbing);
    for (const auto& file : { user ("Keys.preset"), elsewhere.getChildFile ("Linked.preset"), outside })
        writePreset (file, 0.5f);
    ASSERT_TRUE (elsewhere.createSymbolicLink (user ("Linked"), true));
    store().loadPresets();
    auto userRoot = store().getCategoryTree (Menu::User);
    juce::ValueTree placeholder ("preset"), escaping ("preset");
    placeholder.setProperty ("name", "Unnamed.preset", nullptr);
    escaping.setProperty ("name", climbing, nullptr);
    escaping.setProperty ("path", home.userPresetDirectory().getFullPathName() + "/" + climbing, nullptr);
    userRoot.appendChild (placeholder, nullptr);
    userRoot.appendChild (escaping, nullptr);
    writePreset (user ("Unnamed.preset"), 0.5f);
    auto mismatched = preset ("Lead.preset");
    mismatched.setProperty ("path", user ("Keys/Pad.preset").getFullPathName(), nullptr);
    ASSERT_TRUE (preset ("Linked.preset").isValid());
    const juce::ValueTree refused[] { preset ("Bright.preset"), folder ("Keys"), userRoot, {}, placeholder,
                                      escaping, preset ("Linked.preset"), mismatched };
    for (const auto& node : refused)
    {
        store().currentPreset = node;
        EXPECT_FALSE (commands::deleteCurrentPreset (store())) << node.toXmlString();
        EXPECT_EQ (store().currentPreset, node);
    }
    for (const auto& node : { refused[0], refused[1], refused[2], refused[3], refused[4] }) // not even offered
        EXPECT_FALSE (commands::isDeletablePreset (store(), node)) << node.toXmlString();
    for (const auto& kept : { factory ("Bright.preset"), user ("Keys.preset"), user ("Unnamed.preset"), outside,
                              elsewhere.getChildFile ("Linked.preset"), user ("Lead.preset"), user ("Keys/Pad.preset") })
        EXPECT_TRUE (kept.existsAsFile()) << kept.getFullPathName();
    EXPECT_TRUE (folder ("Keys").isValid());
}

TEST_F (CommandsBarTest, ADeleteAnsweredNoDoesNothingAndYesDeletesRebuildsAndLoadsTheDefault)
{
    store().loadPreset (preset ("Lead.preset"));
    bar->loadMenu (true);
    bar->presetLabel->nameLabel.setText ("untouched", juce::dontSendNotification);
    commands::deleteAnswered (*bar, 0);
    EXPECT_EQ (shownName(), "untouched");
    EXPECT_TRUE (user ("Lead.preset").existsAsFile());
    commands::deleteAnswered (*bar, 1);
    EXPECT_FALSE (user ("Lead.preset").exists() || preset ("Lead.preset").isValid());
    EXPECT_TRUE (preset ("Pad.preset").isValid());
    EXPECT_EQ (store().currentPreset, store().getDefaultTree());
    EXPECT_EQ (shownName(), "Marlinet By Quenwick");
    EXPECT_FLOAT_EQ (currentDepth(), 0.6f);
    // A preset whose file has gone still loses its node.
    store().loadPreset (preset ("Soft.preset"));
    ASSERT_TRUE (user ("Keys/Soft.preset").deleteFile());
    commands::deleteAnswered (*bar, 1);
    EXPECT_EQ (childNames (folder ("Keys")), juce::StringArray ({ "Pad.preset" }));
}

TEST_F (CommandsBarTest, PreviousAndNextStopAtTheEndsOfTheLevelAndRefreshTheBarEvenThere)
{
    bar->presetLabel->nameLabel.setText ("typed", juce::dontSendNotification);
    press (MenuComponent::previousButton);
    EXPECT_EQ (store().currentPreset, store().getDefaultTree());
    EXPECT_EQ (shownName(), "Marlinet By Quenwick");
    press (MenuComponent::nextButton);
    EXPECT_EQ (shownName(), "Bright");
    EXPECT_FLOAT_EQ (currentDepth(), 0.25f);
    // Soft is the last child of Keys: no wrap-around to the first.
    auto& menu = store();
    menu.loadPreset (preset ("Soft.preset"));
    EXPECT_FALSE (commands::stepToSibling (menu, +1));
    EXPECT_TRUE (commands::stepToSibling (menu, -1));
    EXPECT_EQ (menu.currentPreset, preset ("Pad.preset"));
    EXPECT_FALSE (commands::stepToSibling (menu, -1));
    // Stepping onto a folder selects it and loads nothing.
    menu.loadPreset (preset ("Lead.preset"));
    EXPECT_TRUE (commands::stepToSibling (menu, -1));
    EXPECT_EQ (menu.currentPreset, folder ("Keys"));
    EXPECT_FLOAT_EQ (currentDepth(), 0.3f);
    menu.currentPreset = {};
    EXPECT_FALSE (commands::stepToSibling (menu, +1));
}

TEST_F (CommandsBarTest, ALoadedFileChangesTheSoundAndOnlyOneFromTheTreeBecomesCurrent)
{
    const auto outside = home.root.getChildFile ("Downloads/Shared.preset");
    writePreset (outside, 0.55f);
    setDepth (0.1f);
    const auto current = store().currentPreset;
    commands::loadChosenFile (*bar, juce::File()); // a cancelled chooser loads nothing
    EXPECT_FLOAT_EQ (currentDepth(), 0.1f);
    commands::loadChosenFile (*bar, outside);
    pump (2 * MenuComponent::stateCheckIntervalMs + 30);
    EXPECT_FLOAT_EQ (currentDepth(), 0.55f);
    EXPECT_EQ (processor->apvts.state["path"].toString(), outside.getFullPathName());
    EXPECT_EQ (store().currentPreset, current);
    commands::loadChosenFile (*bar, user ("Keys/Pad.preset"));
    pump (2 * MenuComponent::stateCheckIntervalMs + 30);
    EXPECT_FLOAT_EQ (currentDepth(), 0.4f);
    EXPECT_EQ (store().currentPreset, preset ("Pad.preset"));
    EXPECT_EQ (shownName(), "Pad");
}
