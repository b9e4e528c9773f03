#include "tests/support/Fixtures.h"

TEST (BarLook, NumberNameAndMenuShareTheSegmentFaceAtHeightThirtyOnBlack)
{
    quenwick::LabelLookAndFeel look;
    juce::Label plain;
    const auto font = look.getLabelFont (plain);
    EXPECT_FLOAT_EQ (font.getHeight(), 30.0f);
    EXPECT_FLOAT_EQ (look.getPopupMenuFont().getHeight(), 30.0f);
    EXPECT_TRUE (font.getTypefaceName().containsIgnoreCase ("DSEG")) << font.getTypefaceName();
    EXPECT_EQ (look.findColour (juce::PopupMenu::backgroundColourId), juce::Colours::black);
}
