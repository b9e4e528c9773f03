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
}

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    for (const auto& spec : parameterTable)
    {
        if (spec.isBool)
            layout.add (std::make_unique<juce::AudioParameterBool> (juce::ParameterID { spec.id, 1 }, spec.name,
                                                                    spec.defaultValue != 0.0f));
        else
            layout.add (std::make_unique<FiniteParameterFloat> (spec));
    }

    return layout;
}
