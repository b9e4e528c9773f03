#pragma once

#include "processor/PluginProcessor.h"

#include <optional>

/** A play head that reports a fixed tempo, or a position without one. */
class FakePlayHead : public juce::AudioPlayHead
{
public:
    std::optional<double> bpm;
    bool hasPosition = true;

    juce::Optional<PositionInfo> getPosition() const override
    {
        if (! hasPosition)
            return {};

        PositionInfo info;

        if (bpm)
            info.setBpm (*bpm);

        return info;
    }
};

inline void setParameter (MarlinetAudioProcessor& p, const char* id, float value)
{
    auto* parameter = p.apvts.getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

inline float parameterValue (MarlinetAudioProcessor& p, const char* id)
{
    return p.apvts.getRawParameterValue (id)->load();
}

inline juce::MemoryBlock stateOf (MarlinetAudioProcessor& p)
{
    juce::MemoryBlock block;
    p.getStateInformation (block);
    return block;
}

inline juce::ValueTree treeOf (const juce::MemoryBlock& block)
{
    return juce::ValueTree::readFromData (block.getData(), block.getSize());
}
