#include "tests/unit/CommandsTestSupport.h"

using namespace commandstest;
namespace commands = quenwick::commands;
using quenwick::Menu;

TEST_F (CommandsTest, DeleteRemovesTheFileRebuildsTheTreeAndLoadsTheDefaultPreset)
{
    store().loadPreset (preset ("Lead.preset"));
    ASSERT_FLOAT_EQ (currentDepth(), 0.3f);

    EXPECT_TRUE (commands::deleteCurrentPreset (store()));

    EXPECT_FALSE (user ("Lead.preset").exists());
    EXPECT_FALSE (preset ("Lead.preset").isValid());
    EXPECT_TRUE (preset ("Pad.preset").isValid());
    EXPECT_EQ (store().currentPreset, store().getDefaultTree());
    EXPECT_FLOAT_EQ (currentDepth(), 0.6f);
}

TEST_F (CommandsTest, DeleteOfAPresetWhoseFileHasGoneStillRemovesItsNode)
{
    store().loadPreset (preset ("Soft.preset"));
    ASSERT_TRUE (user ("Keys/Soft.preset").deleteFile());

    EXPECT_TRUE (commands::deleteCurrentPreset (store()));

    EXPECT_FALSE (preset ("Soft.preset").isValid());
    EXPECT_EQ (childNames (folder ("Keys")), juce::StringArray ({ "Pad.preset" }));
}

TEST_F (CommandsTest, DeleteRefusesFactoryPresetsFoldersAndThePlaceholder)
{
    // A folder maps to a file named after it beside it; that file is not the folder's to delete.
    const auto namesake = user ("Keys.preset");
    writePreset (namesake, 0.5f);
    store().loadPresets();

    const auto refuses = [this] (const juce::ValueTree& node)
    {
        store().currentPreset = node;
        EXPECT_FALSE (commands::isDeletablePreset (store(), node)) << node.toXmlString();
        EXPECT_FALSE (commands::deleteCurrentPreset (store()));
        EXPECT_EQ (store().currentPreset, node);
    };

    refuses (preset ("Bright.preset"));
    refuses (folder ("Keys"));
    refuses (store().getCategoryTree (Menu::User));
    refuses ({});

    juce::ValueTree placeholder ("preset");
    placeholder.setProperty ("name", "Unnamed.preset", nullptr);
    store().getCategoryTree (Menu::User).appendChild (placeholder, nullptr);
    writePreset (user ("Unnamed.preset"), 0.5f);
    refuses (placeholder);

    EXPECT_TRUE (factory ("Bright.preset").existsAsFile());
    EXPECT_TRUE (namesake.existsAsFile());
    EXPECT_TRUE (user ("Unnamed.preset").existsAsFile());
    EXPECT_TRUE (folder ("Keys").isValid());
}

TEST_F (CommandsTest, DeleteNeverReachesAFileOutsideTheUserFolderOrOneItsPathDoesNotName)
{
    auto userRoot = store().getCategoryTree (Menu::User);

    // A name that climbs out of the user folder, with a "path" that agrees with it.
    const auto outside = home.root.getChildFile ("outside.preset");
    writePreset (outside, 0.5f);
    const auto climbing = home.userPresetDirectory().getFullPathName() + "/../../outside.preset";
    juce::ValueTree escaping ("preset");
    escaping.setProperty ("name", "../../outside.preset", nullptr);
    escaping.setProperty ("path", climbing, nullptr);
    userRoot.appendChild (escaping, nullptr);

    // A user folder that is a link to somewhere else.
    const auto elsewhere = home.root.getChildFile ("elsewhere");
    writePreset (elsewhere.getChildFile ("Linked.preset"), 0.5f);
    ASSERT_TRUE (elsewhere.createSymbolicLink (user ("Linked"), true));
    store().loadPresets();
    userRoot = store().getCategoryTree (Menu::User);
    userRoot.appendChild (escaping.createCopy(), nullptr);
    const auto linked = preset ("Linked.preset");
    ASSERT_TRUE (linked.isValid());

    // A node whose "path" names another file than the one its place in the tree names.
    auto mismatched = preset ("Lead.preset");
    mismatched.setProperty ("path", user ("Keys/Pad.preset").getFullPathName(), nullptr);

    for (const auto& node : { findNode (store().filesTree, "preset", "../../outside.preset"), linked, mismatched })
    {
        store().currentPreset = node;
        EXPECT_FALSE (commands::deleteCurrentPreset (store())) << node.toXmlString();
    }

    EXPECT_TRUE (outside.existsAsFile());
    EXPECT_TRUE (elsewhere.getChildFile ("Linked.preset").existsAsFile());
    EXPECT_TRUE (user ("Lead.preset").existsAsFile());
    EXPECT_TRUE (user ("Keys/Pad.preset").existsAsFile());
}

TEST (CommandsPaths, LiesInsideComparesResolvedFolders)
{
    const TempHome home;
    const auto folder = home.root.getChildFile ("User");
    folder.getChildFile ("Sub").createDirectory();

    EXPECT_TRUE (commands::liesInside (folder.getChildFile ("a.preset"), folder));
    EXPECT_TRUE (commands::liesInside (folder.getChildFile ("Sub/a.preset"), folder));
    EXPECT_TRUE (commands::liesInside (folder.getChildFile ("Missing/a.preset"), folder));
    EXPECT_FALSE (commands::liesInside (home.root.getChildFile ("a.preset"), folder));
    EXPECT_FALSE (commands::liesInside (juce::File (folder.getFullPathName() + "/Sub/../../a.preset"), folder));
    EXPECT_FALSE (commands::liesInside (home.root.getChildFile ("UserX/a.preset"), folder));
    EXPECT_FALSE (commands::liesInside (juce::File(), folder));
}

TEST_F (CommandsTest, PreviousAndNextStopAtTheEndsOfTheLevel)
{
    auto& menu = store();
    const auto first = menu.getDefaultTree();
    ASSERT_EQ (menu.currentPreset, first);

    EXPECT_FALSE (commands::stepToSibling (menu, -1));
    EXPECT_EQ (menu.currentPreset, first);

    EXPECT_TRUE (commands::stepToSibling (menu, +1));
    EXPECT_EQ (menu.currentPreset, preset ("Bright.preset"));
    EXPECT_FLOAT_EQ (currentDepth(), 0.25f);

    // Bright is the Factory root's last child: no wrap-around to the first.
    EXPECT_FALSE (commands::stepToSibling (menu, +1));
    EXPECT_EQ (menu.currentPreset, preset ("Bright.preset"));
    EXPECT_FLOAT_EQ (currentDepth(), 0.25f);

    menu.loadPreset (preset ("Soft.preset"));
    EXPECT_FALSE (commands::stepToSibling (menu, +1));
    EXPECT_TRUE (commands::stepToSibling (menu, -1));
    EXPECT_EQ (menu.currentPreset, preset ("Pad.preset"));
    EXPECT_FALSE (commands::stepToSibling (menu, -1));

    menu.currentPreset = {};
    EXPECT_FALSE (commands::stepToSibling (menu, +1));
}

TEST_F (CommandsTest, StepsOntoAFolderSelectTheFolderAndLoadNothing)
{
    store().loadPreset (preset ("Lead.preset"));
    ASSERT_EQ (childNames (store().getCategoryTree (Menu::User)), juce::StringArray ({ "Keys", "Lead.preset" }));

    EXPECT_TRUE (commands::stepToSibling (store(), -1));

    EXPECT_EQ (store().currentPreset, folder ("Keys"));
    EXPECT_FLOAT_EQ (currentDepth(), 0.3f);
}

TEST_F (CommandsTest, SwitchingSlotsStoresTheLeftStateAndAppliesTheOtherOne)
{
    auto& menu = store();
    setParameter (*processor, ParameterIds::depth1, 0.5f);
    menu.stateB = stateOf (*processor);
    setParameter (*processor, ParameterIds::depth1, 0.1f);
    ASSERT_EQ (menu.compareSlot, 0);

    commands::switchToSlot (menu, 1);
    EXPECT_EQ (menu.compareSlot, 1);
    EXPECT_FLOAT_EQ (depthIn (menu.stateA), 0.1f);
    EXPECT_FLOAT_EQ (currentDepth(), 0.5f);
    EXPECT_TRUE (menu.stateChanged.load());

    // Switching to the slot that is active already captures and applies nothing.
    setParameter (*processor, ParameterIds::depth1, 0.2f);
    const auto stateABefore = menu.stateA;
    const auto stateBBefore = menu.stateB;
    commands::switchToSlot (menu, 1);
    EXPECT_EQ (menu.stateA, stateABefore);
    EXPECT_EQ (menu.stateB, stateBBefore);
    EXPECT_FLOAT_EQ (currentDepth(), 0.2f);

    commands::switchToSlot (menu, 0);
    EXPECT_EQ (menu.compareSlot, 0);
    EXPECT_FLOAT_EQ (depthIn (menu.stateB), 0.2f);
    EXPECT_FLOAT_EQ (currentDepth(), 0.1f);
}

TEST_F (CommandsTest, CopyFillsBothSlotsWithTheCurrentState)
{
    setParameter (*processor, ParameterIds::depth1, 0.35f);

    commands::copyToBothSlots (store());

    EXPECT_EQ (store().stateA, stateOf (*processor));
    EXPECT_EQ (store().stateB, stateOf (*processor));
}

TEST_F (CommandsTest, LoadingAFileOutsideTheTreeChangesTheSoundButNotTheCurrentPreset)
{
    const auto outside = home.root.getChildFile ("Downloads/Shared.preset");
    writePreset (outside, 0.55f);
    setParameter (*processor, ParameterIds::depth1, 0.1f);
    const auto current = store().currentPreset;

    commands::loadChosenFile (store(), outside);

    EXPECT_FLOAT_EQ (currentDepth(), 0.55f);
    EXPECT_EQ (processor->apvts.state["path"].toString(), outside.getFullPathName());
    EXPECT_EQ (store().currentPreset, current);

    // A cancelled chooser loads nothing.
    setParameter (*processor, ParameterIds::depth1, 0.1f);
    commands::loadChosenFile (store(), juce::File());
    EXPECT_FLOAT_EQ (currentDepth(), 0.1f);
}

TEST (CommandsPages, TheManualsPageLiesOnTheHomeSite)
{
    const auto home = commands::homePage().toString (false);
    EXPECT_TRUE (home.startsWith ("https://"));
    EXPECT_EQ (commands::manualsPage().toString (false), home.trimCharactersAtEnd ("/") + "/pages/plug-in-manuals");
}
