#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** The twelve parameter identifiers; every other file names a parameter through these. */
namespace ParameterIds
{
    inline constexpr const char* rate1   = "rate1";
    inline constexpr const char* rate2   = "rate2";
    inline constexpr const char* depth1  = "depth1";
    inline constexpr const char* depth2  = "depth2";
    inline constexpr const char* volume1 = "volume1";
    inline constexpr const char* volume2 = "volume2";
    inline constexpr const char* pan1    = "pan1";
    inline constexpr const char* pan2    = "pan2";
    inline constexpr const char* sync1   = "sync1";
    inline constexpr const char* sync2   = "sync2";
    inline constexpr const char* link    = "link";
    inline constexpr const char* bypass  = "bypass";
}

/** One row of the parameter table. A bool parameter has no range (start == end == 0). */
struct ParameterSpec
{
    const char* id;
    const char* name;
    bool isBool;
    float start, end, defaultValue;
};

/** The largest linear volume: the float nearest to sqrt (10), bit pattern 0x404A62C2 (+10 dB). */
inline constexpr float maxVolume = 3.1622776985168457f;

/** The table in host order: the order in which the parameters are added to the processor. */
inline constexpr ParameterSpec parameterTable[] =
{
    { ParameterIds::rate1,   "Speed 1",  false,  69.0f, 160.0f, 120.0f },
    { ParameterIds::rate2,   "Speed 2",  false,  19.0f,  90.0f,  60.0f },
    { ParameterIds::depth1,  "Depth 1",  false,   0.0f,   1.0f,   0.5f },
    { ParameterIds::depth2,  "Depth 2",  false,   0.0f,   1.0f,   0.5f },
    { ParameterIds::volume1, "Volume 1", false,   0.0f, maxVolume, 1.0f },
    { ParameterIds::volume2, "Volume 2", false,   0.0f, maxVolume, 1.0f },
    { ParameterIds::pan1,    "Pan 1",    false, -10.0f,  10.0f, -10.0f },
    { ParameterIds::pan2,    "Pan 2",    false, -10.0f,  10.0f,  10.0f },
    { ParameterIds::sync1,   "Sync 1",   true,    0.0f,   0.0f,   0.0f },
    { ParameterIds::sync2,   "Sync 2",   true,    0.0f,   0.0f,   0.0f },
    { ParameterIds::link,    "Link",     true,    0.0f,   0.0f,   0.0f },
    { ParameterIds::bypass,  "Bypass",   true,    0.0f,   0.0f,   0.0f },
};

/** Builds the processor's parameter layout from the table. */
juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();
