#include "processor/Directories.h"

juce::File sharedApplicationSupportDirectory()
{
   #if JUCE_LINUX || JUCE_BSD
    const auto xdgDataHome = juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {});

    // The XDG rules say a relative value is invalid and must be ignored; JUCE would also
    // take "~/..." as absolute, which the rules do not.
    if (xdgDataHome.startsWithChar ('/'))
        return juce::File (xdgDataHome);

    return juce::File ("~/.local/share");
   #else
    return juce::File::getSpecialLocation (juce::File::commonApplicationDataDirectory)
               .getChildFile ("Application Support");
   #endif
}
