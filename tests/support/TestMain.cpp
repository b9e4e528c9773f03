#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// Every test program runs on JUCE's message thread: components, timers and posted
// callbacks all need it.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
