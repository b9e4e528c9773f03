#include "tests/support/Fixtures.h"
#include "presets/safeFile.h"

#include <csignal>
#include <sys/resource.h>


namespace
{
    /** Makes every file write of this process beyond a few bytes fail while it exists,
        whoever runs the test (file permissions do not stop root). */
    struct FileSizeLimit
    {
        explicit FileSizeLimit (rlim_t bytes) : handler (std::signal (SIGXFSZ, SIG_IGN))
        {
            getrlimit (RLIMIT_FSIZE, &previous);
            rlimit limited { bytes, previous.rlim_max };
            active = setrlimit (RLIMIT_FSIZE, &limited) == 0;
        }
        ~FileSizeLimit() { setrlimit (RLIMIT_FSIZE, &previous); std::signal (SIGXFSZ, handler); }
        void (*handler) (int);
        rlimit previous {};
        bool active = false;
    };
}

TEST_F (CommandsTest, SaveWithAFactoryPresetCurrentGoesToTheUserRootAndLeavesTheFactoryFilesAlone)
{
    const auto defaultBefore = fileBytes (factory ("Marlinet By Quenwick.preset"));
    const auto brightBefore = fileBytes (factory ("Bright.preset"));
    // A new name: a new current node under the User root, its file in the user folder.
    setDepth (0.9f);
    ASSERT_TRUE (commands::savePreset (store(), chosen ("My Tone.preset")));
    const auto current = store().currentPreset;
    EXPECT_FLOAT_EQ (depthIn (user ("My Tone.preset")), 0.9f);
    EXPECT_EQ (current.getParent(), store().getCategoryTree (Menu::User));
    EXPECT_EQ (current["name"].toString(), "My Tone");
    EXPECT_EQ (current["path"].toString(), user ("My Tone.preset").getFullPathName());
    EXPECT_EQ (store().getPresetFile (current), user ("My Tone.preset"));
    EXPECT_FALSE (store().pendingPreset.isValid());
    // The state now names the saved file, in the processor, in the slot and in the file.
    const auto savedPath = user ("My Tone.preset").getFullPathName();
    EXPECT_EQ (processor->apvts.state["path"].toString(), savedPath);
    EXPECT_EQ (treeOf (store().stateA)["path"].toString(), savedPath);
    EXPECT_EQ (treeOf (fileBytes (user ("My Tone.preset")))["path"].toString(), savedPath);
    // The Factory preset's own name, even from a dialog pointed at the Factory folder: a user copy.
    store().loadPreset (preset ("Bright.preset"));
    setDepth (0.8f);
    ASSERT_TRUE (commands::savePreset (store(), factory ("Bright.preset")));
    EXPECT_FLOAT_EQ (depthIn (user ("Bright.preset")), 0.8f);
    EXPECT_EQ (store().currentPreset.getParent(), store().getCategoryTree (Menu::User));
    // Saving again under that name overwrites the user copy.
    const auto userPresetsBefore = store().getCategoryTree (Menu::User).getNumChildren();
    setDepth (0.7f);
    ASSERT_TRUE (commands::savePreset (store(), chosen ("Bright.preset")));
    EXPECT_FLOAT_EQ (depthIn (user ("Bright.preset")), 0.7f);
    EXPECT_EQ (store().getCategoryTree (Menu::User).getNumChildren(), userPresetsBefore);
    EXPECT_EQ (fileBytes (factory ("Marlinet By Quenwick.preset")), defaultBefore);
    EXPECT_EQ (fileBytes (factory ("Bright.preset")), brightBefore);
}

TEST_F (CommandsTest, SaveFromAUserSubFolderJoinsThatFolderWhateverFolderTheDialogShowed)
{
    store().loadPreset (preset ("Pad.preset"));
    ASSERT_TRUE (commands::savePreset (store(), factory ("Warm.preset")));
    EXPECT_TRUE (user ("Keys/Warm.preset").existsAsFile());
    EXPECT_FALSE (factory ("Warm.preset").exists() || user ("Warm.preset").exists());
    EXPECT_EQ (store().currentPreset.getParent(), folder ("Keys"));
    EXPECT_EQ (childNames (folder ("Keys")), juce::StringArray ({ "Pad.preset", "Soft.preset", "Warm" }));
}

TEST_F (CommandsTest, ASaveWritesExactlyTheTypedNameAndTouchesNoOtherPresetFileOrNode)
{
    // In Keys, beside Soft.preset (0.45): no dotted name may land on it.
    const std::pair<const char*, const char*> saves[] = { { "Soft.v2", "Soft.v2.preset" }, { "Tone 1.5.preset", "Tone 1.5.preset" },
                                                          { "Mix.PRESET", "Mix.preset" }, { "Soft.preset.bak", "Soft.preset.bak.preset" } };
    for (const auto& [typed, written] : saves)
    {
        SCOPED_TRACE (typed);
        store().loadPreset (preset ("Pad.preset"));
        setDepth (0.9f);
        EXPECT_EQ (commands::saveTarget (store(), chosen (typed)), user ("Keys").getChildFile (written));
        ASSERT_TRUE (commands::savePreset (store(), chosen (typed)));
        EXPECT_FLOAT_EQ (depthIn (user ("Keys").getChildFile (written)), 0.9f);
        EXPECT_FLOAT_EQ (depthIn (user ("Keys/Soft.preset")), 0.45f);
        const auto current = store().currentPreset;
        EXPECT_EQ (current.getParent(), folder ("Keys"));
        EXPECT_EQ (current["path"].toString(), user ("Keys").getChildFile (written).getFullPathName());
        EXPECT_EQ (store().getPresetFile (current), user ("Keys").getChildFile (written));
        EXPECT_TRUE (preset ("Soft.preset").isValid() && preset ("Pad.preset").isValid());
    }
    EXPECT_EQ (folder ("Keys").getNumChildren(), 6);
}

TEST_F (CommandsTest, SaveOntoTheCurrentUserPresetOverwritesItWithTheActiveSlotOnly)
{
    auto lead = preset ("Lead.preset");
    store().loadPreset (lead);
    const auto treeBefore = store().filesTree.createCopy();
    setDepth (0.77f);
    ASSERT_TRUE (commands::savePreset (store(), chosen ("Lead.preset")));
    EXPECT_FLOAT_EQ (depthIn (user ("Lead.preset")), 0.77f);
    EXPECT_EQ (store().stateA, fileBytes (user ("Lead.preset")));
    // With slot B active, stateB is refreshed and written; stateA stays.
    store().compareSlot = 1;
    const auto stateABefore = store().stateA;
    setDepth (0.66f);
    ASSERT_TRUE (commands::savePreset (store(), chosen ("Lead.preset")));
    EXPECT_EQ (store().stateB, fileBytes (user ("Lead.preset")));
    EXPECT_FLOAT_EQ (depthIn (store().stateB), 0.66f);
    EXPECT_EQ (store().stateA, stateABefore);
    EXPECT_TRUE (store().filesTree.isEquivalentTo (treeBefore));
    EXPECT_EQ (store().currentPreset, lead);
}

TEST_F (CommandsTest, SaveWithThePlaceholderCurrentReplacesThePlaceholder)
{
    // No Factory and no User presets: the store's placeholder is current.
    factory ("").deleteRecursively();
    home.userPresetDirectory().deleteRecursively();
    store().loadPresets();
    store().loadDefaultPreset();
    auto userRoot = store().getCategoryTree (Menu::User);
    ASSERT_EQ (childNames (userRoot), juce::StringArray ({ "Unnamed.preset" }));
    ASSERT_TRUE (commands::savePreset (store(), chosen ("First.preset")));
    EXPECT_EQ (childNames (userRoot), juce::StringArray ({ "First" }));
    EXPECT_TRUE (user ("First.preset").existsAsFile());
    EXPECT_FALSE (user ("Unnamed.preset").exists());
}

TEST_F (CommandsTest, ACancelledOrFailedSaveLeavesTheOldFileAndTheTreeAsTheyWere)
{
    auto lead = preset ("Lead.preset");
    store().loadPreset (lead);
    const auto oldBytes = fileBytes (user ("Lead.preset"));
    const auto treeBefore = store().filesTree.createCopy();
    const auto stateABefore = store().stateA;
    setDepth (0.11f);
    EXPECT_FALSE (commands::savePreset (store(), juce::File()));
    {
        // A read-only folder (which does not bind root) and a size limit smaller than any
        // state: every write of the preset fails part-way, whoever runs the test.
        const FileSizeLimit limit (16);
        ASSERT_TRUE (limit.active);
        home.userPresetDirectory().setReadOnly (true, false);
        EXPECT_FALSE (commands::savePreset (store(), chosen ("Lead.preset")));
        EXPECT_FALSE (commands::savePreset (store(), chosen ("Brand New.preset")));
        home.userPresetDirectory().setReadOnly (false, false);
    }
    EXPECT_EQ (fileBytes (user ("Lead.preset")), oldBytes);
    EXPECT_TRUE (store().filesTree.isEquivalentTo (treeBefore));
    EXPECT_EQ (store().currentPreset, lead);
    EXPECT_EQ (store().stateA, stateABefore);
    EXPECT_EQ (processor->apvts.state["path"].toString(), user ("Lead.preset").getFullPathName());
    // Neither the new file nor a temporary file is left behind.
    EXPECT_EQ (home.userPresetDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);
    EXPECT_TRUE (user ("Keys").isDirectory());
}

TEST (CommandsPresetFile, AnEmptyBlockOrADirectoryTargetIsRefusedAndTheOldFileKept)
{
    const TempHome home;
    const auto target = home.root.getChildFile ("kept.preset");
    const auto folder = home.root.getChildFile ("folder.preset");
    const auto nested = home.root.getChildFile ("a/b/c.preset");
    ASSERT_TRUE (target.replaceWithText ("old bytes") && folder.createDirectory().wasOk());
    EXPECT_FALSE (quenwick::replaceFileContent (target, nullptr, 0));
    EXPECT_EQ (target.loadFileAsString(), "old bytes");
    EXPECT_FALSE (quenwick::replaceFileContent (folder, "abc", 3));
    EXPECT_TRUE (folder.isDirectory());
    // A good write replaces the content whole and creates missing folders.
    EXPECT_TRUE (quenwick::replaceFileContent (target, "new", 3));
    EXPECT_EQ (target.loadFileAsString(), "new");
    EXPECT_TRUE (quenwick::replaceFileContent (nested, "abc", 3));
    EXPECT_EQ (nested.loadFileAsString(), "abc");
}
