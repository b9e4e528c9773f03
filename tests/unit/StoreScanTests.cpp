#include "tests/support/Fixtures.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <fcntl.h>
#include <unistd.h>


namespace
{
    struct Scan : StoreTest
    {
        juce::File folder = home.root.getChildFile ("scan");

        void link (const juce::String& target, const juce::File& at) { ASSERT_EQ (symlink (target.toRawUTF8(), at.getFullPathName().toRawUTF8()), 0); }
        juce::ValueTree scan (const juce::File& directory) { return Menu::getFileTreeFromDirectory (directory); }
    };
}

TEST (Comparator, OrdersNumbersByValueAndIgnoresCaseAndSpaces)
{
    const auto sign = [] (const juce::ValueTree& a, const juce::ValueTree& b) { return juce::jlimit (-1, 1, comparator().compareElements (a, b)); };
    const std::tuple<juce::ValueTree, juce::ValueTree, int> cases[] = {
        { presetNode ("Pad 9.preset"), presetNode ("Pad 10.preset"), -1 }, { presetNode ("a"), presetNode ("B"), -1 },
        { presetNode ("Warm Pad"), presetNode ("warmpad"), 0 }, { presetNode ("W a r m"), presetNode ("WARM"), 0 },
        { juce::ValueTree ("preset"), presetNode (""), 0 }, { juce::ValueTree ("preset"), presetNode ("a"), -1 } };   // no name sorts as empty
    for (const auto& [a, b, order] : cases)
    {
        EXPECT_EQ (sign (a, b), order) << a["name"].toString() << " / " << b["name"].toString();
        EXPECT_EQ (sign (b, a), -order) << b["name"].toString() << " / " << a["name"].toString();
    }
}

TEST_F (Scan, ListsFoldersAndPresetsInOneFixedNaturalOrderAndSkipsOtherFiles)
{
    for (const auto* name : { "a10.preset", "a2.preset", "B.preset", ".hidden.preset", "X.PRESET", "notes.txt", "y.preset.bak", "preset", "a3/Inner.preset" })
        writeFile (folder.getChildFile (name));
    for (const auto* name : { "Folder.preset", ".hiddenDir" })
        folder.getChildFile (name).createDirectory();

    const auto node = scan (folder);
    EXPECT_EQ (childNames (node), (juce::StringArray ({ ".hidden.preset", ".hiddenDir", "a2.preset", "a3", "a10.preset", "B.preset", "Folder.preset", "X.PRESET" })));
    EXPECT_EQ (childNames (node.getChildWithProperty ("name", "a3")), juce::StringArray ({ "Inner.preset" }));
    for (const auto* folderName : { "Folder.preset", ".hiddenDir" })
        EXPECT_TRUE (node.getChildWithProperty ("name", folderName).hasType ("presets")) << folderName;

    const auto preset = node.getChildWithProperty ("name", "X.PRESET");
    EXPECT_TRUE (preset.hasType ("preset"));
    EXPECT_EQ (preset["path"].toString(), folder.getChildFile ("X.PRESET").getFullPathName());
    // Names that compare equal still come out in one order, scan after scan.
    const auto equal = folder.getChildFile ("equal");
    for (const auto* name : { "warm pad.preset", "Warm Pad.preset", "WarmPad.preset" })
        writeFile (equal.getChildFile (name));
    equal.getChildFile ("warmpad.preset").createDirectory();
    const auto first = childNames (scan (equal));
    EXPECT_EQ (first.size(), 4u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (childNames (scan (equal)), first);
}

TEST_F (Scan, AMissingOrUnreadableDirectoryGivesAnEmptyNamedNode)
{
    const auto missing = scan (folder.getChildFile ("Nothing Here"));
    EXPECT_EQ (missing["name"].toString(), "Nothing Here");
    EXPECT_EQ (missing.getNumChildren(), 0);
    // A dangling link cannot be created as a folder nor read: the Artists category stays empty.
    home.applicationDirectory().getChildFile ("Presets").createDirectory();
    link ("/nonexistent/marlinet", home.artistDirectory());
    writeFile (home.factoryDirectory().getChildFile ("F.preset"));
    menu.loadPresets();
    const auto artists = menu.getCategoryTree (Menu::Artists);
    EXPECT_EQ (artists["name"].toString(), "Artists");
    EXPECT_EQ (artists.getNumChildren(), 0);
    EXPECT_EQ (childNames (menu.getCategoryTree (Menu::Factory)), juce::StringArray ({ "F.preset" }));
}

TEST_F (Scan, ASocketIsNeitherAFolderNorAPreset)
{
    writeFile (folder.getChildFile ("A.preset"));
    const auto socketPath = folder.getChildFile ("control").getFullPathName();
    const int fd = ::socket (AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE (fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy (address.sun_path, socketPath.toRawUTF8(), sizeof (address.sun_path) - 1);
    ASSERT_EQ (::bind (fd, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);

    EXPECT_EQ (childNames (scan (folder)), juce::StringArray ({ "A.preset" }));
    ::close (fd);
}

TEST_F (Scan, ListsEveryFolderOnceHoweverManyLinksReachIt)
{
    const auto inner = folder.getChildFile ("Inner"), elsewhere = home.root.getChildFile ("elsewhere");
    writeFile (inner.getChildFile ("Deep.preset"));
    writeFile (elsewhere.getChildFile ("Shared.preset"));
    link (folder.getFullPathName(), inner.getChildFile ("Loop"));
    link (".", inner.getChildFile ("Self"));   // relative: the link's own folder
    link (elsewhere.getFullPathName(), folder.getChildFile ("Linked"));
    link (elsewhere.getFullPathName(), inner.getChildFile ("Linked Again"));
    const auto node = scan (folder), innerNode = node.getChild (0);
    EXPECT_EQ (childNames (node), (juce::StringArray ({ "Inner", "Linked" })));
    EXPECT_EQ (childNames (innerNode), (juce::StringArray ({ "Deep.preset", "Linked Again", "Loop", "Self" })));
    // The first link met in the tree's order lists the folder; every other way to it stays empty.
    EXPECT_EQ (childNames (innerNode.getChildWithProperty ("name", "Linked Again")), juce::StringArray ({ "Shared.preset" }));
    for (const auto& repeat : { node.getChild (1), innerNode.getChild (2), innerNode.getChild (3) })
        EXPECT_EQ (repeat.getNumChildren(), 0) << repeat["name"].toString();
}

TEST_F (Scan, StaysBoundedOverTheWholeFileSystemYetListsFiftyThousandPresetsWhole)
{
    // Hard links to one file: many times faster to make than new files.
    const auto original = writeFile (home.root.getChildFile ("original"));
    auto create = [&original] (const juce::File& file) { ::link (original.getFullPathName().toRawUTF8(), file.getFullPathName().toRawUTF8()); };
    const auto user = home.userPresetDirectory();
    user.createDirectory();
    for (int i = 0; i < 50000; ++i)
        create (user.getChildFile ("p" + juce::String (i) + ".preset"));
    link ("/", user.getChildFile ("zroot"));
    menu.loadPresets();
    const auto userRoot = menu.getCategoryTree (Menu::User);
    ASSERT_EQ (userRoot.getNumChildren(), 50001);
    EXPECT_EQ (userRoot.getChild (49999)["name"].toString(), "p49999.preset");
    EXPECT_GT (userRoot.getChild (50000).getNumChildren(), 0);   // the file system, as far as the scan goes
    EXPECT_LT (cacheFile().getSize(), 25 * 1024 * 1024);

    // Paths of 4 KB each: files.xml stops growing at its bound, and the next start reads it.
    user.deleteRecursively();
    auto deep = home.artistDirectory();
    for (int level = 0; level < 15; ++level)
        deep = deep.getChildFile (juce::String::repeatedString ("d", 250) + juce::String (level));
    deep.createDirectory();
    for (int i = 0; i < 6500; ++i)
        create (deep.getChildFile (juce::String::repeatedString ("n", 200) + juce::String (i) + ".preset"));
    menu.loadPresets();
    auto listed = menu.getCategoryTree (Menu::Artists);
    while (listed.getNumChildren() == 1 && listed.getChild (0).hasType ("presets"))
        listed = listed.getChild (0);
    EXPECT_GT (listed.getNumChildren(), 4000);
    EXPECT_LT (listed.getNumChildren(), 6500);
    EXPECT_LT (cacheFile().getSize(), 25 * 1024 * 1024);
    EXPECT_EQ (menu.filesTree.getType().toString(), "Files");
}

TEST_F (Scan, TheDefaultPresetIsMovedFirstInTheFactoryRootOnly)
{
    for (const auto* name : { "Alpha.preset", "Zulu.preset", "Marlinet By Quenwick.preset", "Bass/Other.preset" })
        writeFile (home.factoryDirectory().getChildFile (name));
    menu.loadPresets();
    const auto factory = menu.getCategoryTree (Menu::Factory);
    EXPECT_EQ (childNames (factory), (juce::StringArray ({ "Marlinet By Quenwick.preset", "Alpha.preset", "Bass", "Zulu.preset" })));
    EXPECT_EQ (menu.getDefaultTree(), factory.getChild (0));
    EXPECT_EQ (menu.getCategoryTree ((Menu::Category) 7), factory);
    const auto text = fileText (cacheFile());
    EXPECT_LT (text.find ("Marlinet By Quenwick.preset"), text.find ("Alpha.preset"));   // files.xml follows the tree
    // In a sub-folder, in another case or in another category it stays where the order puts it.
    home.factoryDirectory().getChildFile ("Marlinet By Quenwick.preset").deleteFile();
    for (const auto* name : { "marlinet by quenwick.preset", "Bass/Marlinet By Quenwick.preset" })
        writeFile (home.factoryDirectory().getChildFile (name));
    writeFile (home.userPresetDirectory().getChildFile ("Marlinet By Quenwick.preset"));
    menu.loadPresets();
    EXPECT_FALSE (menu.getDefaultTree().isValid());
    EXPECT_EQ (childNames (menu.getCategoryTree (Menu::Factory)), (juce::StringArray ({ "Alpha.preset", "Bass", "marlinet by quenwick.preset", "Zulu.preset" })));
}

TEST (StoreWithoutDirectories, NeverWritesIntoTheFileSystemRoot)
{
    TempHome home;
    Menu menu { "marlinet", nullptr, juce::File(), juce::File(), "Marlinet By Quenwick", nullptr };
    menu.loadPresets();
    EXPECT_EQ (menu.getDirectory (Menu::FactoryPresets), juce::File());
    EXPECT_FALSE (juce::File ("/Presets").exists());
    EXPECT_FALSE (juce::File ("/files.xml").exists());
    EXPECT_EQ (menu.filesTree.getNumChildren(), 3);
}
