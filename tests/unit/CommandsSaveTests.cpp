#include "tests/unit/CommandsTestSupport.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace commandstest;
namespace commands = quenwick::commands;

namespace
{
    /** Makes every file write of this process beyond a few bytes fail while it exists,
        whoever runs the test (file permissions do not stop root). */
    struct FileSizeLimit
    {
        explicit FileSizeLimit (rlim_t bytes)
        {
            previousHandler = std::signal (SIGXFSZ, SIG_IGN);
            getrlimit (RLIMIT_FSIZE, &previous);
            rlimit limited = previous;
            limited.rlim_cur = bytes;
            active = setrlimit (RLIMIT_FSIZE, &limited) == 0;
        }

        ~FileSizeLimit()
        {
            setrlimit (RLIMIT_FSIZE, &previous);
            std::signal (SIGXFSZ, previousHandler);
        }

        rlimit previous {};
        void (*previousHandler) (int) = nullptr;
        bool active = false;
    };

    juce::StringArray entriesOf (const juce::File& folder)
    {
        juce::StringArray names;

        for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
            names.add (entry.getFile().getFileName());

        names.sort (false);
        return names;
    }
}

TEST_F (CommandsTest, SaveWithAFactoryPresetCurrentAddsANewPresetUnderTheUserRoot)
{
    const auto factoryBefore = bytesOf (factory ("Marlinet By Quenwick.preset"));
    setParameter (*processor, ParameterIds::depth1, 0.9f);

    ASSERT_TRUE (commands::savePreset (store(), chosen ("My Tone.preset")));

    const auto file = user ("My Tone.preset");
    EXPECT_TRUE (file.existsAsFile());
    EXPECT_FLOAT_EQ (depthIn (file), 0.9f);
    EXPECT_EQ (bytesOf (factory ("Marlinet By Quenwick.preset")), factoryBefore);

    const auto current = store().currentPreset;
    EXPECT_EQ (current.getParent(), store().getCategoryTree (quenwick::Menu::User));
    EXPECT_EQ (current["name"].toString(), "My Tone");
    EXPECT_EQ (current["path"].toString(), file.getFullPathName());
    EXPECT_EQ (store().getPresetFile (current), file);
    EXPECT_FALSE (store().pendingPreset.isValid());
}

TEST_F (CommandsTest, SaveUnderAFactoryPresetsOwnNameGoesToTheUserRootAndLeavesTheFactoryFileAlone)
{
    store().loadPreset (preset ("Bright.preset"));
    const auto factoryBefore = bytesOf (factory ("Bright.preset"));
    setParameter (*processor, ParameterIds::depth1, 0.8f);

    // Even a dialog pointed at the Factory folder itself only supplies the name.
    ASSERT_TRUE (commands::savePreset (store(), factory ("Bright.preset")));

    EXPECT_EQ (bytesOf (factory ("Bright.preset")), factoryBefore);
    EXPECT_FLOAT_EQ (depthIn (user ("Bright.preset")), 0.8f);
    EXPECT_EQ (store().currentPreset.getParent(), store().getCategoryTree (quenwick::Menu::User));
    EXPECT_EQ (store().getCategoryOfValueTree (store().currentPreset), quenwick::Menu::User);

    // Saving again under the same name overwrites that user copy, not the Factory file.
    setParameter (*processor, ParameterIds::depth1, 0.7f);
    const auto userPresetsBefore = store().getCategoryTree (quenwick::Menu::User).getNumChildren();
    ASSERT_TRUE (commands::savePreset (store(), chosen ("Bright.preset")));
    EXPECT_FLOAT_EQ (depthIn (user ("Bright.preset")), 0.7f);
    EXPECT_EQ (bytesOf (factory ("Bright.preset")), factoryBefore);
    EXPECT_EQ (store().getCategoryTree (quenwick::Menu::User).getNumChildren(), userPresetsBefore);
}

TEST_F (CommandsTest, SaveFromAUserSubFolderJoinsThatFolderWhateverFolderTheDialogShowed)
{
    store().loadPreset (preset ("Pad.preset"));

    ASSERT_TRUE (commands::savePreset (store(), factory ("Warm.preset")));

    const auto keys = folder ("Keys");
    EXPECT_TRUE (user ("Keys/Warm.preset").existsAsFile());
    EXPECT_FALSE (factory ("Warm.preset").exists());
    EXPECT_FALSE (user ("Warm.preset").exists());
    EXPECT_EQ (store().currentPreset.getParent(), keys);
    EXPECT_EQ (childNames (keys), juce::StringArray ({ "Pad.preset", "Soft.preset", "Warm" }));
}

TEST_F (CommandsTest, TheSaveFolderIsWhereTheSaveWillLand)
{
    EXPECT_EQ (commands::saveFolder (store()), home.userPresetDirectory());

    store().loadPreset (preset ("Soft.preset"));
    EXPECT_EQ (commands::saveFolder (store()), user ("Keys"));

    store().loadPreset (preset ("Lead.preset"));
    EXPECT_EQ (commands::saveFolder (store()), home.userPresetDirectory());
}

TEST_F (CommandsTest, SaveUnderTheCurrentUserPresetsNameOverwritesItWithTheActiveSlot)
{
    auto lead = preset ("Lead.preset");
    store().loadPreset (lead);
    const auto treeBefore = store().filesTree.createCopy();
    setParameter (*processor, ParameterIds::depth1, 0.77f);

    ASSERT_TRUE (commands::savePreset (store(), chosen ("Lead.preset")));

    EXPECT_FLOAT_EQ (depthIn (user ("Lead.preset")), 0.77f);
    EXPECT_TRUE (store().filesTree.isEquivalentTo (treeBefore));
    EXPECT_EQ (store().currentPreset, lead);
    EXPECT_EQ (store().stateA, bytesOf (user ("Lead.preset")));
}

TEST_F (CommandsTest, SaveWithSlotBActiveRefreshesAndWritesStateBOnly)
{
    store().compareSlot = 1;
    const auto stateABefore = store().stateA;
    setParameter (*processor, ParameterIds::depth1, 0.66f);

    ASSERT_TRUE (commands::savePreset (store(), chosen ("Slot B.preset")));

    EXPECT_EQ (store().stateB, bytesOf (user ("Slot B.preset")));
    EXPECT_FLOAT_EQ (depthIn (store().stateB), 0.66f);
    EXPECT_EQ (store().stateA, stateABefore);
}

TEST_F (CommandsTest, SaveWithThePlaceholderCurrentReplacesThePlaceholder)
{
    // No Factory and no User presets: the store's placeholder is current.
    factory ("").deleteRecursively();
    home.userPresetDirectory().deleteRecursively();
    store().loadPresets();
    store().loadDefaultPreset();
    auto userRoot = store().getCategoryTree (quenwick::Menu::User);
    ASSERT_EQ (childNames (userRoot), juce::StringArray ({ "Unnamed.preset" }));

    ASSERT_TRUE (commands::savePreset (store(), chosen ("First.preset")));

    EXPECT_EQ (childNames (userRoot), juce::StringArray ({ "First" }));
    EXPECT_TRUE (user ("First.preset").existsAsFile());
    EXPECT_FALSE (user ("Unnamed.preset").exists());
}

TEST_F (CommandsTest, ACancelledSaveChangesNothing)
{
    const auto treeBefore = store().filesTree.createCopy();
    const auto stateABefore = store().stateA;

    EXPECT_FALSE (commands::savePreset (store(), juce::File()));

    EXPECT_TRUE (store().filesTree.isEquivalentTo (treeBefore));
    EXPECT_EQ (store().stateA, stateABefore);
}

TEST_F (CommandsTest, AFailedWriteLeavesTheOldFileAndTheTreeAsTheyWere)
{
    auto lead = preset ("Lead.preset");
    store().loadPreset (lead);
    const auto oldBytes = bytesOf (user ("Lead.preset"));
    const auto treeBefore = store().filesTree.createCopy();
    const auto stateABefore = store().stateA;
    setParameter (*processor, ParameterIds::depth1, 0.11f);

    {
        // Smaller than any state: every write of the preset fails part-way.
        const FileSizeLimit limit (16);
        ASSERT_TRUE (limit.active);

        EXPECT_FALSE (commands::savePreset (store(), chosen ("Lead.preset")));
        EXPECT_FALSE (commands::savePreset (store(), chosen ("Brand New.preset")));
    }

    EXPECT_EQ (bytesOf (user ("Lead.preset")), oldBytes);
    EXPECT_FALSE (user ("Brand New.preset").exists());
    EXPECT_TRUE (store().filesTree.isEquivalentTo (treeBefore));
    EXPECT_EQ (store().currentPreset, lead);
    EXPECT_EQ (store().stateA, stateABefore);

    // No temporary file is left behind either.
    EXPECT_EQ (entriesOf (home.userPresetDirectory()), juce::StringArray ({ "Keys", "Lead.preset" }));
}

TEST_F (CommandsTest, ASaveIntoAReadOnlyFolderFailsWithoutTouchingTheOldFile)
{
    store().loadPreset (preset ("Pad.preset"));
    const auto keysFolder = user ("Keys");
    const auto oldBytes = bytesOf (user ("Keys/Pad.preset"));
    const auto treeBefore = store().filesTree.createCopy();

    keysFolder.setReadOnly (true, false);

    if (keysFolder.getChildFile ("probe").create().wasOk())
    {
        keysFolder.getChildFile ("probe").deleteFile();
        keysFolder.setReadOnly (false, false);
        GTEST_SKIP() << "permissions do not bind this user (root); the file size limit test covers failed writes";
    }

    EXPECT_FALSE (commands::savePreset (store(), chosen ("Pad.preset")));
    EXPECT_FALSE (commands::savePreset (store(), chosen ("Other.preset")));
    keysFolder.setReadOnly (false, false);

    EXPECT_EQ (bytesOf (user ("Keys/Pad.preset")), oldBytes);
    EXPECT_TRUE (store().filesTree.isEquivalentTo (treeBefore));
}

TEST (CommandsPresetFile, AnEmptyBlockOrADirectoryTargetIsRefusedAndTheOldFileKept)
{
    const TempHome home;
    const auto target = home.root.getChildFile ("kept.preset");
    ASSERT_TRUE (target.replaceWithText ("old bytes"));

    EXPECT_FALSE (commands::writePresetFile (target, {}));
    EXPECT_EQ (target.loadFileAsString(), "old bytes");

    const auto folder = home.root.getChildFile ("folder.preset");
    ASSERT_TRUE (folder.createDirectory().wasOk());
    EXPECT_FALSE (commands::writePresetFile (folder, juce::MemoryBlock ("abc", 3)));
    EXPECT_TRUE (folder.isDirectory());

    // A good write replaces the content whole and creates missing folders.
    EXPECT_TRUE (commands::writePresetFile (target, juce::MemoryBlock ("new", 3)));
    EXPECT_EQ (target.loadFileAsString(), "new");
    const auto nested = home.root.getChildFile ("a/b/c.preset");
    EXPECT_TRUE (commands::writePresetFile (nested, juce::MemoryBlock ("abc", 3)));
    EXPECT_EQ (nested.loadFileAsString(), "abc");
}
