#include "tests/support/Helpers.h"

#include <dlfcn.h>

void ignoreXErrors()
{
    using Handler = int (*) (void*, void*);
    juce::Desktop::getInstance();   // opens the display, which installs Xlib's handler
    if (auto* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_NOLOAD))
        if (auto set = reinterpret_cast<Handler (*) (Handler)> (dlsym (x11, "XSetErrorHandler")))
            set ([] (void*, void*) { return 0; });
}

bool writeScreenshot (const juce::Image& image, const juce::String& fileName)
{
    const auto file = juce::File (MARLINET_SCREENSHOT_DIR).getChildFile (fileName);
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream out (file);
    return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out);
}
