#include "tests/support/Fixtures.h"

#include <filesystem>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
    struct Store : StoreTest
    {
        juce::File factory (const juce::String& path) const { return home.factoryDirectory().getChildFile (path); }
        juce::File user (const juce::String& path) const { return home.userPresetDirectory().getChildFile (path); }

        /** Starts the store again; true when files.xml was not written: a second name holds the file, so a rewrite could not reuse its inode. */
        bool restartWritesNoCache()
        {
            const auto cache = cacheFile().getFullPathName(), held = home.root.getChildFile ("held.xml").getFullPathName();
            ::unlink (held.toRawUTF8());
            const bool linked = ::link (cache.toRawUTF8(), held.toRawUTF8()) == 0;
            menu.loadPresets();
            struct stat info {};
            return linked && ::stat (cache.toRawUTF8(), &info) == 0 && info.st_nlink == 2;
        }
    };

    struct Loading : CommandsTest {};   // the commands' small library, loaded by a processor's store

    void link (const juce::String& target, const juce::File& at) { ASSERT_EQ (symlink (target.toRawUTF8(), at.getFullPathName().toRawUTF8()), 0); }
    std::string attribute (const juce::String& name, const juce::String& value)  { return (" " + name + "=\"" + value.replace ("&", "&amp;") + "\"").toStdString(); }
    std::string presetLine (const juce::File& file, size_t indent = 6) { return std::string (indent, ' ') + "<preset" + attribute ("name", file.getFileName()) + attribute ("path", file.getFullPathName()) + "/>"; }

    /** files.xml with these lines in the Factory root's folder and empty Artists and User roots: CR LF throughout. */
    std::string cacheText (const std::string& root, std::initializer_list<std::string> factoryLines)
    {
        std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<" + root + ">\r\n  <Factory>\r\n    <presets name=\"Factory\">\r\n";
        for (const auto& line : factoryLines)
            text += line + "\r\n";
        return text + "    </presets>\r\n  </Factory>\r\n  <Artists>\r\n    <presets name=\"Artists\"/>\r\n  </Artists>\r\n"
                      "  <User>\r\n    <presets name=\"User\"/>\r\n  </User>\r\n</" + root + ">\r\n";
    }
}

TEST_F (Store, AScanListsPresetsAndFoldersInNaturalOrderBlindToCaseAndSpacesAndEachFolderOnceHoweverManyLinksReachIt)
{
    const auto folder = home.root.getChildFile ("scan"), inner = folder.getChildFile ("Inner"), elsewhere = home.root.getChildFile ("elsewhere");
    for (auto* name : { "a10.preset", "a2.preset", "A B.preset", "Aa.preset", "B.preset", "X.PRESET", "notes.txt", "y.preset.bak", "Inner/Deep.preset",
                        ".hidden.preset", ".Secret/Deep.preset", "../elsewhere/Shared.preset" })
        writeFile (folder.getChildFile (name));
    link (folder.getFullPathName(), inner.getChildFile ("Loop"));
    link (elsewhere.getFullPathName(), folder.getChildFile ("Linked"));
    link (elsewhere.getFullPathName(), inner.getChildFile ("Linked Again"));
    const int socketFd = ::socket (AF_UNIX, SOCK_STREAM, 0);   // neither a folder nor a preset
    sockaddr_un address { AF_UNIX, {} };
    folder.getChildFile ("control").getFullPathName().copyToUTF8 (address.sun_path, sizeof (address.sun_path));
    ASSERT_EQ (::bind (socketFd, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);
    const auto node = Menu::getFileTreeFromDirectory (folder), innerNode = node.getChildWithProperty ("name", "Inner");
    ::close (socketFd);
    EXPECT_EQ (childNames (node), (juce::StringArray { ".hidden.preset", ".Secret", "a2.preset", "a10.preset", "Aa.preset", "A B.preset", "B.preset", "Inner", "Linked", "X.PRESET" }));
    // The first way met in the tree's order lists a folder; every other way to it stays empty.
    EXPECT_EQ (childNames (innerNode), (juce::StringArray { "Deep.preset", "Linked Again", "Loop" }));
    EXPECT_EQ (childNames (innerNode.getChild (1)), juce::StringArray ("Shared.preset"));
    EXPECT_EQ (node.getChildWithProperty ("name", "Linked").getNumChildren() + innerNode.getChild (2).getNumChildren(), 0);
}

TEST_F (Store, AScanStaysBoundedOverTheWholeFileSystemAndLongPathsYetListsFiftyThousandPresetsWhole)
{
    const auto original = writeFile (home.root.getChildFile ("original"));   // hard links to it: many times faster to make than new files
    const auto add = [&original] (const juce::File& file) { ::link (original.getFullPathName().toRawUTF8(), file.getFullPathName().toRawUTF8()); };
    home.userPresetDirectory().createDirectory();
    for (int i = 0; i < 50000; ++i)
        add (user ("p" + juce::String (i) + ".preset"));
    link ("/", user ("zroot"));
    menu.loadPresets();
    ASSERT_EQ (menu.getCategoryTree (Menu::User).getNumChildren(), 50001);
    EXPECT_GT (menu.getCategoryTree (Menu::User).getChild (50000).getNumChildren(), 0);   // the file system, as far as the bounds go
    EXPECT_LT (cacheFile().getSize(), 25 * 1024 * 1024);

    // Paths of 4 KB, 16 folders deep, each quote escaped to 6 bytes: about 24 KB of files.xml a preset.
    auto deep = home.artistDirectory();   // scanned before User, whose presets may stay
    for (int level = 0; level < 16; ++level)
        deep = deep.getChildFile (juce::String::repeatedString ("\"", 240) + juce::String (level));
    deep.createDirectory();
    for (int i = 0; i < 1300; ++i)
        add (deep.getChildFile (juce::String::repeatedString ("\"", 40) + juce::String (i) + ".preset"));
    menu.loadPresets();
    auto listed = menu.getCategoryTree (Menu::Artists);
    for (int level = 0; level < 16; ++level)
        listed = listed.getChild (0);
    EXPECT_GT (listed.getNumChildren(), 900);
    EXPECT_LT (listed.getNumChildren(), 1300);
    EXPECT_LT (cacheFile().getSize(), 25 * 1024 * 1024);
}

TEST_F (Store, FilesXmlFitsWhatTheNextStartReadsWhateverScriptTheNamesAreWrittenIn)
{
    // Cyrillic names, 2 bytes a letter on disk and 7 in files.xml: 10,000 presets eight folders deep, 120 letters each name.
    const auto cyrillic = [] (const juce::String& suffix) { juce::String text; for (int i = 0; i < 120; ++i) text << juce::String::charToString (0x0430 + i % 32); return text + suffix; };
    const auto original = writeFile (home.root.getChildFile ("original"));
    auto deep = home.userPresetDirectory();
    for (int level = 0; level < 8; ++level)
        deep = deep.getChildFile (cyrillic (juce::String (level)));
    ASSERT_TRUE (deep.createDirectory());
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ (::link (original.getFullPathName().toRawUTF8(), deep.getChildFile (cyrillic (juce::String (i) + ".preset")).getFullPathName().toRawUTF8()), 0);
    menu.loadPresets();
    EXPECT_LE (cacheFile().getSize(), 64 * 1024 * 1024);   // all that a start reads

    EXPECT_TRUE (restartWritesNoCache());   // so the next start over the same folders reads it and writes nothing
}

TEST_F (Store, FilesXmlIsWrittenExactlyWithTheDefaultPresetFirstAndReplacedOnlyWhenItChanges)
{
    // " name=\"...\"" is 8 characters plus the name: 52 characters stay on the line, 53 wrap.
    const juce::String fits = juce::String::repeatedString ("f", 45) + ".preset", wraps = juce::String::repeatedString ("w", 46) + ".preset";
    const auto byDefault = writeFile (factory ("Marlinet By Quenwick.preset")), deep = writeFile (factory ("Bass/Deep & Dark.preset"));
    const auto fitting = writeFile (factory (fits)), wrapping = writeFile (factory (wraps));
    menu.loadPresets();
    EXPECT_EQ (fileText (cacheFile()), cacheText ("Files", {
        presetLine (byDefault), "      <presets name=\"Bass\">", presetLine (deep, 8), "      </presets>", presetLine (fitting),
        "      <preset" + attribute ("name", wraps), std::string (13, ' ') + attribute ("path", wrapping.getFullPathName()) + "/>" }));

    EXPECT_TRUE (restartWritesNoCache());   // nor does another start over the same library
}

TEST_F (Store, AnEmptyGarbledStaleCraftedOrForeignCacheIsRebuiltKeepingOnlyTheRootTagOfWholeXml)
{
    const auto one = writeFile (factory ("One.preset"));
    const std::pair<juce::String, std::string> cases[] = {   // the content, and the root tag that stays
        { "", "Files" }, { "this is { not xml", "Files" }, { "<Files><unclosed></Files>", "Files" },
        { "<Files><Factory><presets name=\"Factory\"><preset name=\"Ghost.preset\" path=\"/nowhere/Ghost.preset\"/>"
          "<presets name=\"Old Folder\"/></presets></Factory></Files>", "Files" },
        { "<Library version=\"3\"><Old name=\"gone\"/></Library>", "Library" }, { "<Library version=\"3\"><Old>", "Files" },
        // A self-referencing entity sends JUCE's parser into endless recursion; absurd nesting exhausts the stack the same way.
        { "<?xml version=\"1.0\"?><!DOCTYPE Evil [<!ENTITY a \"&a;&a;\">]><Evil x=\"&a;\"/>", "Files" },
        { juce::String::repeatedString ("<a>", 300000) + juce::String::repeatedString ("</a>", 300000), "Files" },
        { juce::String::repeatedString ("<a x=\"/>\">", 300000), "Files" },
        // A processing instruction then text loops JUCE's reader for ever; an unterminated reference reads past the end.
        { "<Library><?p?>x</Library>", "Files" }, { "<Library>&#x", "Files" },
        // Nesting hidden behind a stray quote, which the reader takes as content; more elements than any cache we write.
        { "<Library><a \"" + juce::String::repeatedString ("<b>", 100000) + "\"/></Library>", "Files" },
        { "<Library>" + juce::String::repeatedString ("<a/>", 200000) + "</Library>", "Files" } };
    for (const auto& [content, rootTag] : cases)
    {
        SCOPED_TRACE (content.substring (0, 60));
        writeFile (cacheFile(), content);
        menu.loadPresets();
        EXPECT_EQ (fileText (cacheFile()), cacheText (rootTag, { presetLine (one) }));
    }
    // A FIFO there neither blocks the start nor stays; a folder there hides no preset.
    ASSERT_TRUE (cacheFile().deleteFile() && mkfifo (cacheFile().getFullPathName().toRawUTF8(), 0644) == 0);
    menu.loadPresets();
    EXPECT_EQ (fileText (cacheFile()), cacheText ("Files", { presetLine (one) }));
    ASSERT_TRUE (cacheFile().deleteFile() && cacheFile().createDirectory());
    menu.loadPresets();
    EXPECT_EQ (childNames (menu.getCategoryTree (Menu::Factory)), juce::StringArray ("One.preset"));
}

TEST (StoreWithoutFolders, NeverWritesIntoTheFileSystemRoot)
{
    TempHome home;
    Menu menu { "marlinet", nullptr, {}, {}, "Marlinet By Quenwick", nullptr };
    menu.loadPresets();
    EXPECT_FALSE (juce::File ("/Presets").exists() || juce::File ("/files.xml").exists());
}

TEST_F (Store, NodesMapToFilesByTheirNamesAndCategoriesAndARenameTargetsTheCurrentPresetsFolder)
{
    for (const auto& file : { factory ("Bass/Deep.preset"), home.artistDirectory().getChildFile ("Guest/Solo.preset"), user ("Keys/Organ.preset") })
        writeFile (file);
    menu.loadPresets();
    auto deep = nodeNamed (menu, "Deep.preset"), mix = presetNode ("Mix.old");
    deep.setProperty ("path", "/somewhere/else.preset", nullptr);   // the file comes from the names, never from "path"
    findNode (menu.filesTree, "presets", "Keys").appendChild (mix, nullptr);
    const std::tuple<juce::ValueTree, juce::File, Menu::Category> cases[] = { { deep, factory ("Bass/Deep.preset"), Menu::Factory },
        { mix, user ("Keys/Mix.preset"), Menu::User }, { nodeNamed (menu, "Solo.preset"), home.applicationDirectory().getChildFile ("Presets/Artists/Guest/Solo.preset"), Menu::Artists } };
    for (const auto& [node, file, category] : cases)
    {
        EXPECT_EQ (menu.getPresetFile (node), file) << node["name"].toString();
        EXPECT_EQ (menu.getCategoryOfValueTree (node), category) << node["name"].toString();
    }
    // A rename makes a pending preset in the current preset's folder.
    menu.currentPreset = nodeNamed (menu, "Organ.preset");
    menu.changeName ("Warm Pad");
   #if ! JUCE_MAC   // case-sensitive: exactly the file a save writes
    EXPECT_EQ (menu.pendingPreset["path"].toString(), user ("Keys/Warm Pad.preset").getFullPathName());
   #endif
}

TEST_F (Loading, AStartLoadsOnlyTheExactDefaultPresetAndWithoutAnyPresetMakesAPlaceholderThatIsNeverSaved)
{
    const auto restart = [this] { processor.reset(); processor = std::make_unique<MarlinetAudioProcessor>(); };
    restart();
    EXPECT_FLOAT_EQ (currentDepth(), 0.6f);
    EXPECT_EQ (processor->apvts.state["path"].toString(), factory ("Marlinet By Quenwick.preset").getFullPathName());
    writePreset (factory ("marlinet by quenwick.preset"), 0.9f);   // only the exact name is the default, and no user preset loads instead
    for (const auto& removed : { factory ("Marlinet By Quenwick.preset"), home.factoryDirectory(), home.userPresetDirectory() })
    {
        removed.deleteRecursively();
        restart();
        EXPECT_FLOAT_EQ (parameterValue (*processor, ParameterIds::rate1), 120.0f);
        EXPECT_FLOAT_EQ (currentDepth(), 0.5f);
        EXPECT_FALSE (store().stateChanged.load());
    }
    EXPECT_EQ (childNames (store().getCategoryTree (Menu::User)), juce::StringArray ("Unnamed.preset"));
    EXPECT_TRUE (store().currentPreset == store().getCategoryTree (Menu::User).getChild (0) && ! store().currentPreset.hasProperty ("path"));
    EXPECT_FALSE (user ("Unnamed.preset").exists());
}

TEST_F (Loading, AFileFromAnywhereLoadsAndNamesItselfInTheStateIfItIsARegularTreeOfAtMostOneMebibyte)
{
    const auto bytes = [this] (const char* name, const void* data, size_t size) { auto f = home.root.getChildFile (name); f.create(); f.appendData (data, size); return f; };
    const auto good = home.root.getChildFile ("Shared One.preset");
    writePreset (good, 0.9f);
    setDepth (0.1f);
    store().loadPresetFile (good);
    EXPECT_FLOAT_EQ (currentDepth(), 0.9f);
    EXPECT_EQ (treeOf (stateOf (*processor))["path"].toString(), good.getFullPathName());   // the path travels with a host save

    // Empty, garbage or hostile bytes, folders, FIFOs, missing files and files over 1 MiB leave the state and its path alone.
    home.root.getChildFile ("Folder.preset").createDirectory();
    ASSERT_EQ (mkfifo (home.root.getChildFile ("Pipe.preset").getFullPathName().toRawUTF8(), 0644), 0);
    const char garbage[] = { 0, 'n', 'o', ' ', 't', 'r', 'e', 'e' }, badName[] = "\xf0\0\0\0";
    const char hang[] = "VC2!\x0e\0\0\0<a><?p?>x</a>";   // loops JUCE's XML reader for ever
    const auto nest = legacyContainer ("<x rate1=\"90\"><a \"" + juce::String::repeatedString ("<b>", 100000).toStdString() + "\"/></x>");   // the reader recurses off the stack
    auto huge = stateOf (*processor);   // the reader ignores what follows the tree
    huge.setSize (1024 * 1024 + 1, true);
    for (const auto& file : { bytes ("empty.preset", "", 0), bytes ("junk.preset", garbage, sizeof (garbage)), bytes ("badname.preset", badName, 4),
                              bytes ("hang.preset", hang, 22), bytes ("nest.preset", nest.getData(), nest.getSize()),
                              home.root.getChildFile ("Folder.preset"), home.root.getChildFile ("Pipe.preset"),
                              home.root.getChildFile ("missing.preset"), bytes ("huge.preset", huge.getData(), huge.getSize()) })
    {
        store().loadPresetFile (file);
        EXPECT_FLOAT_EQ (currentDepth(), 0.9f) << file.getFileName();
        EXPECT_EQ (processor->apvts.state["path"].toString(), good.getFullPathName()) << file.getFileName();
    }
}

TEST (StoreLoadingLock, AHostSaveNeverSeesALoadedStateWithoutItsPath)
{
    struct SavingDuringRestore : MarlinetAudioProcessor   // a host saves on another thread right after each restore
    {
        std::future<juce::MemoryBlock> hostSave;
        void setStateInformation (const void* data, int size) override
        {
            MarlinetAudioProcessor::setStateInformation (data, size);
            hostSave = std::async (std::launch::async, [this] { return stateOf (*this); });
            hostSave.wait_for (std::chrono::milliseconds (200));   // long enough for an unguarded save to finish here
        }
    };
    TempHome home;
    SavingDuringRestore processor;
    const auto file = home.root.getChildFile ("first.preset");
    const auto bytes = stateOf (processor);
    file.replaceWithData (bytes.getData(), bytes.getSize());
    processor.menu->loadPresetFile (file);
    EXPECT_EQ (treeOf (processor.hostSave.get())["path"].toString(), file.getFullPathName());
}
