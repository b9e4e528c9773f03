#include <benchmark/benchmark.h>

#include "presets/safeXml.h"
#include "tests/support/StackUse.h"

#include <juce_events/juce_events.h>

// The stack JUCE's XML reader needs per level of nesting: it recurses once per level while
// reading and again while the parsed tree is freed. A host may restore a state on a thread
// with 512 KiB of stack or less; the safe reader's nesting bound is set from these counts.

namespace
{
    size_t stackToReadNested (int depth)
    {
        std::string text;

        for (int i = 0; i < depth; ++i)
            text += "<a>";

        for (int i = 0; i < depth; ++i)
            text += "</a>";

        return stackUsedBy ([&text] { benchmark::DoNotOptimize (juce::XmlDocument::parse (juce::String (text)).get()); });
    }

    void XmlReaderStack (benchmark::State& state)
    {
        size_t shallow = 0, deep = 0, atTheBound = 0;

        for (auto _ : state)
        {
            shallow = stackToReadNested (1000);
            deep = stackToReadNested (11000);
            atTheBound = stackToReadNested (quenwick::maxXmlNesting);
        }

        state.counters["bytesPerLevel"] = (double) (deep - shallow) / 10000.0;
        state.counters["bytesAtTheBound"] = (double) atTheBound;
    }
}

BENCHMARK (XmlReaderStack)->Iterations (1)->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
