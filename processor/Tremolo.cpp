#include "processor/Tremolo.h"

#include <cmath>

// This file is built with -ffp-contract=off: each product and sum below is rounded on
// its own, so the output is bit-identical on machines with and without FMA.

namespace
{
    struct PanWeights
    {
        double left, right;
    };

    PanWeights panWeights (double pan) noexcept
    {
        return { 0.5 - pan / 20.0, 0.5 + pan / 20.0 };
    }

    /** Section 1's modulation factor; the modulated term carries the depth only. */
    double sectionOneFactor (double phase, double volume, double depth) noexcept
    {
        if (depth <= 0.0)
            return 1.0;

        return volume > 0.0 ? (std::cos (phase) + 1.0) * 0.5 * depth + (1.0 - depth)
                            : 1.0 - depth;
    }

    /** Section 2's modulation factor; its modulated term carries the volume once more. */
    double sectionTwoFactor (double phase, double volume, double depth) noexcept
    {
        if (depth <= 0.0)
            return 1.0;

        return volume > 0.0 ? (std::cos (phase) + 1.0) * 0.5 * volume * depth + (1.0 - depth)
                            : 1.0 - depth;
    }

    /** The buffer's one-sample gain rule: 1.0f leaves the sample, 0.0f zeroes it. */
    void scaleSample (float& sample, float gain) noexcept
    {
        if (gain == 1.0f)
            return;

        sample = gain == 0.0f ? 0.0f : sample * gain;
    }
}

TremoloIncrements applyTremolo (juce::AudioBuffer<float>& buffer,
                                int numInputChannels,
                                const TremoloSettings& s,
                                int sampleRate,
                                juce::int64 sampleCounter) noexcept
{
    const double k = 6.283185307179586 / (double) sampleRate / 15.0;

    TremoloIncrements inc;
    inc.section1 = (double) s.rate1 * k;
    inc.section2 = s.linked ? inc.section1 : (double) s.rate2 * k;

    const double vol1 = s.volume1, dep1 = s.depth1, p1 = s.pan1;
    const double vol2 = s.linked ? vol1 : (double) s.volume2;
    const double dep2 = s.linked ? dep1 : (double) s.depth2;
    const double p2   = s.linked ? p1   : (double) s.pan2;

    PanWeights w1 { 1.0, 0.0 }, w2 { 1.0, 0.0 };

    if (numInputChannels != 1)
    {
        w1 = panWeights (p1);
        w2 = panWeights (p2);
    }

    const int n = buffer.getNumSamples();

    if (n <= 0)
        return inc;

    // A buffer flagged clear is silent: the gain rule leaves it alone, so only the phases run.
    const bool silent = buffer.hasBeenCleared();
    float* left  = (! silent && numInputChannels >= 1) ? buffer.getWritePointer (0) : nullptr;
    float* right = (! silent && numInputChannels >= 2) ? buffer.getWritePointer (1) : nullptr;

    if (left == nullptr)
        return inc;

    double ph1 = (double) sampleCounter * inc.section1;
    double ph2 = (double) sampleCounter * inc.section2;

    for (int i = 0; i < n; ++i)
    {
        const double g1 = sectionOneFactor (ph1, vol1, dep1);
        const double g2 = sectionTwoFactor (ph2, vol2, dep2);
        const double G1 = g1 * vol1;
        const double G2 = g2 * vol2;

        scaleSample (left[i], (float) (((G1 * w1.left + 1.0) - w1.left) * ((G2 * w2.left + 1.0) - w2.left)));

        if (right != nullptr)
            scaleSample (right[i], (float) (((G1 * w1.right + 1.0) - w1.right) * ((G2 * w2.right + 1.0) - w2.right)));

        ph1 += inc.section1;
        ph2 += inc.section2;
    }

    return inc;
}
