#include <gtest/gtest.h>

#include "processor/PluginProcessor.h"
#include "tests/support/TempHome.h"

TEST (ProcessorIdentity, GivesTheFixedAnswersAndOneProgram)
{
    TempHome home;
    MarlinetAudioProcessor processor;

    EXPECT_EQ (processor.getName(), "Marlinet");
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getNumPrograms(), 1);
    processor.setCurrentProgram (3);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (7), "Marlinet");
    EXPECT_EQ (processor.getProgramName (0), "Marlinet");
}
