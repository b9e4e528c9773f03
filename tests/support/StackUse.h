#pragma once

#include <cstddef>
#include <functional>

/** Runs the work on a thread of its own and returns how many bytes of that thread's stack it
    used at most: the stack is painted before the run, and the deepest byte no longer painted
    marks the high-water line. The same binary and input give the same count on every run. */
size_t stackUsedBy (const std::function<void()>& work);
