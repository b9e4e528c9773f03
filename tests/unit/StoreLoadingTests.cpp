#include "tests/support/Fixtures.h"
#include "tests/support/Helpers.h"

#include <sys/stat.h>
#include <chrono>
#include <future>


namespace
{
    /** Preset bytes holding "rate1"; the other parameters fall back to their defaults. */
    juce::MemoryBlock presetBytes (double rate1)
    {
        juce::ValueTree tree ("MarlinetPreset");
        tree.appendChild (juce::ValueTree ("PARAM").setProperty ("id", "rate1", nullptr).setProperty ("value", rate1, nullptr), nullptr);
        juce::MemoryOutputStream out;
        tree.writeToStream (out);
        return out.getMemoryBlock();
    }

    juce::File writePreset (const juce::File& file, const juce::MemoryBlock& bytes)
    {
        file.getParentDirectory().createDirectory();
        file.replaceWithData (bytes.getData(), bytes.getSize());
        return file;
    }

    juce::File writePreset (const juce::File& file, double rate1) { return writePreset (file, presetBytes (rate1)); }

    struct Loading : ::testing::Test
    {
        TempHome home;
        std::unique_ptr<MarlinetAudioProcessor> processor;

        void start() { processor.reset(); processor = std::make_unique<MarlinetAudioProcessor>(); }
        Menu& menu() { return *processor->menu; }
        float rate1() { return parameterValue (*processor, ParameterIds::rate1); }
        juce::String loadedPath() { return processor->apvts.state["path"].toString(); }
        juce::File user (const char* name) const { return home.userPresetDirectory().getChildFile (name); }
        juce::File other (const char* name) const { return home.root.getChildFile (name); }
    };

    /** Lets a host save on another thread right after each restore, at the moment the store
        has not yet recorded "path": the save must wait until the store is done. */
    struct ProcessorSavingDuringRestore : MarlinetAudioProcessor
    {
        std::future<juce::MemoryBlock> hostSave;

        void setStateInformation (const void* data, int size) override
        {
            MarlinetAudioProcessor::setStateInformation (data, size);
            hostSave = std::async (std::launch::async, [this] { return stateOf (*this); });
            hostSave.wait_for (std::chrono::milliseconds (200));   // long enough for an unguarded save to finish here
        }
    };
}

TEST_F (Loading, StartLoadsTheDefaultPresetOrMakesTheFirstUserEntryOrAPlaceholderCurrent)
{
    const auto defaultPreset = writePreset (home.factoryDirectory().getChildFile ("Marlinet By Quenwick.preset"), 90.0);
    for (auto* name : { "Alpha.preset", "marlinet by quenwick.preset" })
        writePreset (home.factoryDirectory().getChildFile (name), 100.0);
    for (auto* name : { "Keys/Organ.preset", "Lead.preset" })
        writePreset (user (name), 100.0);
    writePreset (home.artistDirectory().getChildFile ("Artist.preset"), 100.0);
    start();
    EXPECT_FLOAT_EQ (rate1(), 90.0f);
    EXPECT_TRUE (menu().stateChanged.load());
    EXPECT_EQ (loadedPath(), defaultPreset.getFullPathName());
    EXPECT_EQ (menu().currentPreset, menu().getCategoryTree (Menu::Factory).getChild (0));
    EXPECT_EQ (menu().currentPreset, menu().getDefaultTree());
    EXPECT_FALSE (menu().pendingPreset.isValid());
    EXPECT_EQ (menu().stateA, menu().stateB);   // both slots keep the defaults
    const auto slot = treeOf (menu().stateA);
    EXPECT_FALSE (slot.hasProperty ("path"));
    EXPECT_DOUBLE_EQ ((double) slot.getChildWithProperty ("id", "rate1")["value"], 120.0);
    const auto expectNothingLoaded = [this] { EXPECT_FLOAT_EQ (rate1(), 120.0f); EXPECT_FALSE (menu().stateChanged.load()); };

    // Without the default preset (in its exact case) nothing is loaded, even with user presets there.
    defaultPreset.deleteFile();
    start();
    expectNothingLoaded();
    EXPECT_FALSE (menu().currentPreset.isValid());
    EXPECT_FALSE (processor->apvts.state.hasProperty ("path"));

    // An empty factory makes the first user entry current without loading it.
    home.factoryDirectory().deleteRecursively();
    start();
    expectNothingLoaded();
    EXPECT_EQ (menu().currentPreset, menu().getCategoryTree (Menu::User).getChild (0));
    EXPECT_EQ (menu().currentPreset["name"].toString(), "Keys");

    // With nothing in the user folder either, an unnamed placeholder is neither written nor cached.
    home.userPresetDirectory().deleteRecursively();
    start();
    expectNothingLoaded();
    const auto userRoot = menu().getCategoryTree (Menu::User);
    ASSERT_EQ (userRoot.getNumChildren(), 1);
    EXPECT_EQ (menu().currentPreset, userRoot.getChild (0));
    EXPECT_TRUE (menu().currentPreset.hasType ("preset"));
    EXPECT_EQ (menu().currentPreset["name"].toString(), "Unnamed.preset");
    EXPECT_FALSE (menu().currentPreset.hasProperty ("path"));
    EXPECT_FALSE (user ("Unnamed.preset").exists());
    const auto cache = fileText (home.applicationDirectory().getChildFile ("files.xml"));
    EXPECT_EQ (cache.find ("Unnamed"), std::string::npos);
    EXPECT_NE (cache.find ("Artist.preset"), std::string::npos);
}

TEST (StoreWithoutProcessor, LoadsNoFileAndMakesItsDefaultPresetADetachedPlaceholder)
{
    TempHome home;
    Menu menu { "marlinet", nullptr, home.applicationDirectory(), home.userPresetDirectory(), "Marlinet By Quenwick", nullptr };
    menu.loadPresetFile (writePreset (home.root.getChildFile ("x.preset"), 90.0));
    menu.loadPreset (presetNode ("x.preset"));
    EXPECT_FALSE (menu.stateChanged.load());

    menu.pendingPreset = presetNode ("Pending");
    menu.loadDefaultPreset();
    EXPECT_FALSE (menu.pendingPreset.isValid());
    EXPECT_EQ (menu.currentPreset["name"].toString(), "Unnamed.preset");
    EXPECT_FALSE (menu.currentPreset.getParent().isValid());
}

TEST_F (Loading, AFileAnywhereLoadsAndIsRecordedWithoutMovingTheCurrentPresetIfItIsARegularTreeUpToOneMebibyte)
{
    writePreset (user ("Lead.preset"), 100.0);
    start();
    const auto current = menu().currentPreset;
    menu().changeName ("Next");
    const auto pending = menu().pendingPreset;
    menu().stateChanged = false;
    const auto good = writePreset (other ("Downloads/Shared One.preset"), 90.0);
    menu().loadPresetFile (good);
    EXPECT_FLOAT_EQ (rate1(), 90.0f);
    EXPECT_EQ (loadedPath(), good.getFullPathName());
    EXPECT_TRUE (menu().stateChanged.load());
    EXPECT_EQ (menu().currentPreset, current);
    EXPECT_EQ (menu().pendingPreset, pending);
    EXPECT_EQ (treeOf (stateOf (*processor))["path"].toString(), good.getFullPathName());   // the path travels with a host save

    // Zero-length or garbage bytes, folders, FIFOs, missing files and files over 1 MiB leave the state and its path alone.
    const auto folder = other ("Folder.preset"), fifo = other ("Pipe.preset");
    folder.createDirectory();
    ASSERT_EQ (mkfifo (fifo.getFullPathName().toRawUTF8(), 0644), 0);
    const char garbage[] = { 0, 'n', 'o', ' ', 't', 'r', 'e', 'e' }, badName[] = "\xf0\0\0\0";
    const char hang[] = "VC2!\x0e\0\0\0<a><?p?>x</a>";   // loops JUCE's XML reader for ever
    auto atLimit = presetBytes (110.0), overLimit = presetBytes (100.0);   // the reader ignores what follows the tree
    atLimit.setSize (1024 * 1024, true);
    overLimit.setSize (1024 * 1024 + 1, true);
    const std::pair<juce::File, bool> cases[] = {   // the file, and whether it is read at all
        { writePreset (other ("empty.preset"), juce::MemoryBlock()), true }, { writePreset (other ("junk.preset"), { garbage, sizeof (garbage) }), true },
        { writePreset (other ("badname.preset"), { badName, 4 }), true }, { writePreset (other ("hang.preset"), { hang, 22 }), true },
        { folder, false }, { fifo, false }, { writePreset (other ("huge.preset"), overLimit), false }, { other ("missing.preset"), false } };
    for (const auto& [file, isRead] : cases)
    {
        SCOPED_TRACE (file.getFileName());
        menu().stateChanged = false;
        menu().loadPresetFile (file);
        EXPECT_FLOAT_EQ (rate1(), 90.0f);
        EXPECT_EQ (loadedPath(), good.getFullPathName());
        EXPECT_FALSE (! isRead && menu().stateChanged.load()) << "a file that is not read signals a change";
    }

    // The legacy container and a tree padded to exactly 1 MiB load.
    juce::XmlElement legacyXml ("MarlinetPreset");
    legacyXml.setAttribute ("rate1", "100");
    juce::MemoryBlock legacy;
    juce::AudioProcessor::copyXmlToBinary (legacyXml, legacy);
    for (auto [file, rate] : { std::pair { writePreset (other ("old.preset"), legacy), 100.0f }, { writePreset (other ("big.preset"), atLimit), 110.0f } })
    {
        menu().loadPresetFile (file);
        EXPECT_FLOAT_EQ (rate1(), rate);
        EXPECT_EQ (loadedPath(), file.getFullPathName());
    }
}

TEST_F (Loading, LoadPresetMovesTheCurrentPresetToAFolderAndLoadsOnlyAFileOfItsNameBesideIt)
{
    writePreset (user ("Bass/Deep.preset"), 100.0);
    writePreset (user ("Keys/Organ.preset"), 100.0);
    writePreset (user ("Keys.preset"), 90.0);
    start();
    const auto userRoot = menu().getCategoryTree (Menu::User);
    const auto bass = userRoot.getChildWithProperty ("name", "Bass");
    menu().changeName ("Pending");
    menu().loadPreset (bass);
    EXPECT_EQ (menu().currentPreset, bass);
    EXPECT_FALSE (menu().pendingPreset.isValid());
    EXPECT_FLOAT_EQ (rate1(), 120.0f);
    EXPECT_FALSE (menu().stateChanged.load());

    // A folder with a preset file of its name beside it loads that file.
    menu().loadPreset (userRoot.getChildWithProperty ("name", "Keys"));
    EXPECT_FLOAT_EQ (rate1(), 90.0f);
    EXPECT_EQ (loadedPath(), user ("Keys.preset").getFullPathName());
}

TEST (StoreLoadingLock, AHostSaveNeverSeesALoadedStateWithoutItsPath)
{
    TempHome home;
    ProcessorSavingDuringRestore processor;
    const auto file = writePreset (home.root.getChildFile ("first.preset"), 90.0);
    processor.menu->loadPresetFile (file);
    ASSERT_TRUE (processor.hostSave.valid());
    const auto saved = treeOf (processor.hostSave.get());
    EXPECT_DOUBLE_EQ ((double) saved.getChildWithProperty ("id", "rate1")["value"], 90.0);
    EXPECT_EQ (saved["path"].toString(), file.getFullPathName());
}

#ifdef MARLINET_DEFAULT_PRESET_FILE
TEST (ShippedDefaultPreset, TheBuiltFileHoldsExactlyAFreshProcessorsState)
{
    const juce::File shipped (MARLINET_DEFAULT_PRESET_FILE);
    juce::MemoryBlock bytes;
    ASSERT_TRUE (shipped.loadFileAsData (bytes)) << shipped.getFullPathName();

    TempHome home;
    MarlinetAudioProcessor fresh;
    juce::MemoryBlock expected;
    fresh.getStateInformation (expected);
    EXPECT_EQ (bytes, expected);
}
#endif
