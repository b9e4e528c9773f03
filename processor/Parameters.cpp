#include "processor/Parameters.h"

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    for (const auto& spec : parameterTable)
    {
        const juce::ParameterID id { spec.id, 1 };

        if (spec.isBool)
            layout.add (std::make_unique<juce::AudioParameterBool> (id, spec.name, spec.defaultValue != 0.0f));
        else
            layout.add (std::make_unique<juce::AudioParameterFloat> (id, spec.name,
                                                                    juce::NormalisableRange<float> (spec.start, spec.end, 0.0f, 1.0f, false),
                                                                    spec.defaultValue));
    }

    return layout;
}
