#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>

namespace quenwick
{
class Menu;

/** The preset tree's vocabulary, shared by the store and the preset bar. */
namespace PresetTree
{
    inline const juce::Identifier filesType { "Files" };
    inline const juce::Identifier folderType { "presets" };
    inline const juce::Identifier presetType { "preset" };
    inline const juce::Identifier nameProperty { "name" };
    inline const juce::Identifier pathProperty { "path" };

    /** The name of the node the store makes when there is no preset at all; it has no file. */
    inline constexpr const char* placeholderName = "Unnamed.preset";
}

/** A processor that takes part in the preset library: it names its parameter state and
    the two directories where presets live, and owns its preset store. */
class MenuAudioProcessor : public virtual juce::AudioProcessor
{
public:
    MenuAudioProcessor (const juce::String& defaultPresetName,
                        const juce::String& productId,
                        juce::AudioProcessorValueTreeState& parameterState);
    ~MenuAudioProcessor() override;

    /** The processor's parameter state object. */
    virtual juce::AudioProcessorValueTreeState& getProcessorState() = 0;
    /** The shared application directory; an empty path unless overridden. */
    virtual juce::File getApplicationDirectory();
    /** The user's preset directory; an empty path unless overridden. */
    virtual juce::File getUserPresetDirectory();

    std::unique_ptr<Menu> menu;
    juce::String defaultPresetName;
    juce::String productId;
    juce::AudioProcessorValueTreeState* parameterState;

    /** Serialises the host's state calls with the store's write of "path", so a save on
        one thread never copies the tree while the message thread changes it. */
    juce::CriticalSection stateLock;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MenuAudioProcessor)
};

/** The preset store: directories, the cached preset tree and the A/B slots. */
class Menu
{
public:
    enum DirectoryType { ApplicationDirectory = 0, FactoryPresets, ArtistPresets, UserPresets };
    enum Category { Factory = 0, Artists, User };

    Menu (const juce::String& productCode,
          juce::AudioProcessor* processor,
          juce::File applicationDirectory,
          juce::File userPresetDirectory,
          const juce::String& defaultPresetName,
          juce::AudioProcessorValueTreeState* parameterState);
    ~Menu();

    void loadPresets();
    juce::File getDirectory (DirectoryType type);
    void savePresets();
    juce::ValueTree getCurrentDirectoriesValueTree();
    static juce::ValueTree getFileTreeFromDirectory (const juce::File& directory);
    juce::ValueTree getCategoryTree (Category category);
    juce::ValueTree getDefaultTree();

    juce::File getPresetFile (juce::ValueTree node);
    Category getCategoryOfValueTree (juce::ValueTree node);
    void loadPresetFile (const juce::File& file);
    void loadPreset (const juce::ValueTree& node);
    void loadDefaultPreset();
    void changeName (const juce::String& newName);
    static juce::ValueTree findChildWithPath (juce::ValueTree& tree, const juce::String& path);

    juce::String productCode;
    juce::AudioProcessor* processor;
    int compareSlot = 0;
    juce::MemoryBlock stateA;
    juce::MemoryBlock stateB;
    juce::File applicationDirectory;
    juce::File userPresetDirectory;
    juce::ValueTree filesTree;
    juce::ValueTree currentPreset;
    juce::ValueTree pendingPreset;
    juce::String defaultPresetName;
    int infoTextX = 0;
    int infoTextY = 0;
    juce::String bypassParameterId;
    juce::AudioProcessorValueTreeState* parameterState;
    std::atomic<bool> stateChanged { false };

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Menu)
};

} // namespace quenwick

/** The sort rule of preset nodes: natural, case-insensitive and blind to spaces. */
class comparator
{
public:
    int compareElements (const juce::ValueTree& first, const juce::ValueTree& second) const;
};
