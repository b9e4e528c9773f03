#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

TEST (HostBundle, Exists)
{
    EXPECT_TRUE (juce::File (MARLINET_VST3_BINARY).existsAsFile()) << MARLINET_VST3_BINARY;
}
