#include "processor/Tremolo.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

// This file is built with -ffp-contract=off: each product and sum below is rounded on
// its own, so the output is bit-identical on machines with and without FMA.
//
// The tremolo is defined by a serial loop: ph += inc once per sample and two libm cosines
// per frame. Evaluated literally, the cosines cost nearly all of the time, so the phases are
// reproduced exactly in runs and their cosines come from complex rotations, seeded from libm
// at the start of each chunk and each run; the gain arithmetic then runs in plain loops that
// the compiler vectorises at -O3, rounding each step as the serial loop does.

namespace
{
    constexpr int chunkSize = 256;   // frames per pass: bounds the stack scratch and the rotation drift
    constexpr int columns = 8;       // samples per turn of the rotation, a multiple of the vector width

    /** How many samples from ph on (at most limit) have the serial phase exactly ph + j * d,
        j counted from 0, and that d; 1 where this cannot be relied on.

        While ph stays inside one binade every ph += inc rounds to the same grid, so (short of
        an exact tie, which rounds to even and so depends on ph) it adds the same d each time. */
    int exactRun (double ph, double inc, int limit, double& d) noexcept
    {
        d = (ph + inc) - ph;

        if (! (inc >= 0.0) || ! std::isfinite (ph + inc))
            return 1;

        if (d == 0.0)
            return limit;   // the sum no longer moves, nor will it

        if (! (ph >= DBL_MIN) || limit < 2)
            return 1;

        // The power of two at or below ph: its exponent bits alone.
        std::uint64_t bits;
        std::memcpy (&bits, &ph, sizeof (bits));
        bits &= 0x7ff0000000000000u;
        double bottom;
        std::memcpy (&bottom, &bits, sizeof (bottom));

        const double top = 2.0 * bottom, halfUlp = bottom * 0x1p-53;

        if (std::abs (inc - d) == halfUlp)
            return 1;

        const double estimate = std::ceil ((top - ph) / d);

        if (estimate >= (double) limit + 2.0)
            return limit;

        // Inside the binade j * d and ph + j * d are exact, so these comparisons are too.
        int n = juce::jmax (1, (int) estimate);
        while (n > 1 && ph + (double) (n - 1) * d >= top)
            --n;
        while (ph + (double) n * d < top)
            ++n;

        return juce::jmin (n, limit);
    }

    /** Two doubles, the width of SSE2: baseline x86-64 vectorises these without help. */
    using Pair = double __attribute__ ((vector_size (16)));

    struct Section
    {
        double volume, depth;
        bool volumeTwice;   // section 2's modulated term carries its volume once more

        /** False where the factor does not depend on the phase. */
        bool modulates() const noexcept   { return depth > 0.0 && volume > 0.0; }

        /** The section's gain G = g * volume while it modulates, for a cosine of its phase:
            ((cos + 1) * 0.5 [* volume] * depth + (1 - depth)) * volume. Halving is exact, so
            the 0.5 may move onto the depth without changing a single rounding. */
        template <typename T>
        T modulated (T cosine, double halfDepth, double rest) const noexcept
        {
            T x = cosine + 1.0;

            if (volumeTwice)
                x = x * volume;

            return (x * halfDepth + rest) * volume;
        }

        double gain (double cosine) const noexcept
        {
            if (depth <= 0.0)
                return 1.0 * volume;

            return volume > 0.0 ? modulated (cosine, 0.5 * depth, 1.0 - depth) : (1.0 - depth) * volume;
        }
    };

    /** A modulating section's gains over the serial phase loop, chunk by chunk. Runs of exact
        phases take their cosines from a rotation: a row of columns phases apart, turned by
        columns steps at a time. Each chunk seeds it from libm at its first phase, so the drift
        stays bounded and that sample's cosine is libm's. */
    class Oscillator
    {
    public:
        Oscillator (const Section& s, double phase, double increment) noexcept
            : section (s), ph (phase), inc (increment) {}

        /** Writes the gains of the next n samples to out, with scratch up to columns - 1 beyond. */
        void next (double* out, int n) noexcept
        {
            for (int i = 0; i < n;)
            {
                double d = 0.0;
                const int run = exactRun (ph, inc, n - i, d);

                if (run < 2 * columns)
                {
                    // Short runs: seeding the rotation would cost more than the cosines.
                    for (const int end = i + run; i < end; ++i)
                    {
                        out[i] = section.gain (std::cos (ph));
                        ph += inc;
                    }
                }
                else
                {
                    rotate (out + i, run, d);
                    i += run;
                    ph = (ph + (double) (run - 1) * d) + inc;
                }
            }
        }

    private:
        static constexpr int pairs = columns / 2;

        const Section section;
        double ph, inc;
        double step = -1.0;                       // the d the tables below belong to
        double turnC[columns], turnS[columns];    // cos and sin of r * step
        double alphaStride = 0.0, betaStride = 0.0;   // 1 - cos and sin of columns * step

        void setStep (double d) noexcept
        {
            // libm at the power-of-two multiples (exact angles), products of those in between.
            step = d;
            turnC[0] = 1.0;
            turnS[0] = 0.0;

            for (int r = 1; r < columns; r *= 2)
                turnS[r] = std::sin ((double) r * d), turnC[r] = std::cos ((double) r * d);

            for (int r = 3; r < columns; ++r)
            {
                const int a = r & -r, b = r - a;

                if (b != 0)
                {
                    turnC[r] = turnC[a] * turnC[b] - turnS[a] * turnS[b];
                    turnS[r] = turnS[a] * turnC[b] + turnC[a] * turnS[b];
                }
            }

            // The row turns by the small corrections 1 - cos and sin rather than by cos and sin:
            // cos of a small angle, rounded near 1, would scale the row a little at every turn.
            // Both come from the half angle, accurate to their own few ulps.
            const double halfC = turnC[columns / 2], halfS = turnS[columns / 2];
            alphaStride = 2.0 * halfS * halfS;
            betaStride = 2.0 * halfS * halfC;
        }

        void rotate (double* out, int n, double d) noexcept
        {
            if (d != step)
                setStep (d);

            // Once per chunk or run; std::cos is the same libm cosine the serial loop uses.
            double rowC = std::cos (ph), rowS = std::sin (ph);

            // Locals, so that the stores to out cannot alias them.
            const Section sec = section;
            const double halfDepth = 0.5 * sec.depth, rest = 1.0 - sec.depth;
            const double alpha = alphaStride, beta = betaStride;
            Pair tc[pairs], ts[pairs];

            for (int q = 0; q < pairs; ++q)
            {
                tc[q] = Pair { turnC[2 * q], turnC[2 * q + 1] };
                ts[q] = Pair { turnS[2 * q], turnS[2 * q + 1] };
            }

            for (int j = 0; j < n; j += columns)
            {
                for (int q = 0; q < pairs; ++q)
                {
                    const Pair g = sec.modulated (rowC * tc[q] - rowS * ts[q], halfDepth, rest);
                    std::memcpy (out + j + 2 * q, &g, sizeof (g));
                }

                const double nextC = rowC - (alpha * rowC + beta * rowS);
                rowS = rowS - (alpha * rowS - beta * rowC);
                rowC = nextC;
            }
        }
    };

    /** The buffer's one-sample gain rule: a gain of exactly 1.0f leaves the sample as it is,
        0.0f makes it +0, any other multiplies. Bit masks select, so loops of it vectorise. */
    inline void scaleSample (float& sample, float gain) noexcept
    {
        const float scaled = sample * gain;
        std::uint32_t in, out;
        std::memcpy (&in, &sample, sizeof (in));
        std::memcpy (&out, &scaled, sizeof (out));

        const std::uint32_t keep = gain == 1.0f ? ~0u : 0u;
        const std::uint32_t zero = gain == 0.0f ? ~0u : 0u;
        out = (in & keep) | (out & ~(keep | zero));
        std::memcpy (&sample, &out, sizeof (out));
    }

    /** One channel's gains over a chunk, both sections' contributions at its pan weights.
        With finite section gains a section weighted 0 contributes exactly 1.0: it is left out. */
    void channelGains (float* g, const double* G1, double w1, const double* G2, double w2,
                       int n, bool finite) noexcept
    {
        if (finite && w1 == 0.0)
        {
            std::swap (G1, G2);   // the product commutes exactly
            std::swap (w1, w2);
        }

        if (finite && w2 == 0.0 && w1 == 0.0)
            std::fill (g, g + n, 1.0f);
        else if (finite && w2 == 0.0)
            for (int i = 0; i < n; ++i)
                g[i] = (float) ((G1[i] * w1 + 1.0) - w1);
        else
            for (int i = 0; i < n; ++i)
                g[i] = (float) (((G1[i] * w1 + 1.0) - w1) * ((G2[i] * w2 + 1.0) - w2));
    }

    void scaleChannel (float* x, const float* gains, int n) noexcept
    {
        for (int i = 0; i < n; ++i)
            scaleSample (x[i], gains[i]);
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

    // Pan weights: a mono channel takes both sections whole.
    double left1 = 1.0, right1 = 0.0, left2 = 1.0, right2 = 0.0;

    if (numInputChannels != 1)
    {
        left1 = 0.5 - p1 / 20.0;  right1 = 0.5 + p1 / 20.0;
        left2 = 0.5 - p2 / 20.0;  right2 = 0.5 + p2 / 20.0;
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

    const Section one { vol1, dep1, false };
    const Section two { vol2, dep2, true };

    // A section whose factor does not move costs no cosine.
    const double ph1 = (double) sampleCounter * inc.section1;
    const double ph2 = (double) sampleCounter * inc.section2;
    const bool moving1 = one.modulates() && inc.section1 != 0.0;
    const bool moving2 = two.modulates() && inc.section2 != 0.0;

    Oscillator lfo1 (one, ph1, inc.section1), lfo2 (two, ph2, inc.section2);
    double G1[chunkSize + columns], G2[chunkSize + columns];

    if (! moving1)  std::fill (G1, G1 + chunkSize, one.gain (one.modulates() ? std::cos (ph1) : 1.0));
    if (! moving2)  std::fill (G2, G2 + chunkSize, two.gain (two.modulates() ? std::cos (ph2) : 1.0));

    // With finite settings every section gain is finite, which channelGains needs to leave out
    // a section weighted 0; centred pans give both channels the same gains.
    const bool finite = std::isfinite (vol1) && std::isfinite (dep1) && std::isfinite (inc.section1)
                     && std::isfinite (vol2) && std::isfinite (dep2) && std::isfinite (inc.section2);
    const bool sameGains = left1 == right1 && left2 == right2;
    float gainsLeft[chunkSize], gainsRight[chunkSize];

    for (int start = 0; start < n; start += chunkSize)
    {
        const int m = juce::jmin (chunkSize, n - start);

        if (moving1)  lfo1.next (G1, m);
        if (moving2)  lfo2.next (G2, m);

        channelGains (gainsLeft, G1, left1, G2, left2, m, finite);
        scaleChannel (left + start, gainsLeft, m);

        if (right != nullptr)
        {
            if (! sameGains)
                channelGains (gainsRight, G1, right1, G2, right2, m, finite);

            scaleChannel (right + start, sameGains ? gainsLeft : gainsRight, m);
        }
    }

    return inc;
}
