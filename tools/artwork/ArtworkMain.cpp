// Draws every picture of the plug-in and writes them as PNG files:
//     marlinet_artwork <output folder> <font folder>          all pictures
//     marlinet_artwork --mock <picture folder> <font folder>  composites for checking alignment
#include "ArtCommon.h"

#include <iostream>

#ifndef MARLINET_HOME_URL
 #define MARLINET_HOME_URL "https://www.quenwick.com"
#endif

namespace art
{
    juce::String homePage()
    {
        return juce::String (MARLINET_HOME_URL).fromFirstOccurrenceOf ("://", false, false).upToFirstOccurrenceOf ("/", false, false);
    }
}

namespace
{
    bool writePng (const juce::Image& image, const juce::File& file)
    {
        juce::MemoryOutputStream bytes;
        if (! image.isValid() || ! juce::PNGImageFormat().writeImageToStream (image, bytes))
            return false;
        return file.replaceWithData (bytes.getData(), bytes.getDataSize());
    }

    int fail (const juce::String& message)
    {
        std::cerr << "marlinet_artwork: " << message << std::endl;
        return 1;
    }
}

int main (int argc, char* argv[])
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);

    const bool mock = args[0] == "--mock";
    if (mock)
        args.remove (0);
    if (args.size() != 2)
        return fail ("usage: marlinet_artwork [--mock] <picture folder> <font folder>");

    const juce::File output (juce::File::getCurrentWorkingDirectory().getChildFile (args[0]));
    if (! art::loadFonts (juce::File::getCurrentWorkingDirectory().getChildFile (args[1])))
        return fail ("cannot load the segment fonts from " + args[1]);
    if (! output.createDirectory())
        return fail ("cannot create " + output.getFullPathName());

    if (mock)
    {
        juce::Image editor (juce::Image::ARGB, 2326, 98 + 392, true);
        {
            juce::Graphics g (editor);
            g.drawImageAt (art::renderBarMock (output), 0, 0);
            g.drawImageAt (art::renderMock (output), 0, 98);
        }
        return writePng (editor, output.getChildFile ("mock.png")) ? 0 : fail ("cannot write the mock");
    }

    // Order matters: the information card photographs the panel, bar and knobs drawn before it.
    std::vector<art::Picture> pictures;
    for (auto&& group : { art::panelPictures(), art::knobPictures(), art::barPictures(), art::infoPictures (output) })
        pictures.insert (pictures.end(), group.begin(), group.end());

    for (const auto& picture : pictures)
        if (! writePng (picture.render(), output.getChildFile (picture.fileName)))
            return fail ("cannot write " + picture.fileName);

    return 0;
}
