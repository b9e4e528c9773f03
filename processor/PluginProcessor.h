#pragma once

#include "presets/menu.h"
#include "processor/Parameters.h"

/** The effect: a two-section tremolo with host sync, link and bypass. */
class MarlinetAudioProcessor : public quenwick::MenuAudioProcessor
{
public:
    MarlinetAudioProcessor();
    ~MarlinetAudioProcessor() override;

    juce::AudioProcessorValueTreeState& getProcessorState() override;
    juce::File getApplicationDirectory() override;
    juce::File getUserPresetDirectory() override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    const juce::String getName() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;
    double getTailLengthSeconds() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    double phaseIncrement1 = 0.0;
    double phaseIncrement2 = 0.0;
    int sampleRate = 1;
    juce::int64 sampleCounter = 0;
    juce::AudioProcessorValueTreeState apvts;

private:
    float rawValue (const char* id) const;
    double hostTempo();
    void followHostTempo (const char* syncId, const char* rateId, double bpm);
    void restoreLegacyState (const juce::XmlElement& root);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MarlinetAudioProcessor)
};
