#include "tests/unit/StoreTestSupport.h"
#include "tests/unit/ProcessorHelpers.h"
#include "tools/defaultPreset/DefaultPresetWriter.h"

#include <sys/stat.h>
#include <chrono>
#include <future>
#include <map>

using namespace storetest;

namespace
{
    /** Preset bytes holding the given parameter values; the others fall back to their defaults. */
    juce::MemoryBlock presetBytes (const std::map<juce::String, double>& values)
    {
        juce::ValueTree tree ("MarlinetPreset");

        for (const auto& [id, value] : values)
        {
            juce::ValueTree param ("PARAM");
            param.setProperty ("id", id, nullptr);
            param.setProperty ("value", value, nullptr);
            tree.appendChild (param, nullptr);
        }

        juce::MemoryBlock block;
        juce::MemoryOutputStream out (block, false);
        tree.writeToStream (out);
        out.flush();
        return block;
    }

    juce::File writePreset (const juce::File& file, const juce::MemoryBlock& bytes)
    {
        file.getParentDirectory().createDirectory();
        file.replaceWithData (bytes.getData(), bytes.getSize());
        return file;
    }

    juce::File writePreset (const juce::File& file, double rate1)
    {
        return writePreset (file, presetBytes ({ { "rate1", rate1 } }));
    }

    struct Loading : ::testing::Test
    {
        TempHome home;
        std::unique_ptr<MarlinetAudioProcessor> processor;

        void start() { processor = std::make_unique<MarlinetAudioProcessor>(); }
        quenwick::Menu& menu() { return *processor->menu; }
        float rate1() { return parameterValue (*processor, ParameterIds::rate1); }
        juce::String loadedPath() { return processor->apvts.state["path"].toString(); }
        juce::File defaultPresetFile() const { return home.factoryDirectory().getChildFile ("Marlinet By Quenwick.preset"); }
    };
}

//==============================================================================
TEST_F (Loading, TheDefaultPresetIsLoadedAtStartWhileBothSlotsKeepTheDefaults)
{
    writePreset (defaultPresetFile(), 90.0);
    writePreset (home.factoryDirectory().getChildFile ("Alpha.preset"), 100.0);

    start();

    EXPECT_FLOAT_EQ (rate1(), 90.0f);
    EXPECT_TRUE (menu().stateChanged.load());
    EXPECT_EQ (loadedPath(), defaultPresetFile().getFullPathName());
    EXPECT_EQ (menu().currentPreset, menu().getDefaultTree());
    EXPECT_EQ (menu().currentPreset, menu().getCategoryTree (quenwick::Menu::Factory).getChild (0));
    EXPECT_FALSE (menu().pendingPreset.isValid());

    EXPECT_EQ (menu().stateA, menu().stateB);
    const auto slot = treeOf (menu().stateA);
    EXPECT_FALSE (slot.hasProperty ("path"));
    EXPECT_DOUBLE_EQ ((double) slot.getChildWithProperty ("id", "rate1")["value"], 120.0);
}

TEST_F (Loading, AFactoryWithoutTheDefaultPresetLoadsNothing)
{
    writePreset (home.factoryDirectory().getChildFile ("Alpha.preset"), 100.0);
    writePreset (home.factoryDirectory().getChildFile ("marlinet by quenwick.preset"), 100.0);

    start();

    EXPECT_FALSE (menu().currentPreset.isValid());
    EXPECT_FLOAT_EQ (rate1(), 120.0f);
    EXPECT_FALSE (menu().stateChanged.load());
    EXPECT_FALSE (processor->apvts.state.hasProperty ("path"));
}

TEST_F (Loading, AnEmptyFactoryMakesTheFirstUserEntryCurrentWithoutLoadingIt)
{
    writePreset (home.userPresetDirectory().getChildFile ("Keys/Organ.preset"), 100.0);
    writePreset (home.userPresetDirectory().getChildFile ("Lead.preset"), 100.0);
    writePreset (home.artistDirectory().getChildFile ("Artist.preset"), 100.0);

    start();

    EXPECT_EQ (menu().currentPreset, menu().getCategoryTree (quenwick::Menu::User).getChild (0));
    EXPECT_EQ (menu().currentPreset["name"].toString(), "Keys");
    EXPECT_FLOAT_EQ (rate1(), 120.0f);
    EXPECT_FALSE (menu().stateChanged.load());
}

TEST_F (Loading, NothingInFactoryOrUserGivesAnUnnamedPlaceholderAndLeavesFilesXmlAlone)
{
    writePreset (home.artistDirectory().getChildFile ("Artist.preset"), 100.0);

    start();

    const auto userRoot = menu().getCategoryTree (quenwick::Menu::User);
    ASSERT_EQ (userRoot.getNumChildren(), 1);
    EXPECT_EQ (menu().currentPreset, userRoot.getChild (0));
    EXPECT_TRUE (menu().currentPreset.hasType ("preset"));
    EXPECT_EQ (menu().currentPreset["name"].toString(), "Unnamed.preset");
    EXPECT_FALSE (menu().currentPreset.hasProperty ("path"));
    EXPECT_FALSE (home.userPresetDirectory().getChildFile ("Unnamed.preset").exists());

    const auto cache = bytesOf (home.applicationDirectory().getChildFile ("files.xml"));
    EXPECT_EQ (cache.find ("Unnamed"), std::string::npos);
    EXPECT_NE (cache.find ("Artist.preset"), std::string::npos);
}

TEST (StoreWithoutTree, TheDefaultPresetIsADetachedPlaceholder)
{
    TempHome home;
    quenwick::Menu menu { "marlinet", nullptr, home.applicationDirectory(), home.userPresetDirectory(), "Marlinet By Quenwick", nullptr };
    menu.pendingPreset = presetNode ("Pending");

    menu.loadDefaultPreset();

    EXPECT_FALSE (menu.pendingPreset.isValid());
    EXPECT_EQ (menu.currentPreset["name"].toString(), "Unnamed.preset");
    EXPECT_FALSE (menu.currentPreset.getParent().isValid());
}

//==============================================================================
TEST_F (Loading, AFileAnywhereIsLoadedAndRecordedWithoutMovingTheCurrentPreset)
{
    writePreset (home.userPresetDirectory().getChildFile ("Lead.preset"), 100.0);
    start();
    const auto current = menu().currentPreset;
    menu().changeName ("Next");
    const auto pending = menu().pendingPreset;
    menu().stateChanged = false;

    const auto outside = writePreset (home.root.getChildFile ("Downloads/Shared One.preset"), 90.0);
    menu().loadPresetFile (outside);

    EXPECT_FLOAT_EQ (rate1(), 90.0f);
    EXPECT_EQ (loadedPath(), outside.getFullPathName());
    EXPECT_TRUE (menu().stateChanged.load());
    EXPECT_EQ (menu().currentPreset, current);
    EXPECT_EQ (menu().pendingPreset, pending);

    // The path travels with the state a host saves.
    EXPECT_EQ (treeOf (stateOf (*processor))["path"].toString(), outside.getFullPathName());
}

TEST_F (Loading, ALegacyContainerIsLoadedAndRecorded)
{
    start();
    juce::XmlElement xml ("MarlinetPreset");
    xml.setAttribute ("rate1", "90");
    juce::MemoryBlock bytes;
    juce::AudioProcessor::copyXmlToBinary (xml, bytes);
    const auto file = writePreset (home.root.getChildFile ("old.preset"), bytes);

    menu().loadPresetFile (file);

    EXPECT_FLOAT_EQ (rate1(), 90.0f);
    EXPECT_EQ (loadedPath(), file.getFullPathName());
}

TEST_F (Loading, BytesHoldingNoTreeLeaveTheStateAndItsPathAsTheyWere)
{
    start();
    const auto good = writePreset (home.root.getChildFile ("good.preset"), 90.0);
    menu().loadPresetFile (good);
    ASSERT_EQ (loadedPath(), good.getFullPathName());

    const auto empty = writePreset (home.root.getChildFile ("empty.preset"), juce::MemoryBlock());
    const char garbage[] = { 0, 'n', 'o', ' ', 't', 'r', 'e', 'e' };
    const auto junk = writePreset (home.root.getChildFile ("junk.preset"), juce::MemoryBlock (garbage, sizeof (garbage)));

    for (const auto& file : { empty, junk })
    {
        SCOPED_TRACE (file.getFileName());
        menu().loadPresetFile (file);
        EXPECT_FLOAT_EQ (rate1(), 90.0f);
        EXPECT_EQ (loadedPath(), good.getFullPathName());
    }
}

TEST_F (Loading, OnlyRegularFilesUpToOneMebibyteAreRead)
{
    start();

    const auto folder = home.root.getChildFile ("Folder.preset");
    folder.createDirectory();
    const auto fifo = home.root.getChildFile ("Pipe.preset");
    ASSERT_EQ (mkfifo (fifo.getFullPathName().toRawUTF8(), 0644), 0);

    // Valid bytes padded to the size limit load (the reader ignores what follows the tree);
    // one byte more and the file is not read at all.
    auto atLimit = presetBytes ({ { "rate1", 90.0 } });
    atLimit.setSize (1024 * 1024, true);
    auto overLimit = presetBytes ({ { "rate1", 100.0 } });
    overLimit.setSize (1024 * 1024 + 1, true);
    const auto big = writePreset (home.root.getChildFile ("big.preset"), atLimit);
    const auto huge = writePreset (home.root.getChildFile ("huge.preset"), overLimit);

    for (const auto& file : { folder, fifo, huge, home.root.getChildFile ("missing.preset") })
    {
        SCOPED_TRACE (file.getFileName());
        menu().stateChanged = false;
        menu().loadPresetFile (file);
        EXPECT_FLOAT_EQ (rate1(), 120.0f);
        EXPECT_FALSE (processor->apvts.state.hasProperty ("path"));
        EXPECT_FALSE (menu().stateChanged.load());
    }

    menu().loadPresetFile (big);
    EXPECT_FLOAT_EQ (rate1(), 90.0f);
    EXPECT_EQ (loadedPath(), big.getFullPathName());
}

TEST (StoreWithoutProcessor, LoadingAFileDoesNothing)
{
    TempHome home;
    quenwick::Menu menu { "marlinet", nullptr, home.applicationDirectory(), home.userPresetDirectory(), "Marlinet By Quenwick", nullptr };
    const auto file = writePreset (home.root.getChildFile ("x.preset"), 90.0);

    menu.loadPresetFile (file);
    menu.loadPreset (presetNode ("x.preset"));

    EXPECT_FALSE (menu.stateChanged.load());
}

TEST_F (Loading, LoadPresetMovesTheCurrentPresetEvenWhenNoFileIsThere)
{
    writePreset (home.userPresetDirectory().getChildFile ("Bass/Deep.preset"), 100.0);
    writePreset (home.userPresetDirectory().getChildFile ("Keys/Organ.preset"), 100.0);
    writePreset (home.userPresetDirectory().getChildFile ("Keys.preset"), 90.0);
    start();

    const auto userRoot = menu().getCategoryTree (quenwick::Menu::User);
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
    EXPECT_EQ (loadedPath(), home.userPresetDirectory().getChildFile ("Keys.preset").getFullPathName());

    const auto deep = bass.getChild (0);
    menu().loadPreset (deep);
    EXPECT_EQ (menu().currentPreset, deep);
    EXPECT_FLOAT_EQ (rate1(), 100.0f);
    EXPECT_EQ (quenwick::Menu::findChildWithPath (menu().filesTree, loadedPath()), deep);
}

namespace
{
    /** Lets a host save on another thread right after each restore, at the moment the store
        has not yet recorded "path": the save must wait until the store is done. */
    struct ProcessorSavingDuringRestore : MarlinetAudioProcessor
    {
        std::future<juce::MemoryBlock> hostSave;

        void setStateInformation (const void* data, int size) override
        {
            MarlinetAudioProcessor::setStateInformation (data, size);

            hostSave = std::async (std::launch::async, [this]
            {
                juce::MemoryBlock block;
                getStateInformation (block);
                return block;
            });

            // Long enough for an unguarded save to finish here; a guarded one waits for the lock.
            hostSave.wait_for (std::chrono::milliseconds (200));
        }
    };
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

//==============================================================================
TEST_F (Loading, TheShippedDefaultPresetHoldsAFreshProcessorsStateAndLoadsAsTheFirstFactoryPreset)
{
    ASSERT_TRUE (marlinet::writeDefaultPreset (defaultPresetFile()));
    writePreset (home.factoryDirectory().getChildFile ("Alpha.preset"), 90.0);

    juce::MemoryBlock written;
    ASSERT_TRUE (defaultPresetFile().loadFileAsData (written));
    const auto tree = treeOf (written);
    EXPECT_TRUE (tree.hasType ("MarlinetPreset"));
    EXPECT_FALSE (tree.hasProperty ("path"));
    EXPECT_EQ (tree.getNumChildren(), 12);

    start();

    // Loading it changes no parameter: the bytes are the defaults, "path" aside.
    EXPECT_EQ (menu().currentPreset, menu().getCategoryTree (quenwick::Menu::Factory).getChild (0));
    EXPECT_EQ (loadedPath(), defaultPresetFile().getFullPathName());
    EXPECT_EQ (written, menu().stateA);

    auto withoutPath = treeOf (stateOf (*processor));
    withoutPath.removeProperty ("path", nullptr);
    EXPECT_TRUE (withoutPath.isEquivalentTo (tree));
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
