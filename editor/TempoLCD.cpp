#include "editor/TempoLCD.h"

TempoLCD::TempoLCD()
    : juce::Label ({}, {})
{
    setBounds (getX(), getY(), 1, 1);
}

TempoLCD::~TempoLCD()
{
    stopTimer();
}

void TempoLCD::timerCallback()
{
    const bool showOne = blinkState;
    blinkState = ! showOne;
    setText (showOne ? "1" : "|", juce::dontSendNotification);
}

int TempoLCD::halfBeatMilliseconds (int beatsPerMinute)
{
    if (beatsPerMinute <= 0)
        return 0;

    return (int) (30000.0 / beatsPerMinute); // 60000 ms per minute, two halves per beat
}
