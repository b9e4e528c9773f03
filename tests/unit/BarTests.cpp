#include "tests/support/Fixtures.h"

#include <thread>

TEST (BarMenu, LevelsListFoldersFirstAndNumberFromOneButTheFactoryRootAndItsLabelsCountFromZero)
{
    PresetFolders folders;
    PresetFolders::add (folders.factory(), { "Marlinet By Quenwick.preset", "Bright.preset", "Aside/Deep.preset", "Aside/Echo.preset" });
    for (int i = 1; i <= 100; ++i)
        PresetFolders::add (folders.artists(), { "P" + juce::String (i).paddedLeft ('0', 3) + ".preset" });
    PresetFolders::add (folders.user(), { "Trio/Zed.preset", "Loud.PRESET", "Top.preset" });
    auto store = folders.scan();
    store->currentPreset = store->getDefaultTree();
    MenuComponent bar (*store);

    auto lines = describeMenu (*bar.popupMenu);
    for (auto* line : { "Artists>01.P001", "Artists>09.P009", "Artists>10.P010", "Artists>100.P100", "User>Trio>01.Zed", "User>01.Loud.PRESET", "User>02.Top" })
        EXPECT_TRUE (lines.contains (line)) << line << "\n" << lines.joinIntoString ("\n");
    lines.removeRange (lines.indexOf ("Artists>"), lines.size());
    EXPECT_EQ (lines, (juce::StringArray { "*Factory>", "Factory>Aside>", "Factory>Aside>01.Deep", "Factory>Aside>02.Echo",
                                           "*Factory>00.Marlinet By Quenwick", "Factory>01.Bright" }));
    EXPECT_EQ (labelNumber (bar), "00.");
    store->currentPreset = nodeNamed (*store, "Bright.preset");   // after the folder Aside at its level, which it does not count
    bar.loadMenu (true);
    EXPECT_EQ (labelNumber (bar), "01.");

    // The label counts from zero in a Factory folder too, while its item counts from one; the levels leading to it are ticked.
    store->currentPreset = nodeNamed (*store, "Echo.preset");
    bar.loadMenu (true);
    EXPECT_EQ (labelNumber (bar), "01.");
    EXPECT_EQ (describeMenu (*bar.popupMenu).joinIntoString ("\n").upToFirstOccurrenceOf ("Artists>", false, false),
               "*Factory>\n*Factory>Aside>\nFactory>Aside>01.Deep\n*Factory>Aside>02.Echo\nFactory>00.Marlinet By Quenwick\nFactory>01.Bright\n");
}

TEST_F (CommandsBarTest, ARestoredPathReselectsItsPresetAtTheNextTickAndAnUnknownOneOnlyClearsTheFlag)
{
    const auto restoreWithPath = [this] (const juce::String& path)   // as a host hands a state back
    {
        const auto bytes = bytesOf (treeOf (stateOf (*processor)).setProperty ("path", path, nullptr));
        processor->setStateInformation (bytes.getData(), (int) bytes.getSize());
    };
    for (const auto& path : { home.root.getChildFile ("elsewhere.preset").getFullPathName(), user ("lead.preset").getFullPathName(), juce::String() })
    {
        restoreWithPath (path);
        EXPECT_TRUE (pumpUntil ([this] { return ! store().stateChanged.load(); })) << path;   // the bar's timer has looked
        EXPECT_EQ (store().currentPreset, store().getDefaultTree()) << path;
    }
    std::thread host ([&] { restoreWithPath (user ("Lead.preset").getFullPathName()); });
    host.join();
    EXPECT_TRUE (pumpUntil ([this] { return ! store().stateChanged.load(); }));
    EXPECT_EQ (store().currentPreset, preset ("Lead.preset"));
    const auto* lead = findItem (*bar->popupMenu, "01.Lead");
    ASSERT_NE (lead, nullptr);   // a menu without the item fails the test; it must not crash the program
    EXPECT_TRUE (shownName() == "Lead" && lead->isTicked);

    // An item chosen after the bar has gone (the editor closed while the menu was open) does nothing.
    const auto* bright = findItem (*bar->popupMenu, "01.Bright");
    ASSERT_NE (bright, nullptr);
    const auto chosenLater = bright->action;
    bar.reset();
    chosenLater();
    EXPECT_EQ (store().currentPreset, preset ("Lead.preset"));
}
