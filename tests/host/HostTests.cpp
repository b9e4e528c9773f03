#include <gtest/gtest.h>

#include "tests/support/TempHome.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <pluginterfaces/base/ipluginbase.h>

#include <dlfcn.h>

namespace   // the built bundle, loaded in-process through JUCE's VST3 hosting as a DAW does
{
    struct Hosted : ::testing::Test
    {
        TempHome home;
        juce::VST3PluginFormat format;
        juce::OwnedArray<juce::PluginDescription> types;
        juce::String error;
        juce::MidiBuffer midi;
        const juce::File binary { MARLINET_VST3_BINARY };   // <bundle>/Contents/<arch>/<binary>

        std::unique_ptr<juce::AudioPluginInstance> instance;

        void SetUp() override
        {
            format.findAllTypesForFile (types, binary.getParentDirectory().getParentDirectory().getParentDirectory().getFullPathName());
            ASSERT_EQ (types.size(), 1);
            instance = format.createInstanceFromDescription (*types[0], 48000.0, 512, error);
            ASSERT_NE (instance, nullptr) << error;
        }
    };
}

TEST_F (Hosted, FactoryHoldsTheComponentAndItsControllerAsMarlinetRackByQuenwick)
{
    auto* module = dlopen (binary.getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE (module, nullptr) << dlerror();
    auto* base = reinterpret_cast<Steinberg::IPluginFactory* (*)()> (dlsym (module, "GetPluginFactory"))();
    Steinberg::IPluginFactory2* factory = nullptr;
    ASSERT_EQ (base->queryInterface (Steinberg::IPluginFactory2_iid, (void**) &factory), Steinberg::kResultOk);
    ASSERT_EQ (factory->countClasses(), 2);

    // Identifiers as their 16 bytes.
    const char* expected[][2] = { { "Audio Module Class", "abcdef019182faeb516e776b5a6f7176" }, { "Component Controller Class", "abcdef011234abcd516e776b5a6f7176" } };
    for (Steinberg::int32 i = 0; i < 2; ++i)
    {
        Steinberg::PClassInfo2 c {};
        ASSERT_EQ (factory->getClassInfo2 (i, &c), Steinberg::kResultOk);
        EXPECT_EQ (juce::String (c.category) + "|" + juce::String::toHexString (c.cid, 16, 0), juce::String (expected[i][0]) + "|" + expected[i][1]);
        EXPECT_EQ (juce::String (c.name) + "|" + c.subCategories + "|" + c.vendor + "|" + c.version + "|" + c.sdkVersion + "|" + juce::String (c.cardinality)
                       + "|" + juce::String (c.classFlags), "Marlinet Rack|Fx|Quenwick|1.3.0|VST 3.7.2|2147483647|0");
    }
    factory->release();
    base->release();
    dlclose (module);
}

TEST_F (Hosted, ShowsTwelveParametersThenTheWrapperBypassAndTakesEqualMonoOrStereoBusesOnly)
{
    juce::StringArray names;
    for (auto* parameter : instance->getParameters())
        names.add (parameter->getName (100));
    EXPECT_EQ (names.joinIntoString (","), "Speed 1,Speed 2,Depth 1,Depth 2,Volume 1,Volume 2,Pan 1,Pan 2,Sync 1,Sync 2,Link,Bypass,Bypass");

    instance->releaseResources();
    using Set = juce::AudioChannelSet;
    for (const auto& [in, out, accepted] : { std::tuple { Set::mono(), Set::mono(), true }, { Set::stereo(), Set::stereo(), true },
                                             { Set::mono(), Set::stereo(), false }, { Set::create5point1(), Set::create5point1(), false } })
        EXPECT_EQ (instance->setBusesLayout ({ { in }, { out } }), accepted) << in.getDescription() << " to " << out.getDescription();
}

TEST_F (Hosted, ModulatesEachChannelByItsSectionAtTheDefaults)
{
    instance->prepareToPlay (48000.0, 2048);
    instance->getParameters()[3]->setValueNotifyingHost (0.8f);   // depth 2
    juce::AudioBuffer<float> ones (2, 2048);
    for (int i = 0; i < 4096; ++i)
        ones.setSample (i / 2048, i % 2048, 1.0f);
    instance->processBlock (ones, midi);

    for (int i = 0; i < 4096; ++i)   // left: 120 BPM at depth 0.5, right: 60 BPM at depth 0.8; a BPM turns the phase by 2 pi / 15 a second
    {
        const double turn = (i % 2048) / 48000.0 * 6.283185307179586 / 15.0;
        ASSERT_NEAR (ones.getSample (i / 2048, i % 2048), i < 2048 ? 0.75 + 0.25 * std::cos (120 * turn) : 0.6 + 0.4 * std::cos (60 * turn), 1.0e-5) << i;
    }
}

TEST_F (Hosted, ANaNOnEveryParameterLeavesTheTremoloPlayingAndItsStateRestoresIntoAnotherInstance)
{
    auto second = format.createInstanceFromDescription (*types[0], 48000.0, 64, error);
    ASSERT_NE (second, nullptr) << error;

    // Each value, then a NaN to every parameter: sync, link and bypass stay off (without a host tempo a synced speed would move).
    const float values[] = { 0.25f, 0.75f, 0.1f, 0.9f, 0.4f, 0.6f, 0.2f, 0.8f, 0.0f, 0.0f, 0.0f, 0.0f };
    for (int i = 0; i < 24; ++i)
        instance->getParameters()[i % 12]->setValueNotifyingHost (i < 12 ? values[i] : NAN);

    // The changes reach the plug-in at the next process call; it plays the values set, as the formula written out has it.
    instance->prepareToPlay (48000.0, 64);
    juce::AudioBuffer<float> ones (2, 64);
    for (int i = 0; i < 128; ++i)
        ones.setSample (i % 2, i / 2, 1.0f);
    instance->processBlock (ones, midi);
    const double rate[] = { 69 + 91 * 0.25, 19 + 71 * 0.75 }, depth[] = { 0.1, 0.9 }, volume[] = { 0.4 * std::sqrt (10.0), 0.6 * std::sqrt (10.0) };
    const double right[] = { 0.5 + (-10 + 20 * 0.2) / 20.0, 0.5 + (-10 + 20 * 0.8) / 20.0 };   // of each section; left is one minus it
    for (int i = 0; i < 128; ++i)
    {
        double gain = 1.0;
        for (int section = 0; section < 2; ++section)
        {
            const double phase = (i / 2) * rate[section] * 6.283185307179586 / 48000.0 / 15.0;
            const double g = (std::cos (phase) + 1.0) * 0.5 * depth[section] * (section == 1 ? volume[1] : 1.0) + (1.0 - depth[section]);
            const double weight = i % 2 == 0 ? 1.0 - right[section] : right[section];
            gain *= (g * volume[section] * weight + 1.0) - weight;
        }
        ASSERT_NEAR (ones.getSample (i % 2, i / 2), gain, 1.0e-5) << "channel " << i % 2 << " sample " << i / 2;
    }

    juce::MemoryBlock state;
    instance->getStateInformation (state);
    second->setStateInformation (state.getData(), (int) state.getSize());
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR (second->getParameters()[i]->getValue(), values[i], 1.0e-6) << i;
}

TEST_F (Hosted, AProjectHoldingCraftedXmlStateNeitherCrashesNorStallsTheHostAndKeepsTheState)
{
    instance->getParameters()[0]->setValueNotifyingHost (0.5f);
    juce::MemoryBlock before;
    instance->getStateInformation (before);

    // JUCE's legacy XML container as the plug-in's part of a host state: nesting behind a stray quote, and beyond 1 MiB of text.
    const auto container = [] (const std::string& xml)
    {
        juce::MemoryOutputStream component;
        component.writeInt (0x21324356);
        component.writeInt ((int) xml.size());
        component.write (xml.data(), xml.size());
        juce::XmlElement state ("VST3PluginState");
        state.createNewChildElement ("IComponent")->addTextElement (component.getMemoryBlock().toBase64Encoding());
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (state, block);
        return block;
    };
    for (const auto& xml : { "<x rate1=\"90\"><a \"" + juce::String::repeatedString ("<b>", 100000).toStdString() + "\"/></x>",
                             "<x rate1=\"90\">" + juce::String::repeatedString ("<a>", 100).toStdString() + juce::String::repeatedString ("</", 5000000).toStdString() })
    {
        const auto crafted = container (xml);
        instance->setStateInformation (crafted.getData(), (int) crafted.getSize());
        juce::MemoryBlock after;
        instance->getStateInformation (after);
        EXPECT_EQ (after, before) << xml.size();
    }
}
