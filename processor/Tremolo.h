#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** The parameter values one block runs with, read once at the top of the block. */
struct TremoloSettings
{
    float rate1 = 120.0f, rate2 = 60.0f;
    float depth1 = 0.5f, depth2 = 0.5f;
    float volume1 = 1.0f, volume2 = 1.0f;
    float pan1 = -10.0f, pan2 = 10.0f;
    bool linked = false;
};

/** The per-sample LFO phase steps (radians) that a block used. */
struct TremoloIncrements
{
    double section1 = 0.0, section2 = 0.0;
};

/** Applies both tremolo sections in place to channels 0 and 1 of the buffer.

    The LFO phases derive from the absolute sample count at the block's start, so a
    section keeps its relation to the running count through bypassed or skipped blocks.
    Channels from index 2 upward are never touched; with no input channel only the
    increments are computed.
*/
TremoloIncrements applyTremolo (juce::AudioBuffer<float>& buffer,
                                int numInputChannels,
                                const TremoloSettings& settings,
                                int sampleRate,
                                juce::int64 sampleCounter) noexcept;
