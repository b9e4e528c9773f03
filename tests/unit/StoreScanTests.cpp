#include "tests/unit/StoreTestSupport.h"

#include <unistd.h>

using namespace storetest;

namespace
{
    struct Scan : StoreTest
    {
        juce::File folder = home.root.getChildFile ("scan");
    };

    int compare (const juce::String& a, const juce::String& b)
    {
        return comparator().compareElements (presetNode (a), presetNode (b));
    }
}

TEST (Comparator, OrdersNumbersByValueAndIgnoresCaseAndSpaces)
{
    EXPECT_LT (compare ("a2", "a10"), 0);
    EXPECT_GT (compare ("a10", "a2"), 0);
    EXPECT_LT (compare ("Pad 9.preset", "Pad 10.preset"), 0);
    EXPECT_LT (compare ("a", "B"), 0);
    EXPECT_GT (compare ("B", "a"), 0);
    EXPECT_EQ (compare ("Warm Pad", "warmpad"), 0);
    EXPECT_EQ (compare ("W a r m", "WARM"), 0);
    EXPECT_EQ (comparator().compareElements (juce::ValueTree ("preset"), presetNode ("")), 0);
    EXPECT_LT (comparator().compareElements (juce::ValueTree ("preset"), presetNode ("a")), 0);
}

TEST_F (Scan, ListsFoldersAndPresetsInOneNaturalOrderAndSkipsOtherFiles)
{
    for (const auto* name : { "a10.preset", "a2.preset", "B.preset", ".hidden.preset", "X.PRESET",
                              "notes.txt", "y.preset.bak", "preset" })
        writeFile (folder.getChildFile (name));

    for (const auto* name : { "a3", "Folder.preset", ".hiddenDir" })
        folder.getChildFile (name).createDirectory();

    writeFile (folder.getChildFile ("a3").getChildFile ("Inner.preset"));

    const auto node = quenwick::Menu::getFileTreeFromDirectory (folder);

    EXPECT_TRUE (node.hasType ("presets"));
    EXPECT_EQ (node["name"].toString(), "scan");
    EXPECT_EQ (namesOf (node), (std::vector<std::string> { ".hidden.preset", ".hiddenDir", "a2.preset", "a3",
                                                          "a10.preset", "B.preset", "Folder.preset", "X.PRESET" }));

    const auto a3 = node.getChildWithProperty ("name", "a3");
    EXPECT_TRUE (a3.hasType ("presets"));
    EXPECT_EQ (namesOf (a3), std::vector<std::string> { "Inner.preset" });
    EXPECT_TRUE (node.getChildWithProperty ("name", "Folder.preset").hasType ("presets"));

    const auto preset = node.getChildWithProperty ("name", "X.PRESET");
    EXPECT_TRUE (preset.hasType ("preset"));
    ASSERT_EQ (preset.getNumProperties(), 2);
    EXPECT_EQ (preset.getPropertyName (0).toString(), "name");
    EXPECT_EQ (preset.getPropertyName (1).toString(), "path");
    EXPECT_EQ (preset["path"].toString(), folder.getChildFile ("X.PRESET").getFullPathName());
}

TEST_F (Scan, NamesThatCompareEqualComeOutInOneFixedOrder)
{
    for (const auto* name : { "warm pad.preset", "Warm Pad.preset", "WarmPad.preset" })
        writeFile (folder.getChildFile (name));

    folder.getChildFile ("warmpad.preset").createDirectory();

    const auto first = namesOf (quenwick::Menu::getFileTreeFromDirectory (folder));
    EXPECT_EQ (first.size(), 4u);

    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (namesOf (quenwick::Menu::getFileTreeFromDirectory (folder)), first);
}

TEST_F (Scan, AMissingOrUnreadableDirectoryGivesAnEmptyNamedNode)
{
    const auto missing = quenwick::Menu::getFileTreeFromDirectory (folder.getChildFile ("Nothing Here"));
    EXPECT_EQ (missing["name"].toString(), "Nothing Here");
    EXPECT_EQ (missing.getNumChildren(), 0);

    // A dangling link cannot be created as a folder nor read: the Artists category stays empty.
    home.applicationDirectory().getChildFile ("Presets").createDirectory();
    ASSERT_EQ (symlink ("/nonexistent/marlinet", home.artistDirectory().getFullPathName().toRawUTF8()), 0);
    writeFile (home.factoryDirectory().getChildFile ("F.preset"));

    menu.loadPresets();

    const auto artists = menu.getCategoryTree (quenwick::Menu::Artists);
    EXPECT_EQ (artists["name"].toString(), "Artists");
    EXPECT_EQ (artists.getNumChildren(), 0);
    EXPECT_EQ (namesOf (menu.getCategoryTree (quenwick::Menu::Factory)), std::vector<std::string> { "F.preset" });
}

TEST_F (Scan, EndsOnALinkBackToAnAncestorAndStillFollowsOtherLinks)
{
    const auto inner = folder.getChildFile ("Inner");
    writeFile (inner.getChildFile ("Deep.preset"));
    ASSERT_EQ (symlink (folder.getFullPathName().toRawUTF8(), inner.getChildFile ("Loop").getFullPathName().toRawUTF8()), 0);

    const auto elsewhere = home.root.getChildFile ("elsewhere");
    writeFile (elsewhere.getChildFile ("Shared.preset"));
    ASSERT_EQ (symlink (elsewhere.getFullPathName().toRawUTF8(), folder.getChildFile ("Linked").getFullPathName().toRawUTF8()), 0);
    ASSERT_EQ (symlink (elsewhere.getFullPathName().toRawUTF8(), inner.getChildFile ("Linked Again").getFullPathName().toRawUTF8()), 0);

    const auto node = quenwick::Menu::getFileTreeFromDirectory (folder);

    EXPECT_EQ (namesOf (node), (std::vector<std::string> { "Inner", "Linked" }));
    const auto innerNode = node.getChild (0);
    EXPECT_EQ (namesOf (innerNode), (std::vector<std::string> { "Deep.preset", "Linked Again", "Loop" }));
    EXPECT_EQ (innerNode.getChildWithProperty ("name", "Loop").getNumChildren(), 0);
    EXPECT_EQ (namesOf (node.getChild (1)), std::vector<std::string> { "Shared.preset" });
    EXPECT_EQ (namesOf (innerNode.getChildWithProperty ("name", "Linked Again")), std::vector<std::string> { "Shared.preset" });
}

TEST_F (Scan, ALinkToItselfEnds)
{
    folder.createDirectory();
    ASSERT_EQ (symlink (".", folder.getChildFile ("Self").getFullPathName().toRawUTF8()), 0);

    const auto node = quenwick::Menu::getFileTreeFromDirectory (folder);
    EXPECT_EQ (namesOf (node), std::vector<std::string> { "Self" });
    EXPECT_EQ (node.getChild (0).getNumChildren(), 0);
}

TEST_F (Scan, TheDefaultPresetIsMovedFirstInTheFactoryRootOnly)
{
    const auto factory = home.factoryDirectory();
    for (const auto* name : { "Alpha.preset", "Zulu.preset", "Marlinet By Quenwick.preset" })
        writeFile (factory.getChildFile (name));
    factory.getChildFile ("Bass").createDirectory();

    menu.loadPresets();

    EXPECT_EQ (namesOf (menu.getCategoryTree (quenwick::Menu::Factory)),
               (std::vector<std::string> { "Marlinet By Quenwick.preset", "Alpha.preset", "Bass", "Zulu.preset" }));
    EXPECT_EQ (menu.getDefaultTree(), menu.getCategoryTree (quenwick::Menu::Factory).getChild (0));
    EXPECT_EQ (menu.getCategoryTree ((quenwick::Menu::Category) 7), menu.getCategoryTree (quenwick::Menu::Factory));

    // files.xml follows the tree's order.
    const auto text = bytesOf (cacheFile());
    EXPECT_LT (text.find ("Marlinet By Quenwick.preset"), text.find ("Alpha.preset"));
}

TEST_F (Scan, TheDefaultPresetInASubFolderOrInAnotherCaseIsNotMoved)
{
    const auto factory = home.factoryDirectory();
    writeFile (factory.getChildFile ("Alpha.preset"));
    writeFile (factory.getChildFile ("marlinet by quenwick.preset"));
    writeFile (factory.getChildFile ("Sub").getChildFile ("Marlinet By Quenwick.preset"));
    writeFile (home.userPresetDirectory().getChildFile ("Marlinet By Quenwick.preset"));

    menu.loadPresets();

    EXPECT_FALSE (menu.getDefaultTree().isValid());
    EXPECT_EQ (namesOf (menu.getCategoryTree (quenwick::Menu::Factory)),
               (std::vector<std::string> { "Alpha.preset", "marlinet by quenwick.preset", "Sub" }));
}

TEST (StoreWithoutDirectories, NeverWritesIntoTheFileSystemRoot)
{
    TempHome home;
    quenwick::Menu menu { "marlinet", nullptr, juce::File(), juce::File(), "Marlinet By Quenwick", nullptr };

    menu.loadPresets();

    EXPECT_EQ (menu.getDirectory (quenwick::Menu::FactoryPresets), juce::File());
    EXPECT_FALSE (juce::File ("/Presets").exists());
    EXPECT_FALSE (juce::File ("/files.xml").exists());
    EXPECT_EQ (menu.filesTree.getNumChildren(), 3);
}
