#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A one-character beat indicator: shows "1" and "|" in turn, each for half a beat. */
class TempoLCD : public juce::Label,
                 public juce::Timer
{
public:
    TempoLCD();
    ~TempoLCD() override;

    /** One half beat: flips to the other text. */
    void timerCallback() override;

    /** The rounded speed in BPM from which the blink period was last set. */
    juce::int32 bpm = 160;
    /** True when the next tick shows "1". */
    bool blinkState = true;

    /** Half a beat at the given speed, in whole milliseconds; 0 for a speed that cannot blink. */
    static int halfBeatMilliseconds (int bpm);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TempoLCD)
};
