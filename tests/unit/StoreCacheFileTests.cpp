#include "tests/unit/StoreTestSupport.h"

#include <sys/stat.h>
#include <atomic>
#include <thread>

using namespace storetest;

namespace
{
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

    std::string attribute (const juce::String& name, const juce::String& value)
    {
        return (" " + name + "=\"" + value.replace ("&", "&amp;") + "\"").toStdString();
    }

    std::string spaces (int n) { return std::string ((size_t) n, ' '); }

    struct CacheFile : StoreTest {};
}

TEST_F (CacheFile, FirstStartCreatesTheFourFoldersAndWritesTheEmptyTreeExactly)
{
    menu.loadPresets();

    EXPECT_TRUE (home.factoryDirectory().isDirectory());
    EXPECT_TRUE (home.artistDirectory().isDirectory());
    EXPECT_TRUE (home.userPresetDirectory().isDirectory());
    EXPECT_EQ (menu.getDirectory ((quenwick::Menu::DirectoryType) 9), juce::File());

    const auto expected = crlfLines ({ declaration, "",
                                       "<Files>",
                                       "  <Factory>", "    <presets name=\"Factory\"/>", "  </Factory>",
                                       "  <Artists>", "    <presets name=\"Artists\"/>", "  </Artists>",
                                       "  <User>", "    <presets name=\"User\"/>", "  </User>",
                                       "</Files>" });
    EXPECT_EQ (bytesOf (cacheFile()), expected);
}

TEST_F (CacheFile, NestsFoldersEscapesNamesAndWrapsAttributesPastSixtyCharacters)
{
    // " name=\"...\"" is 8 characters plus the name: 52 characters stay on the line, 53 wrap.
    const juce::String fits = juce::String::repeatedString ("f", 45) + ".preset";
    const juce::String wraps = juce::String::repeatedString ("w", 46) + ".preset";
    ASSERT_EQ (fits.length(), 52);

    const auto factory = home.factoryDirectory();
    const auto deep = writeFile (factory.getChildFile ("Bass").getChildFile ("Deep & Dark.preset"));
    const auto fitting = writeFile (factory.getChildFile (fits));
    const auto wrapping = writeFile (factory.getChildFile (wraps));

    menu.loadPresets();

    const auto expected = crlfLines ({
        declaration, "",
        "<Files>",
        "  <Factory>",
        "    <presets name=\"Factory\">",
        "      <presets name=\"Bass\">",
        "        <preset" + attribute ("name", "Deep & Dark.preset") + attribute ("path", deep.getFullPathName()) + "/>",
        "      </presets>",
        "      <preset" + attribute ("name", fits) + attribute ("path", fitting.getFullPathName()) + "/>",
        "      <preset" + attribute ("name", wraps),
        spaces (6 + 7) + attribute ("path", wrapping.getFullPathName()) + "/>",
        "    </presets>",
        "  </Factory>",
        "  <Artists>", "    <presets name=\"Artists\"/>", "  </Artists>",
        "  <User>", "    <presets name=\"User\"/>", "  </User>",
        "</Files>" });

    EXPECT_EQ (bytesOf (cacheFile()), expected);
}

TEST_F (CacheFile, KeepsAForeignRootTagButReplacesItsAttributesAndContent)
{
    writeFile (cacheFile(), "<Library version=\"3\"><Old name=\"gone\"/></Library>");
    writeFile (home.userPresetDirectory().getChildFile ("Lead.preset"));

    menu.loadPresets();

    EXPECT_TRUE (menu.filesTree.hasType ("Library"));
    EXPECT_FALSE (menu.filesTree.hasProperty ("version"));
    ASSERT_EQ (menu.filesTree.getNumChildren(), 3);
    EXPECT_TRUE (menu.filesTree.getChild (0).hasType ("Factory"));
    EXPECT_EQ (namesOf (menu.getCategoryTree (quenwick::Menu::User)), std::vector<std::string> { "Lead.preset" });

    const auto text = bytesOf (cacheFile());
    EXPECT_NE (text.find ("\r\n\r\n<Library>\r\n  <Factory>"), std::string::npos);
    EXPECT_EQ (text.find ("Old"), std::string::npos);
    EXPECT_EQ (text.find ("version=\"3\""), std::string::npos);
}

TEST_F (CacheFile, EmptyOrNonXmlContentIsRebuiltFromTheFolders)
{
    for (const auto* content : { "", "this is { not xml", "<Files><unclosed></Files>" })
    {
        SCOPED_TRACE (content);
        writeFile (cacheFile(), content);
        writeFile (home.factoryDirectory().getChildFile ("One.preset"));

        menu.loadPresets();

        EXPECT_TRUE (menu.filesTree.hasType ("Files"));
        EXPECT_EQ (namesOf (menu.getCategoryTree (quenwick::Menu::Factory)), std::vector<std::string> { "One.preset" });
        EXPECT_NE (bytesOf (cacheFile()).find ("<preset name=\"One.preset\""), std::string::npos);
    }
}

TEST_F (CacheFile, StaleEntriesAreReplacedByWhatTheDiskHolds)
{
    writeFile (cacheFile(), "<Files><Factory><presets name=\"Factory\"><preset name=\"Ghost.preset\" path=\"/nowhere/Ghost.preset\"/>"
                            "<presets name=\"Old Folder\"/></presets></Factory></Files>");
    writeFile (home.factoryDirectory().getChildFile ("Real.preset"));

    menu.loadPresets();

    EXPECT_EQ (namesOf (menu.getCategoryTree (quenwick::Menu::Factory)), std::vector<std::string> { "Real.preset" });
    const auto text = bytesOf (cacheFile());
    EXPECT_EQ (text.find ("Ghost"), std::string::npos);
    EXPECT_EQ (text.find ("Old Folder"), std::string::npos);
    EXPECT_NE (text.find ("Real.preset"), std::string::npos);
}

TEST_F (CacheFile, CraftedDocumentsNeitherCrashNorSurvive)
{
    // A self-referencing entity sends JUCE's parser into endless recursion; absurd nesting
    // exhausts the stack the same way. Both must be refused and the tree rebuilt.
    const juce::String entityBomb = "<?xml version=\"1.0\"?><!DOCTYPE Evil [<!ENTITY a \"&a;&a;\">]><Evil x=\"&a;\"/>";
    const juce::String deep = juce::String::repeatedString ("<a>", 300000) + juce::String::repeatedString ("</a>", 300000);
    const juce::String deepWithTrickyQuotes = juce::String::repeatedString ("<a x=\"/>\">", 300000);

    for (const auto& content : { entityBomb, deep, deepWithTrickyQuotes })
    {
        writeFile (cacheFile(), content);

        menu.loadPresets();

        EXPECT_TRUE (menu.filesTree.hasType ("Files"));
        EXPECT_EQ (menu.filesTree.getNumChildren(), 3);
        EXPECT_EQ (bytesOf (cacheFile()).rfind (declaration, 0), 0u);
    }
}

TEST_F (CacheFile, ACacheThatCannotBeCreatedKeepsTheRebuiltTree)
{
    // A directory where files.xml should be: no regular file can ever be written there.
    cacheFile().createDirectory();
    writeFile (home.factoryDirectory().getChildFile ("Kept.preset"));
    writeFile (home.userPresetDirectory().getChildFile ("Mine.preset"));

    menu.loadPresets();

    EXPECT_EQ (namesOf (menu.getCategoryTree (quenwick::Menu::Factory)), std::vector<std::string> { "Kept.preset" });
    EXPECT_EQ (namesOf (menu.getCategoryTree (quenwick::Menu::User)), std::vector<std::string> { "Mine.preset" });
    EXPECT_TRUE (cacheFile().isDirectory());

    // A second run (after a delete) finds the same and still lists the presets.
    menu.loadPresets();
    EXPECT_EQ (namesOf (menu.getCategoryTree (quenwick::Menu::Factory)), std::vector<std::string> { "Kept.preset" });
}

TEST_F (CacheFile, AFifoInPlaceOfTheCacheDoesNotBlockAndIsReplaced)
{
    home.applicationDirectory().createDirectory();
    ASSERT_EQ (mkfifo (cacheFile().getFullPathName().toRawUTF8(), 0644), 0);

    menu.loadPresets();

    EXPECT_EQ (menu.filesTree.getNumChildren(), 3);
    EXPECT_EQ (bytesOf (cacheFile()).rfind (declaration, 0), 0u);
}

TEST_F (CacheFile, WritesLeaveNoTemporaryFilesBehind)
{
    menu.loadPresets();
    menu.loadPresets();

    juce::StringArray names;

    for (const auto& entry : juce::RangedDirectoryIterator (home.applicationDirectory(), false, "*", juce::File::findFilesAndDirectories))
        names.add (entry.getFile().getFileName());

    names.sort (false);
    EXPECT_EQ (names, juce::StringArray ("Presets", "files.xml"));
}

TEST_F (CacheFile, AReaderInAnotherInstanceAlwaysSeesAWholeFile)
{
    for (int i = 0; i < 40; ++i)
        writeFile (home.factoryDirectory().getChildFile ("Preset " + juce::String (i) + ".preset"));

    menu.loadPresets();

    quenwick::Menu other { "marlinet", nullptr, home.applicationDirectory(), home.userPresetDirectory(), "Marlinet By Quenwick", nullptr };
    other.loadPresets();

    std::atomic<bool> done { false };
    std::thread writer ([&]
    {
        for (int i = 0; i < 300; ++i)
            other.savePresets();

        done = true;
    });

    int reads = 0, broken = 0;

    while (! done || reads < 300)
    {
        const auto text = bytesOf (cacheFile());
        ++reads;

        if (text.rfind (declaration, 0) != 0 || text.size() < 10 || text.compare (text.size() - 10, 10, "</Files>\r\n") != 0)
            ++broken;
    }

    writer.join();
    EXPECT_EQ (broken, 0) << "of " << reads << " reads";
}
