#include "processor/PluginProcessor.h"

#include "processor/Directories.h"
#include "processor/StateBytes.h"
#include "processor/Tremolo.h"

MarlinetAudioProcessor::MarlinetAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      quenwick::MenuAudioProcessor ("Marlinet By Quenwick", "marlinet", apvts),
      sampleRate (1),
      apvts (*this, nullptr, "MarlinetPreset", createParameterLayout())
{
    const auto applicationDirectory = getApplicationDirectory();
    const auto userPresetDirectory = getUserPresetDirectory();

    auto store = std::make_unique<quenwick::Menu> (productId, this, applicationDirectory,
                                                   userPresetDirectory, defaultPresetName, parameterState);
    store->loadPresets();
    menu = std::move (store);

    menu->stateA.reset();
    menu->stateB.reset();
    getStateInformation (menu->stateA);
    getStateInformation (menu->stateB);

    menu->bypassParameterId = ParameterIds::bypass;
    menu->loadDefaultPreset();
    menu->infoTextX = 357;
    menu->infoTextY = 62;

    sampleCounter = 0;
    phaseIncrement1 = phaseIncrement2 = 0.0;
}

MarlinetAudioProcessor::~MarlinetAudioProcessor() = default;

juce::AudioProcessorValueTreeState& MarlinetAudioProcessor::getProcessorState()  { return apvts; }

juce::File MarlinetAudioProcessor::getApplicationDirectory()
{
    return sharedApplicationSupportDirectory().getChildFile ("Quenwick").getChildFile ("Marlinet Rack");
}

juce::File MarlinetAudioProcessor::getUserPresetDirectory()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
               .getChildFile ("Audio")
               .getChildFile ("Presets")
               .getChildFile ("Quenwick")
               .getChildFile ("Marlinet Rack")
               .getChildFile ("User");
}

void MarlinetAudioProcessor::prepareToPlay (double newSampleRate, int)
{
    // A rate below 1 Hz would make every phase step infinite and the output NaN.
    if (newSampleRate >= 1.0 && newSampleRate < (double) std::numeric_limits<int>::max())
        sampleRate = (int) newSampleRate;
}

void MarlinetAudioProcessor::releaseResources() {}

bool MarlinetAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto output = layouts.getMainOutputChannelSet();

    if (output != juce::AudioChannelSet::mono() && output != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == output;
}

float MarlinetAudioProcessor::rawValue (const char* id) const
{
    return apvts.getRawParameterValue (id)->load();
}

double MarlinetAudioProcessor::hostTempo()
{
    if (auto* host = getPlayHead())
        if (const auto position = host->getPosition())
            if (const auto bpm = position->getBpm())
                if (std::isfinite (*bpm))
                    return *bpm;

    return 120.0;
}

void MarlinetAudioProcessor::followHostTempo (const char* syncId, const char* rateId, double bpm)
{
    if (rawValue (syncId) == 0.0f)
        return;

    // The speed takes the host tempo clamped to its range, as near as the parameter can hold
    // it (60 in 19..90 is held as 59.9999962). A speed already holding that is never written
    // again, or every block would write a tempo whose held value keeps another integer part.
    auto* parameter = apvts.getParameter (rateId);
    const auto& range = parameter->getNormalisableRange();
    const double clamped = juce::jlimit ((double) range.start, (double) range.end, bpm);
    const float normalised = parameter->convertTo0to1 ((float) clamped);
    const float speed = rawValue (rateId);

    if (speed == parameter->convertFrom0to1 (normalised) || std::trunc (clamped) == std::trunc ((double) speed))
        return;

    // The parameter's own setter updates the value the rest of this block reads and tells
    // the host; the state tree catches up on the message thread. No tree write, no allocation.
    parameter->setValueNotifyingHost (normalised);
}

void MarlinetAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const int n = buffer.getNumSamples();
    // A host must hand over a buffer with a channel for every bus channel; never trust it.
    const int numIn = juce::jmin (getTotalNumInputChannels(), buffer.getNumChannels());
    const int numOut = juce::jmin (getTotalNumOutputChannels(), buffer.getNumChannels());

    for (int channel = numIn; channel < numOut; ++channel)
        buffer.clear (channel, 0, n);

    const double bpm = hostTempo();
    followHostTempo (ParameterIds::sync1, ParameterIds::rate1, bpm);
    followHostTempo (ParameterIds::sync2, ParameterIds::rate2, bpm);

    if (rawValue (ParameterIds::bypass) != 0.0f
        || (rawValue (ParameterIds::depth1) == 0.0f && rawValue (ParameterIds::depth2) == 0.0f))
    {
        sampleCounter += n;
        return;
    }

    TremoloSettings settings;
    settings.rate1   = rawValue (ParameterIds::rate1);
    settings.rate2   = rawValue (ParameterIds::rate2);
    settings.depth1  = rawValue (ParameterIds::depth1);
    settings.depth2  = rawValue (ParameterIds::depth2);
    settings.volume1 = rawValue (ParameterIds::volume1);
    settings.volume2 = rawValue (ParameterIds::volume2);
    settings.pan1    = rawValue (ParameterIds::pan1);
    settings.pan2    = rawValue (ParameterIds::pan2);
    settings.linked  = rawValue (ParameterIds::link) != 0.0f;

    const auto increments = applyTremolo (buffer, numIn, settings, sampleRate, sampleCounter);
    phaseIncrement1 = increments.section1;
    phaseIncrement2 = increments.section2;

    sampleCounter += juce::jmax (0, n);
}

bool MarlinetAudioProcessor::hasEditor() const                       { return true; }

const juce::String MarlinetAudioProcessor::getName() const           { return "Marlinet"; }
bool MarlinetAudioProcessor::acceptsMidi() const                     { return false; }
bool MarlinetAudioProcessor::producesMidi() const                    { return false; }
bool MarlinetAudioProcessor::isMidiEffect() const                    { return false; }
double MarlinetAudioProcessor::getTailLengthSeconds() const          { return 0.0; }

int MarlinetAudioProcessor::getNumPrograms()                         { return 1; }
int MarlinetAudioProcessor::getCurrentProgram()                      { return 0; }
void MarlinetAudioProcessor::setCurrentProgram (int)                 {}
const juce::String MarlinetAudioProcessor::getProgramName (int)      { return "Marlinet"; }
void MarlinetAudioProcessor::changeProgramName (int, const juce::String&) {}

void MarlinetAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::ValueTree copy;

    {
        const juce::ScopedLock sl (stateLock);
        copy = apvts.copyState();
    }

    // Not appending: the block ends up holding exactly the new state. An invalid tree
    // writes JUCE's three-byte empty tree.
    juce::MemoryOutputStream out (destData, false);
    copy.writeToStream (out);
}

void MarlinetAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    auto decoded = decodeState (data, sizeInBytes);

    {
        const juce::ScopedLock sl (stateLock);

        if (decoded.legacy != nullptr)
            restoreLegacyState (*decoded.legacy);
        else if (decoded.tree.isValid())
            apvts.replaceState (decoded.tree);

        // Bytes that hold no tree at all keep the current state: replacing it with
        // nothing would make every later save write an empty tree.
    }

    if (menu != nullptr)
        menu->stateChanged.exchange (true);
}

void MarlinetAudioProcessor::restoreLegacyState (const juce::XmlElement& root)
{
    // The attributes are applied to a copy of the current state, which then replaces it
    // under the parameter state's own lock: the tree is never changed behind its back.
    auto state = apvts.copyState();

    for (int i = 0; i < root.getNumAttributes(); ++i)
    {
        const auto& name = root.getAttributeName (i);

        if (apvts.getParameter (name) == nullptr)
            continue;

        auto child = state.getChildWithProperty ("id", name);

        // Text that is no finite number counts as 0.0, like any other text that is no number.
        const auto value = root.getAttributeValue (i).getDoubleValue();

        if (child.isValid())
            child.setProperty ("value", std::isfinite (value) ? value : 0.0, nullptr);
    }

    apvts.replaceState (state);
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new MarlinetAudioProcessor();
}
