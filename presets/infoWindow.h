#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The information window: the embedded information card at 40 % of its size with the
    plug-in's version drawn over its caption. A desktop window of its own, owned by the
    preset bar, with a native title bar, minimise and close. */
class InfoWindow : public juce::DocumentWindow
{
public:
    /** Builds the window and adds it to the desktop, hidden; the bar shows it. */
    InfoWindow();
    ~InfoWindow() override;

    /** Draws the version text over the picture. */
    void paintOverChildren (juce::Graphics& g) override;

    /** Hands the close request to windowCloseButtonPressed. */
    void closeButtonPressed() override;

    /** Height of the version font for the window's current height. */
    int getVersionFontHeight() const;

    /** The box the version text is drawn in, in window pixels. */
    juce::Rectangle<float> getVersionTextArea() const;

    /** Called when the user asks to close the window; does nothing until the bar sets it. */
    std::function<void()> windowCloseButtonPressed = [] {};
    /** Position of the version text's box in window pixels. */
    int textX = 0;
    int textY = 0;
    /** The window's content, shown but not owned by the window. */
    juce::ImageComponent imageComponent;

    /** The content's share of the picture's size. */
    static constexpr float pictureScale = 0.4f;
    /** The version font's height as a share of the window's height. */
    static constexpr float fontHeightShare = 0.025f;
    /** The size of the version text's box. */
    static constexpr float textBoxSize = 50.0f;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InfoWindow)
};
