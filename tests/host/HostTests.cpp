#include <gtest/gtest.h>

#include "processor/Tremolo.h"
#include "tests/support/TempHome.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <pluginterfaces/base/ipluginbase.h>

#include <dlfcn.h>

// These tests load the built bundle in-process through JUCE's VST3 hosting, as a DAW does.

namespace
{
    juce::File bundleBinary()   { return juce::File (MARLINET_VST3_BINARY); }
    juce::File bundle()         { return bundleBinary().getParentDirectory().getParentDirectory().getParentDirectory(); }

    struct Hosted : ::testing::Test
    {
        TempHome home;
        juce::VST3PluginFormat format;
        juce::OwnedArray<juce::PluginDescription> types;

        void SetUp() override
        {
            format.findAllTypesForFile (types, bundle().getFullPathName());
            ASSERT_EQ (types.size(), 1) << bundle().getFullPathName();
        }

        std::unique_ptr<juce::AudioPluginInstance> create()
        {
            juce::String error;
            auto instance = format.createInstanceFromDescription (*types[0], 48000.0, 512, error);
            EXPECT_NE (instance, nullptr) << error;
            return instance;
        }

        static juce::AudioBuffer<float> noise (int n, int seed)
        {
            juce::Random random (seed);
            juce::AudioBuffer<float> buffer (2, n);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < n; ++i)
                    buffer.setSample (c, i, random.nextFloat() * 2.0f - 1.0f);
            return buffer;
        }
    };

    std::array<juce::uint8, 16> classId (juce::uint32 a, juce::uint32 b)
    {
        std::array<juce::uint32, 4> words { a, b, 0x516e776b /* Qnwk */, 0x5a6f7176 /* Zoqv */ };
        std::array<juce::uint8, 16> bytes {};
        for (size_t w = 0; w < 4; ++w)
            for (size_t i = 0; i < 4; ++i)
                bytes[w * 4 + i] = (juce::uint8) (words[w] >> (24 - 8 * i));
        return bytes;
    }

    std::array<juce::uint8, 16> toBytes (const Steinberg::TUID cid)
    {
        std::array<juce::uint8, 16> bytes {};
        std::memcpy (bytes.data(), cid, 16);
        return bytes;
    }
}

TEST_F (Hosted, DescribesItselfAsMarlinetRackByQuenwick)
{
    const auto& d = *types[0];
    EXPECT_EQ (d.name, "Marlinet Rack");
    EXPECT_EQ (d.manufacturerName, "Quenwick");
    EXPECT_EQ (d.version, "1.3.0");
    EXPECT_EQ (d.category, "Fx");
    EXPECT_EQ (d.pluginFormatName, "VST3");
    EXPECT_FALSE (d.isInstrument);
    EXPECT_EQ (d.numInputChannels, 2);
    EXPECT_EQ (d.numOutputChannels, 2);
}

TEST_F (Hosted, FactoryReportsTheTwoClassesWithTheirIdentifiers)
{
    auto* module = dlopen (bundleBinary().getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE (module, nullptr) << dlerror();

    using FactoryProc = Steinberg::IPluginFactory* (*)();
    auto getFactory = reinterpret_cast<FactoryProc> (dlsym (module, "GetPluginFactory"));
    ASSERT_NE (getFactory, nullptr);
    auto* factory = getFactory();
    ASSERT_NE (factory, nullptr);

    Steinberg::PFactoryInfo info {};
    ASSERT_EQ (factory->getFactoryInfo (&info), Steinberg::kResultOk);
    EXPECT_STREQ (info.vendor, "Quenwick");
    EXPECT_STREQ (info.url, "");
    EXPECT_STREQ (info.email, "");
    EXPECT_EQ (info.flags, 16);

    ASSERT_EQ (factory->countClasses(), 2);
    Steinberg::PClassInfo component {}, controller {};
    factory->getClassInfo (0, &component);
    factory->getClassInfo (1, &controller);
    EXPECT_STREQ (component.category, "Audio Module Class");
    EXPECT_STREQ (controller.category, "Component Controller Class");
    EXPECT_STREQ (component.name, "Marlinet Rack");
    EXPECT_EQ (component.cardinality, 0x7FFFFFFF);
    EXPECT_EQ (toBytes (component.cid), classId (0xABCDEF01, 0x9182FAEB));
    EXPECT_EQ (toBytes (controller.cid), classId (0xABCDEF01, 0x1234ABCD));

    Steinberg::IPluginFactory2* factory2 = nullptr;
    ASSERT_EQ (factory->queryInterface (Steinberg::IPluginFactory2_iid, (void**) &factory2), Steinberg::kResultOk);

    for (Steinberg::int32 i = 0; i < 2; ++i)
    {
        Steinberg::PClassInfo2 info2 {};
        ASSERT_EQ (factory2->getClassInfo2 (i, &info2), Steinberg::kResultOk);
        EXPECT_STREQ (info2.name, "Marlinet Rack");
        EXPECT_STREQ (info2.subCategories, "Fx");
        EXPECT_STREQ (info2.vendor, "Quenwick");
        EXPECT_STREQ (info2.version, "1.3.0");
        EXPECT_STREQ (info2.sdkVersion, "VST 3.7.2");
        EXPECT_EQ (info2.classFlags, 0u);
    }

    factory2->release();
    factory->release();
    dlclose (module);
}

TEST_F (Hosted, ShowsTwelveParametersInHostOrderThenTheWrapperBypass)
{
    auto instance = create();
    ASSERT_NE (instance, nullptr);
    const char* names[] = { "Speed 1", "Speed 2", "Depth 1", "Depth 2", "Volume 1", "Volume 2",
                            "Pan 1", "Pan 2", "Sync 1", "Sync 2", "Link", "Bypass", "Bypass" };
    const auto& parameters = instance->getParameters();
    ASSERT_EQ (parameters.size(), 13);

    for (int i = 0; i < 13; ++i)
        EXPECT_EQ (parameters[i]->getName (100), names[i]) << i;

    EXPECT_NEAR (parameters[0]->getValue(), (120.0f - 69.0f) / 91.0f, 1.0e-6);
    EXPECT_NEAR (parameters[6]->getValue(), 0.0f, 1.0e-6);
}

TEST_F (Hosted, AcceptsMonoAndStereoAndRefusesSurround)
{
    auto instance = create();
    ASSERT_NE (instance, nullptr);
    instance->releaseResources();

    auto layout = [] (juce::AudioChannelSet set)
    {
        juce::AudioProcessor::BusesLayout l;
        l.inputBuses.add (set);
        l.outputBuses.add (set);
        return l;
    };

    EXPECT_TRUE (instance->setBusesLayout (layout (juce::AudioChannelSet::mono())));
    EXPECT_TRUE (instance->setBusesLayout (layout (juce::AudioChannelSet::stereo())));
    EXPECT_FALSE (instance->setBusesLayout (layout (juce::AudioChannelSet::create5point1())));
}

TEST_F (Hosted, AudioThroughTheBundleEqualsTheProcessorItself)
{
    auto instance = create();
    ASSERT_NE (instance, nullptr);
    instance->prepareToPlay (48000.0, 512);
    instance->getParameters()[3]->setValueNotifyingHost (0.8f);   // depth2
    instance->getParameters()[6]->setValueNotifyingHost (0.3f);   // pan1

    // The reference runs the tremolo itself on the values the plug-in holds after the
    // normalised round trip.
    auto value = [] (float start, float end, float normalised)
    {
        return juce::NormalisableRange<float> (start, end).convertFrom0to1 (normalised);
    };

    TremoloSettings settings;
    settings.rate1 = value (69, 160, juce::NormalisableRange<float> (69, 160).convertTo0to1 (120));
    settings.rate2 = value (19, 90, juce::NormalisableRange<float> (19, 90).convertTo0to1 (60));
    settings.depth2 = value (0, 1, 0.8f);
    settings.pan1 = value (-10, 10, 0.3f);

    juce::MidiBuffer midi;

    for (int block = 0; block < 5; ++block)
    {
        auto hosted = noise (512, block);
        auto local = hosted;
        instance->processBlock (hosted, midi);
        applyTremolo (local, 2, settings, 48000, (juce::int64) block * 512);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                ASSERT_EQ (hosted.getSample (c, i), local.getSample (c, i)) << "block " << block << " channel " << c << " sample " << i;
    }

    instance->releaseResources();
}

TEST_F (Hosted, StateSavedByOneInstanceRestoresIntoAnotherAndNoHostNaNReachesIt)
{
    auto first = create();
    auto second = create();
    ASSERT_TRUE (first != nullptr && second != nullptr);

    // Sync stays off: without a host tempo a synced speed would move to 120.
    const float values[] = { 0.25f, 0.75f, 0.1f, 0.9f, 0.4f, 0.6f, 0.2f, 0.8f, 0.0f, 0.0f, 1.0f, 1.0f };
    for (int i = 0; i < 12; ++i)
        first->getParameters()[i]->setValueNotifyingHost (values[i]);

    // A NaN from the host changes nothing: not the values, not the audio, not the state.
    for (int i = 0; i < 8; ++i)
        first->getParameters()[i]->setValueNotifyingHost (std::numeric_limits<float>::quiet_NaN());

    // Parameter changes reach the plug-in at the next process call.
    first->prepareToPlay (48000.0, 64);
    auto buffer = noise (64, 1);
    juce::MidiBuffer midi;
    first->processBlock (buffer, midi);

    for (int i = 0; i < 64; ++i)
        ASSERT_TRUE (std::isfinite (buffer.getSample (0, i)) && std::isfinite (buffer.getSample (1, i))) << i;

    juce::MemoryBlock state;
    first->getStateInformation (state);
    ASSERT_GT (state.getSize(), 0u);
    second->setStateInformation (state.getData(), (int) state.getSize());

    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR (second->getParameters()[i]->getValue(), values[i], 1.0e-6) << i;

    first->releaseResources();
}
