#include "processor/StateBytes.h"

#include <cmath>
#include <cstdint>

// Any bytes a host or a preset file hands over must decode in bounded time and memory,
// and a decoded tree must hold no non-finite parameter value.
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size > (size_t) std::numeric_limits<int>::max())
        return 0;

    const auto decoded = decodeState (data, (int) size);

    for (const auto& child : decoded.tree)
        if (child.hasProperty ("value") && ! std::isfinite ((double) child["value"]))
            __builtin_trap();

    if (decoded.legacy != nullptr)
        for (int i = 0; i < decoded.legacy->getNumAttributes(); ++i)
            (void) decoded.legacy->getAttributeValue (i).getDoubleValue();

    return 0;
}
