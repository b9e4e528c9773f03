#pragma once

#include "processor/PluginProcessor.h"

namespace marlinet
{
/** The state bytes of a freshly built processor at its defaults. The processor loads the
    installed default preset when it starts, so callers point HOME and XDG_DATA_HOME at an
    empty folder first: the result must never depend on what this machine has installed. */
inline juce::MemoryBlock createDefaultPresetState()
{
    MarlinetAudioProcessor processor;
    juce::MemoryBlock state;
    processor.getStateInformation (state);
    return state;
}

/** Writes the default preset to the file (through a temporary file); false on failure. */
inline bool writeDefaultPreset (const juce::File& target)
{
    const auto state = createDefaultPresetState();
    return target.getParentDirectory().createDirectory().wasOk() && target.replaceWithData (state.getData(), state.getSize());
}
} // namespace marlinet
