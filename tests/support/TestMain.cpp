#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#if MARLINET_TEST_LINKS_PLUGIN
 #include "presets/updateCheck.h"
#endif

// Every test program runs on JUCE's message thread: components, timers and posted
// callbacks all need it.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;

   #if MARLINET_TEST_LINKS_PLUGIN
    // No test ever talks to the real update service; tests that need one start their own.
    quenwick::update::setServiceAddress ({});
   #endif

    return RUN_ALL_TESTS();
}
