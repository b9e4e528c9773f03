#include "processor/Parameters.h"

#include <cmath>

namespace
{
    /** A float parameter that never holds NaN. JUCE passes a host's NaN straight through its
        range into the value, and from there into every output sample and the saved state;
        here its legal-value rule keeps the value the parameter already has instead. Every
        other value is clamped exactly as JUCE's own rule does. */
    class FiniteParameterFloat final : public juce::AudioParameterFloat
    {
    public:
        explicit FiniteParameterFloat (const ParameterSpec& spec)
            : juce::AudioParameterFloat ({ spec.id, 1 }, spec.name, rangeFor (spec, *this), spec.defaultValue)
        {
        }

    private:
        static juce::NormalisableRange<float> rangeFor (const ParameterSpec& spec, const FiniteParameterFloat& owner)
        {
            auto snap = [&owner] (float start, float end, float v)
            {
                if (std::isnan (v))
                    return owner.get();

                return (v <= start || end <= start) ? start : (v >= end ? end : v);
            };

            return { spec.start, spec.end, nullptr, nullptr, snap };
        }
    };

    /** A switch that never holds a value that is not finite. JUCE's bool parameter stores a
        host's NaN or infinity as it comes, and from there it would reach the audio and the
        saved state; here a NaN keeps the value the switch had, as a knob does, and an
        infinity counts as the end it points to, as JUCE's range clamps it for a knob. */
    class FiniteParameterBool final : public juce::AudioParameterBool
    {
    public:
        explicit FiniteParameterBool (const ParameterSpec& spec)
            : juce::AudioParameterBool ({ spec.id, 1 }, spec.name, spec.defaultValue != 0.0f),
              lastFinite (spec.defaultValue != 0.0f ? 1.0f : 0.0f)
        {
        }

        const juce::NormalisableRange<float>& getNormalisableRange() const override  { return finiteRange; }

    private:
        /** JUCE's setter has stored the value and calls this before any listener reads it. */
        void valueChanged (bool) override
        {
            auto& parameter = static_cast<juce::AudioProcessorParameter&> (*this);
            const auto held = parameter.getValue();

            if (std::isfinite (held))
                lastFinite = held;
            else
                parameter.setValue (std::isnan (held) ? lastFinite.load() : (held > 0.0f ? 1.0f : 0.0f));
        }

        std::atomic<float> lastFinite;

        // An editor's attachment converts the NaN a host sent, not the value kept: it snaps
        // to the switch's own state. Every other value snaps as JUCE's bool range does.
        const juce::NormalisableRange<float> finiteRange { 0.0f, 1.0f, nullptr, nullptr,
            [this] (float, float, float v) { return std::isnan (v) ? (get() ? 1.0f : 0.0f) : (v >= 0.5f ? 1.0f : 0.0f); } };
    };
}

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    for (const auto& spec : parameterTable)
    {
        if (spec.isBool)
            layout.add (std::make_unique<FiniteParameterBool> (spec));
        else
            layout.add (std::make_unique<FiniteParameterFloat> (spec));
    }

    return layout;
}
