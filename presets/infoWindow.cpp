#include "presets/infoWindow.h"

#include "presets/embeddedResources.h"

InfoWindow::InfoWindow()
    : juce::DocumentWindow ("Info", juce::Colours::black,
                            juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton,
                            true)
{
    setUsingNativeTitleBar (true);

    // A picture that does not decode leaves an empty image and a 0 x 0 window.
    const auto picture = quenwick::loadPicture ("temp34_png");
    imageComponent.setImage (picture);
    imageComponent.setSize ((int) ((float) picture.getWidth() * pictureScale),
                            (int) ((float) picture.getHeight() * pictureScale));

    setContentNonOwned (&imageComponent, true);
}

InfoWindow::~InfoWindow()
{
    // The content is a member: take it out before it goes, so the window never holds
    // a pointer to a destroyed component.
    clearContentComponent();
}

int InfoWindow::getVersionFontHeight() const
{
    return juce::roundToInt ((float) getHeight() * fontHeightShare);
}

juce::Rectangle<float> InfoWindow::getVersionTextArea() const
{
    return { (float) textX, (float) textY, textBoxSize, textBoxSize };
}

void InfoWindow::paintOverChildren (juce::Graphics& g)
{
    g.setColour (juce::Colours::lightgrey);
    g.setFont (juce::Font ((float) getVersionFontHeight(), juce::Font::plain));
    g.drawText (JucePlugin_VersionString, getVersionTextArea(), juce::Justification::centredLeft, true);
}

void InfoWindow::closeButtonPressed()
{
    // A copy runs, so the callback may let the window go without pulling the running
    // function object from under itself.
    if (auto callback = windowCloseButtonPressed)
        callback();
}
