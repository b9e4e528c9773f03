#include "tests/unit/BarHelpers.h"
#include "tests/unit/ProcessorHelpers.h"

#include <thread>

using quenwick::Label;
using quenwick::Menu;
using quenwick::MenuComponent;

namespace
{
    /** A processor in a temporary home whose Factory folder holds two presets that differ
        from the defaults, and whose store has scanned them. */
    struct BarWithProcessor : public ::testing::Test
    {
        void SetUp() override
        {
            processor = std::make_unique<MarlinetAudioProcessor>();
            writePreset (home.factoryDirectory().getChildFile ("Marlinet By Quenwick.preset"), 0.6f);
            writePreset (home.factoryDirectory().getChildFile ("Bright.preset"), 0.25f);
            writePreset (home.factoryDirectory().getChildFile ("Calm.preset"), 0.75f);
            processor->menu->loadPresets();
            processor->menu->loadDefaultPreset();
            pumpMessages (10);
            processor->menu->stateChanged = false;
        }

        void writePreset (const juce::File& file, float depth)
        {
            setParameter (*processor, ParameterIds::depth1, depth);
            const auto block = stateOf (*processor);
            file.getParentDirectory().createDirectory();
            file.replaceWithData (block.getData(), block.getSize());
        }

        /** The processor's state with the given "path", as a host would hand it back. */
        juce::MemoryBlock stateWithPath (const juce::String& path)
        {
            auto tree = treeOf (stateOf (*processor));
            tree.setProperty ("path", path, nullptr);
            juce::MemoryBlock block;
            juce::MemoryOutputStream out (block, false);
            tree.writeToStream (out);
            return block;
        }

        juce::String labelNumber (MenuComponent& bar)
        {
            return Label::getIndexString (bar.presetLabel->presetIndex, bar.presetLabel->isFactory);
        }

        OfflineUpdateCheck offline;
        TempHome home;
        std::unique_ptr<MarlinetAudioProcessor> processor;
    };
}

TEST_F (BarWithProcessor, ARestoreOnAnotherThreadReselectsItsPresetWithinTwoTicks)
{
    auto& store = *processor->menu;
    MenuComponent bar (store);
    const auto calm = nodeNamed (store, "Calm.preset");
    ASSERT_TRUE (calm.isValid());
    ASSERT_NE (store.currentPreset, calm);

    const auto block = stateWithPath (home.factoryDirectory().getChildFile ("Calm.preset").getFullPathName());
    std::thread host ([&] { processor->setStateInformation (block.getData(), (int) block.getSize()); });
    host.join();

    pumpMessages (2 * MenuComponent::stateCheckIntervalMs + 20);

    EXPECT_EQ (store.currentPreset, calm);
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Calm");
    EXPECT_EQ (labelNumber (bar), "02.");
    EXPECT_TRUE (findItem (*bar.popupMenu, "02.Calm")->isTicked);
    EXPECT_FALSE (store.stateChanged.load());
}

TEST_F (BarWithProcessor, ARestoreNamingNoPresetLeavesEverythingButClearsTheFlag)
{
    auto& store = *processor->menu;
    MenuComponent bar (store);
    const auto before = store.currentPreset;
    const auto nameBefore = bar.presetLabel->nameLabel.getText();
    const auto numberBefore = labelNumber (bar);
    const auto menuBefore = describeMenu (*bar.popupMenu);

    for (const auto& path : { home.root.getChildFile ("elsewhere.preset").getFullPathName(),
                              home.factoryDirectory().getChildFile ("calm.preset").getFullPathName(),
                              juce::String() })
    {
        const auto block = stateWithPath (path);
        processor->setStateInformation (block.getData(), (int) block.getSize());
        ASSERT_TRUE (store.stateChanged.load());

        pumpMessages (2 * MenuComponent::stateCheckIntervalMs + 20);

        EXPECT_EQ (store.currentPreset, before) << path;
        EXPECT_EQ (bar.presetLabel->nameLabel.getText(), nameBefore);
        EXPECT_EQ (labelNumber (bar), numberBefore);
        EXPECT_EQ (describeMenu (*bar.popupMenu), menuBefore);
        EXPECT_FALSE (store.stateChanged.load()) << path;
    }
}

TEST_F (BarWithProcessor, ARestoreWhileNoBarExistedIsPickedUpByTheNextBarsFirstTick)
{
    auto& store = *processor->menu;
    const auto block = stateWithPath (home.factoryDirectory().getChildFile ("Bright.preset").getFullPathName());
    processor->setStateInformation (block.getData(), (int) block.getSize());

    MenuComponent bar (store);
    pumpMessages (MenuComponent::stateCheckIntervalMs + 50);

    EXPECT_EQ (store.currentPreset, nodeNamed (store, "Bright.preset"));
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Bright");
}

TEST_F (BarWithProcessor, ClosingTheBarDropsAPendingRestoreSignal)
{
    auto& store = *processor->menu;
    {
        MenuComponent bar (store);
        store.stateChanged = true;
    }
    EXPECT_FALSE (store.stateChanged.load());
}

TEST_F (BarWithProcessor, ChoosingAPresetLoadsItsSoundAndTheNextTickAgrees)
{
    auto& store = *processor->menu;
    MenuComponent bar (store);
    auto action = findItem (*bar.popupMenu, "01.Bright")->action;
    action();

    EXPECT_NEAR (parameterValue (*processor, ParameterIds::depth1), 0.25f, 1.0e-6f);
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Bright");

    pumpMessages (2 * MenuComponent::stateCheckIntervalMs + 20);
    EXPECT_EQ (store.currentPreset, nodeNamed (store, "Bright.preset"));
    EXPECT_EQ (labelNumber (bar), "01.");
    EXPECT_FALSE (store.stateChanged.load());
}

TEST_F (BarWithProcessor, TheLitSlotFollowsTheStoreWithoutSwitchingSlots)
{
    auto& store = *processor->menu;
    setParameter (*processor, ParameterIds::depth1, 0.5f);
    processor->getStateInformation (store.stateB);

    for (int slot : { 1, 0 })
    {
        store.compareSlot = slot;
        const auto a = store.stateA;
        const auto b = store.stateB;

        MenuComponent bar (store);
        pumpMessages (50);

        EXPECT_EQ (bar.buttons[MenuComponent::slotBButton]->getToggleState(), slot == 1);
        EXPECT_EQ (bar.buttons[MenuComponent::slotAButton]->getToggleState(), slot == 0);
        EXPECT_EQ (store.compareSlot, slot);
        EXPECT_EQ (store.stateA, a);
        EXPECT_EQ (store.stateB, b);
        EXPECT_NEAR (parameterValue (*processor, ParameterIds::depth1), 0.5f, 1.0e-6f);
    }
}

TEST_F (BarWithProcessor, TheBypassButtonAndTheParameterFollowEachOther)
{
    setParameter (*processor, ParameterIds::bypass, 1.0f);
    MenuComponent bar (*processor->menu);
    auto& button = *bar.buttons[MenuComponent::bypassButton];
    EXPECT_TRUE (button.getToggleState());

    button.triggerClick();
    pumpMessages (50);
    EXPECT_FALSE (button.getToggleState());
    EXPECT_EQ (parameterValue (*processor, ParameterIds::bypass), 0.0f);

    setParameter (*processor, ParameterIds::bypass, 1.0f);
    pumpMessages (20);
    EXPECT_TRUE (button.getToggleState());

    // A host automating bypass from its own thread reaches the button too.
    std::thread host ([&] { setParameter (*processor, ParameterIds::bypass, 0.0f); });
    host.join();
    pumpMessages (50);
    EXPECT_FALSE (button.getToggleState());
}

TEST (BarLayout, ButtonsToggleOnlyWhereTheyShouldAndSitAtHalfTheirDesignBounds)
{
    OfflineUpdateCheck offline;
    Menu store ("marlinet", nullptr, {}, {}, "Marlinet By Quenwick", nullptr);
    MenuComponent bar (store);

    ASSERT_EQ (bar.buttons.size(), (size_t) MenuComponent::numButtons);
    for (int i = 0; i < MenuComponent::numButtons; ++i)
    {
        const auto& b = *bar.buttons[(size_t) i];
        const bool isToggle = i == 0 || i == 10 || i == 12;
        EXPECT_EQ (b.getClickingTogglesState(), isToggle) << i;
        EXPECT_TRUE (b.getName().isEmpty());
    }

    // Without a parameter state the bypass button is unbound but still toggles itself.
    EXPECT_EQ (bar.bypassAttachment, nullptr);
    bar.buttons[0]->triggerClick();
    pumpMessages (30);
    EXPECT_TRUE (bar.buttons[0]->getToggleState());

    const auto onScreen = [] (juce::Component& c) { return c.getBounds().toFloat().transformedBy (c.getTransform()); };
    EXPECT_EQ (onScreen (*bar.presetLabel), juce::Rectangle<float> (428.0f, 15.5f, 304.0f, 20.0f));
    EXPECT_EQ (onScreen (*bar.buttons[7]), juce::Rectangle<float> (745.0f, 14.5f, 20.0f, 20.0f));
    EXPECT_EQ (onScreen (*bar.buttons[0]), juce::Rectangle<float> (10.0f, 14.0f, 23.0f, 23.0f));

    // Back to front: background, the buttons in order, then the label.
    ASSERT_EQ (bar.getNumChildComponents(), 15);
    EXPECT_EQ (bar.getChildComponent (0), bar.background.get());
    for (int i = 0; i < MenuComponent::numButtons; ++i)
        EXPECT_EQ (bar.getChildComponent (i + 1), bar.buttons[(size_t) i].get());
    EXPECT_EQ (bar.getChildComponent (14), bar.presetLabel.get());
}

TEST (BarLayout, TheBarTakesHalfItsBackgroundAndHoverShowsGreenOnlyOnPlainButtons)
{
    OfflineUpdateCheck offline;
    Menu store ("marlinet", nullptr, {}, {}, "Marlinet By Quenwick", nullptr);
    MenuComponent bar (store);

    if (bar.background->getImage().isNull())
        GTEST_SKIP() << "the bar artwork is not built into this tree";

    EXPECT_EQ (bar.getWidth(), 1163);
    EXPECT_EQ (bar.getHeight(), 49);
    EXPECT_EQ (bar.background->getBounds(), bar.getLocalBounds());

    for (int i = 0; i < MenuComponent::numButtons; ++i)
    {
        auto& b = *bar.buttons[(size_t) i];
        const bool isToggle = i == 0 || i == 10 || i == 12;
        ASSERT_TRUE (b.getNormalImage().isValid()) << i;
        EXPECT_FALSE (b.getDownImage() == b.getNormalImage()) << i;
        EXPECT_TRUE (b.getOverImage() == (isToggle ? b.getNormalImage() : b.getDownImage())) << i;
    }
}
