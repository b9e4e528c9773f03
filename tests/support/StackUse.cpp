#include "tests/support/StackUse.h"

#include <algorithm>
#include <pthread.h>
#include <sys/mman.h>

namespace
{
    constexpr size_t paintedStackSize = 64 * 1024 * 1024;
    constexpr unsigned char paint = 0xa5;

    void* runWork (void* work)
    {
        (*static_cast<const std::function<void()>*> (work))();
        return nullptr;
    }
}

size_t stackUsedBy (const std::function<void()>& work)
{
    void* memory = ::mmap (nullptr, paintedStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);

    if (memory == MAP_FAILED)
        return paintedStackSize;

    auto* stack = static_cast<unsigned char*> (memory);
    std::fill (stack, stack + paintedStackSize, paint);

    pthread_attr_t attributes;
    pthread_attr_init (&attributes);
    pthread_attr_setstack (&attributes, stack, paintedStackSize);
    pthread_t thread;
    const bool started = pthread_create (&thread, &attributes, runWork, const_cast<std::function<void()>*> (&work)) == 0;
    pthread_attr_destroy (&attributes);

    if (started)
        pthread_join (thread, nullptr);

    // The stack grows down from the top of the block.
    const auto deepest = std::find_if (stack, stack + paintedStackSize, [] (unsigned char b) { return b != paint; });
    ::munmap (memory, paintedStackSize);
    return started ? (size_t) (stack + paintedStackSize - deepest) : paintedStackSize;
}
