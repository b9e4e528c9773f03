#pragma once

#include <juce_core/juce_core.h>

/** The per-platform folder under which the shared application directory lives:
    "/Library/Application Support" on macOS; on Linux the user's XDG data home, since
    JUCE's common application data folder there (/opt) is not writable by a user. */
juce::File sharedApplicationSupportDirectory();
