#include "tests/unit/BarHelpers.h"

using quenwick::Label;
using quenwick::Menu;
using quenwick::MenuComponent;

namespace
{
    /** Factory root: the default preset, two more and a folder of two that sorts first. */
    struct BarFactoryMenu : public ::testing::Test
    {
        void SetUp() override
        {
            PresetFolders::add (folders.factory(), "Marlinet By Quenwick.preset");
            PresetFolders::add (folders.factory(), "Bright.preset");
            PresetFolders::add (folders.factory(), "Calm.preset");
            PresetFolders::add (folders.factory(), "Aside/Deep.preset");
            PresetFolders::add (folders.factory(), "Aside/Echo.preset");
            store = folders.scan();
            store->currentPreset = store->getDefaultTree();
        }

        PresetFolders folders;
        std::unique_ptr<Menu> store;
    };
}

TEST (BarNumbering, IndexStringsStartAtZeroOnlyWhenAskedAndPadBelowTen)
{
    EXPECT_EQ (Label::getIndexString (0, true), "00.");
    EXPECT_EQ (Label::getIndexString (0, false), "01.");
    EXPECT_EQ (Label::getIndexString (8, false), "09.");
    EXPECT_EQ (Label::getIndexString (9, false), "10.");
    EXPECT_EQ (Label::getIndexString (9, true), "09.");
    EXPECT_EQ (Label::getIndexString (99, false), "100.");
}

TEST_F (BarFactoryMenu, FactoryRootListsFoldersFirstThenNumbersFromZero)
{
    MenuComponent bar (*store);
    const auto lines = describeMenu (*bar.popupMenu);

    const juce::StringArray expected { "*Factory>",
                                       "Factory>Aside>",
                                       "Factory>Aside>01.Deep",
                                       "Factory>Aside>02.Echo",
                                       "*Factory>00.Marlinet By Quenwick",
                                       "Factory>01.Bright",
                                       "Factory>02.Calm",
                                       "Artists>",
                                       "User>" };
    EXPECT_EQ (lines, expected) << lines.joinIntoString ("\n");
}

TEST_F (BarFactoryMenu, LabelCountsFromZeroInFactoryFoldersWhileTheItemCountsFromOne)
{
    store->currentPreset = nodeNamed (*store, "Echo.preset");
    ASSERT_TRUE (store->currentPreset.isValid());

    MenuComponent bar (*store);

    EXPECT_EQ (Label::getIndexString (bar.presetLabel->presetIndex, bar.presetLabel->isFactory), "01.");
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Echo");
    EXPECT_EQ (bar.presetLabel->presetName, "Echo");

    const auto* item = findItem (*bar.popupMenu, "02.Echo");
    ASSERT_NE (item, nullptr);
    EXPECT_TRUE (item->isTicked);
    EXPECT_EQ (item->itemID, bar.currentPresetItemId);

    // Only the current preset and the levels leading to it carry a tick.
    juce::StringArray ticked;
    for (const auto& line : describeMenu (*bar.popupMenu))
        if (line.startsWith ("*"))
            ticked.add (line);
    EXPECT_EQ (ticked, juce::StringArray ({ "*Factory>", "*Factory>Aside>", "*Factory>Aside>02.Echo" }));
}

TEST_F (BarFactoryMenu, DefaultPresetReadsZeroEverywhere)
{
    MenuComponent bar (*store);
    EXPECT_EQ (Label::getIndexString (bar.presetLabel->presetIndex, bar.presetLabel->isFactory), "00.");
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Marlinet By Quenwick");
}

TEST_F (BarFactoryMenu, ChoosingAnItemMakesItsNodeCurrentAndRefreshesTheBar)
{
    MenuComponent bar (*store);
    const auto* item = findItem (*bar.popupMenu, "02.Calm");
    ASSERT_NE (item, nullptr);
    ASSERT_TRUE (item->action != nullptr);

    auto action = item->action; // the menu is rebuilt by the action itself
    action();

    EXPECT_EQ (store->currentPreset, nodeNamed (*store, "Calm.preset"));
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Calm");
    EXPECT_EQ (Label::getIndexString (bar.presetLabel->presetIndex, bar.presetLabel->isFactory), "02.");
    EXPECT_TRUE (findItem (*bar.popupMenu, "02.Calm")->isTicked);
    EXPECT_FALSE (findItem (*bar.popupMenu, "00.Marlinet By Quenwick")->isTicked);
}

TEST_F (BarFactoryMenu, AnItemChosenAfterTheBarHasGoneDoesNothing)
{
    std::function<void()> action;

    {
        MenuComponent bar (*store);
        action = findItem (*bar.popupMenu, "01.Bright")->action;
    }

    const auto before = store->currentPreset;
    action();
    EXPECT_EQ (store->currentPreset, before);
}

TEST (BarMenu, ArtistsAndUserLevelsNumberFromOneUpToThreeDigits)
{
    PresetFolders folders;
    for (int i = 1; i <= 100; ++i)
        PresetFolders::add (folders.artists(), "P" + juce::String (i).paddedLeft ('0', 3) + ".preset");
    PresetFolders::add (folders.user(), "Mine/Zed.preset");
    PresetFolders::add (folders.user(), "Mine/Yon.preset");
    PresetFolders::add (folders.user(), "Top.preset");

    auto store = folders.scan();
    MenuComponent bar (*store);
    const auto lines = describeMenu (*bar.popupMenu);

    EXPECT_TRUE (lines.contains ("Artists>01.P001"));
    EXPECT_TRUE (lines.contains ("Artists>09.P009"));
    EXPECT_TRUE (lines.contains ("Artists>10.P010"));
    EXPECT_TRUE (lines.contains ("Artists>100.P100"));
    EXPECT_TRUE (lines.contains ("User>Mine>01.Yon"));
    EXPECT_TRUE (lines.contains ("User>Mine>02.Zed"));
    EXPECT_TRUE (lines.contains ("User>01.Top")) << lines.joinIntoString ("\n");

    // The label of a User preset counts from one as well.
    store->currentPreset = nodeNamed (*store, "Zed.preset");
    bar.loadMenu (true);
    EXPECT_EQ (Label::getIndexString (bar.presetLabel->presetIndex, bar.presetLabel->isFactory), "02.");
}

TEST (BarMenu, OnlyTheExactLowerCaseExtensionIsRemovedFromItemTexts)
{
    PresetFolders folders;
    PresetFolders::add (folders.user(), "Loud.PRESET");
    PresetFolders::add (folders.user(), "Twice.preset.preset");

    auto store = folders.scan();
    store->currentPreset = nodeNamed (*store, "Loud.PRESET");
    ASSERT_TRUE (store->currentPreset.isValid());

    MenuComponent bar (*store);
    const auto lines = describeMenu (*bar.popupMenu);

    EXPECT_TRUE (lines.contains ("*User>01.Loud.PRESET")) << lines.joinIntoString ("\n");
    EXPECT_TRUE (lines.contains ("User>02.Twice")) << lines.joinIntoString ("\n");
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Loud");
}

TEST (BarMenu, MissingCategoriesGiveEmptyDisabledEntries)
{
    OfflineUpdateCheck offline;
    Menu store ("marlinet", nullptr, {}, {}, "Marlinet By Quenwick", nullptr);
    MenuComponent bar (store);

    int entries = 0;
    for (juce::PopupMenu::MenuItemIterator it (*bar.popupMenu); it.next(); ++entries)
    {
        EXPECT_TRUE (it.getItem().text.isEmpty());
        EXPECT_FALSE (it.getItem().isEnabled);
    }
    EXPECT_EQ (entries, 3);
    EXPECT_EQ (Label::getIndexString (bar.presetLabel->presetIndex, bar.presetLabel->isFactory), "01.");
}

TEST (BarMenu, AFolderMadeCurrentShowsItsNameAndThePresetsBeforeIt)
{
    PresetFolders folders;
    PresetFolders::add (folders.user(), "Alpha.preset");
    PresetFolders::add (folders.user(), "Beta.preset");
    PresetFolders::add (folders.user(), "Group/Inner.preset");

    auto store = folders.scan();
    auto userRoot = store->getCategoryTree (Menu::User);
    const auto folder = userRoot.getChildWithProperty ("name", "Group");
    ASSERT_TRUE (folder.isValid());
    store->currentPreset = folder;

    MenuComponent bar (*store);
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Group");
    ASSERT_EQ (userRoot.indexOf (folder), 2);
    EXPECT_EQ (bar.presetLabel->presetIndex, 2);
}
