#include "tests/support/Fixtures.h"

#include <sys/stat.h>
#include <atomic>
#include <thread>


namespace
{
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

    /** files.xml as written with these Factory lines and empty Artists and User roots: every line ends in CR LF. */
    std::string fileWithFactory (std::initializer_list<std::string> lines)
    {
        std::string text = declaration + "\r\n\r\n<Files>\r\n";
        for (const auto& line : lines)
            text += line + "\r\n";
        for (const std::string category : { "Artists", "User" })
            text += "  <" + category + ">\r\n    <presets name=\"" + category + "\"/>\r\n  </" + category + ">\r\n";
        return text + "</Files>\r\n";
    }

    std::string attribute (const juce::String& name, const juce::String& value) { return (" " + name + "=\"" + value.replace ("&", "&amp;") + "\"").toStdString(); }

    bool isWhole (const std::string& text, const std::string& rootTag = "Files")
    {
        const auto end = "</" + rootTag + ">\r\n";
        return text.rfind (declaration, 0) == 0 && text.size() >= end.size() && text.compare (text.size() - end.size(), end.size(), end) == 0;
    }

    struct CacheFile : StoreTest {};
}

TEST_F (CacheFile, IsWrittenExactlyFromFirstStartOnNestingFoldersEscapingNamesAndWrappingAttributesPastSixtyCharacters)
{
    menu.loadPresets();
    for (const auto& folder : { home.factoryDirectory(), home.artistDirectory(), home.userPresetDirectory() })
        EXPECT_TRUE (folder.isDirectory()) << folder.getFullPathName();
    EXPECT_EQ (menu.getDirectory ((Menu::DirectoryType) 9), juce::File());   // an unknown type names no folder
    EXPECT_EQ (fileText (cacheFile()), fileWithFactory ({ "  <Factory>", "    <presets name=\"Factory\"/>", "  </Factory>" }));

    // " name=\"...\"" is 8 characters plus the name: 52 characters stay on the line, 53 wrap.
    const juce::String fits = juce::String::repeatedString ("f", 45) + ".preset", wraps = juce::String::repeatedString ("w", 46) + ".preset";
    const auto deep = writeFile (home.factoryDirectory().getChildFile ("Bass/Deep & Dark.preset"));
    const auto fitting = writeFile (home.factoryDirectory().getChildFile (fits)), wrapping = writeFile (home.factoryDirectory().getChildFile (wraps));
    menu.loadPresets();
    EXPECT_EQ (fileText (cacheFile()), fileWithFactory ({
        "  <Factory>",
        "    <presets name=\"Factory\">",
        "      <presets name=\"Bass\">",
        "        <preset" + attribute ("name", "Deep & Dark.preset") + attribute ("path", deep.getFullPathName()) + "/>",
        "      </presets>",
        "      <preset" + attribute ("name", fits) + attribute ("path", fitting.getFullPathName()) + "/>",
        "      <preset" + attribute ("name", wraps),
        std::string (6 + 7, ' ') + attribute ("path", wrapping.getFullPathName()) + "/>",
        "    </presets>",
        "  </Factory>" }));
    EXPECT_EQ (home.applicationDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);   // no temporary file stays

    // Starting over an unchanged library writes nothing: every write would replace the file.
    const auto inodeOf = [this] { struct stat info {}; ::stat (cacheFile().getFullPathName().toRawUTF8(), &info); return info.st_ino; };
    const auto written = inodeOf();
    menu.loadPresets();
    Menu other { "marlinet", nullptr, home.applicationDirectory(), home.userPresetDirectory(), "Marlinet By Quenwick", nullptr };
    other.loadPresets();
    EXPECT_EQ (inodeOf(), written);
    writeFile (home.userPresetDirectory().getChildFile ("New.preset"));
    other.loadPresets();
    EXPECT_NE (inodeOf(), written);
}

TEST_F (CacheFile, EmptyGarbledStaleCraftedOrForeignContentIsRebuiltFromTheFoldersKeepingOnlyAForeignRootTag)
{
    writeFile (home.factoryDirectory().getChildFile ("One.preset"));
    const std::pair<juce::String, std::string> cases[] = {   // the content, and the root tag that stays
        { "", "Files" }, { "this is { not xml", "Files" }, { "<Files><unclosed></Files>", "Files" },
        { "<Files><Factory><presets name=\"Factory\"><preset name=\"Ghost.preset\" path=\"/nowhere/Ghost.preset\"/>"
          "<presets name=\"Old Folder\"/></presets></Factory></Files>", "Files" },
        { "<Library version=\"3\"><Old name=\"gone\"/></Library>", "Library" }, { "<Library version=\"3\"><Old>", "Files" },
        // A self-referencing entity sends JUCE's parser into endless recursion; absurd nesting exhausts the stack the same way.
        { "<?xml version=\"1.0\"?><!DOCTYPE Evil [<!ENTITY a \"&a;&a;\">]><Evil x=\"&a;\"/>", "Files" },
        { juce::String::repeatedString ("<a>", 300000) + juce::String::repeatedString ("</a>", 300000), "Files" },
        { juce::String::repeatedString ("<a x=\"/>\">", 300000), "Files" },
        // A processing instruction followed by text loops JUCE's reader for ever; an
        // unterminated character reference reads past the end of the text.
        { "<Library><?p?>x</Library>", "Files" }, { "<Library>&#x", "Files" } };

    for (const auto& [content, rootTag] : cases)
    {
        SCOPED_TRACE (content.substring (0, 60));
        writeFile (cacheFile(), content);
        menu.loadPresets();
        EXPECT_TRUE (menu.filesTree.hasType (juce::String (rootTag)));
        EXPECT_EQ (menu.filesTree.getNumProperties(), 0);
        EXPECT_EQ (menu.filesTree.getNumChildren(), 3);
        EXPECT_EQ (childNames (menu.getCategoryTree (Menu::Factory)), juce::StringArray ({ "One.preset" }));
        const auto text = fileText (cacheFile());
        EXPECT_TRUE (isWhole (text, rootTag));
        EXPECT_NE (text.find ("\r\n\r\n<" + rootTag + ">\r\n  <Factory>"), std::string::npos);
        EXPECT_NE (text.find ("<preset name=\"One.preset\""), std::string::npos);
        EXPECT_EQ (text.find ("Ghost"), std::string::npos);
        EXPECT_EQ (text.find ("Old"), std::string::npos);
    }
}

TEST_F (CacheFile, ACacheThatCannotBeCreatedKeepsTheRebuiltTreeAndAFifoThereNeitherBlocksNorStays)
{
    cacheFile().createDirectory();   // no regular file can ever be written there
    writeFile (home.factoryDirectory().getChildFile ("Kept.preset"));
    writeFile (home.userPresetDirectory().getChildFile ("Mine.preset"));

    for (int run = 0; run < 2; ++run)
    {
        menu.loadPresets();
        EXPECT_EQ (childNames (menu.getCategoryTree (Menu::Factory)), juce::StringArray ({ "Kept.preset" }));
        EXPECT_EQ (childNames (menu.getCategoryTree (Menu::User)), juce::StringArray ({ "Mine.preset" }));
        EXPECT_TRUE (cacheFile().isDirectory());
    }

    cacheFile().deleteRecursively();
    ASSERT_EQ (mkfifo (cacheFile().getFullPathName().toRawUTF8(), 0644), 0);
    menu.loadPresets();
    EXPECT_EQ (childNames (menu.getCategoryTree (Menu::Factory)), juce::StringArray ({ "Kept.preset" }));
    EXPECT_TRUE (isWhole (fileText (cacheFile())));
}

TEST_F (CacheFile, AReaderInAnotherInstanceAlwaysSeesAWholeFile)
{
    for (int i = 0; i < 40; ++i)
        writeFile (home.factoryDirectory().getChildFile ("Preset " + juce::String (i) + ".preset"));
    Menu other { "marlinet", nullptr, home.applicationDirectory(), home.userPresetDirectory(), "Marlinet By Quenwick", nullptr };
    menu.loadPresets();
    other.loadPresets();

    std::atomic<bool> done { false };
    std::thread writer ([&] { for (int i = 0; i < 300; ++i) other.savePresets(); done = true; });
    int reads = 0, broken = 0;
    for (; ! done || reads < 300; ++reads)
        broken += isWhole (fileText (cacheFile())) ? 0 : 1;
    writer.join();
    EXPECT_EQ (broken, 0) << "of " << reads << " reads";
}
