#include "tests/support/Fixtures.h"
#include "tests/support/Helpers.h"

#include <thread>


namespace
{
    constexpr int twoTicks = 2 * MenuComponent::stateCheckIntervalMs + 20;

    /** A processor in a temporary home whose Factory folder holds three presets that differ
        from the defaults, and whose store has scanned them. */
    struct BarWithProcessor : public ::testing::Test
    {
        void SetUp() override
        {
            const std::pair<const char*, float> presets[] { { "Marlinet By Quenwick", 0.6f }, { "Bright", 0.25f }, { "Calm", 0.75f } };
            for (auto [name, depth] : presets)
            {
                setParameter (*processor, ParameterIds::depth1, depth);
                const auto block = stateOf (*processor);
                home.factoryDirectory().createDirectory();
                factoryFile (name).replaceWithData (block.getData(), block.getSize());
            }
            store.loadPresets();
            store.loadDefaultPreset();
            pump (10);
            store.stateChanged = false;
        }

        juce::File factoryFile (const juce::String& name) { return home.factoryDirectory().getChildFile (name + ".preset"); }

        /** Restores the processor's state with the given "path", as a host would hand it back. */
        void restoreWithPath (const juce::String& path)
        {
            auto tree = treeOf (stateOf (*processor));
            tree.setProperty ("path", path, nullptr);
            juce::MemoryOutputStream out;
            tree.writeToStream (out);
            processor->setStateInformation (out.getData(), (int) out.getDataSize());
        }

                TempHome home;
        std::unique_ptr<MarlinetAudioProcessor> processor = std::make_unique<MarlinetAudioProcessor>();
        Menu& store = *processor->menu;
    };
}

TEST_F (BarWithProcessor, RestoresReselectTheirPresetWithinTwoTicksUnknownPathsOnlyClearTheFlagAndAClosedBarIgnoresAll)
{
    // A restore while no bar exists is picked up by the next bar's first tick.
    restoreWithPath (factoryFile ("Bright").getFullPathName());
    auto bar = std::make_unique<MenuComponent> (store);
    pump (MenuComponent::stateCheckIntervalMs + 50);
    ASSERT_EQ (store.currentPreset, nodeNamed (store, "Bright.preset"));
    EXPECT_EQ (bar->presetLabel->nameLabel.getText(), "Bright");

    const auto menuBefore = describeMenu (*bar->popupMenu);
    for (const auto& path : { home.root.getChildFile ("elsewhere.preset").getFullPathName(),
                              factoryFile ("calm").getFullPathName(), juce::String() })
    {
        restoreWithPath (path);
        ASSERT_TRUE (store.stateChanged.load());
        pump (twoTicks);
        EXPECT_EQ (store.currentPreset, nodeNamed (store, "Bright.preset")) << path;
        EXPECT_EQ (bar->presetLabel->nameLabel.getText(), "Bright");
        EXPECT_EQ (labelNumber (*bar), "01.");
        EXPECT_EQ (describeMenu (*bar->popupMenu), menuBefore);
        EXPECT_FALSE (store.stateChanged.load()) << path;
    }

    std::thread host ([&] { restoreWithPath (factoryFile ("Calm").getFullPathName()); });
    host.join();
    pump (twoTicks);
    EXPECT_EQ (store.currentPreset, nodeNamed (store, "Calm.preset"));
    EXPECT_EQ (bar->presetLabel->nameLabel.getText(), "Calm");
    EXPECT_EQ (labelNumber (*bar), "02.");
    EXPECT_TRUE (findItem (*bar->popupMenu, "02.Calm")->isTicked);
    EXPECT_FALSE (store.stateChanged.load());

    // Closing the bar drops a pending restore signal, and an item chosen after it (the editor
    // closed while the menu was open) does nothing.
    auto chosenLater = findItem (*bar->popupMenu, "01.Bright")->action;
    store.stateChanged = true;
    bar.reset();
    EXPECT_FALSE (store.stateChanged.load());
    chosenLater();
    EXPECT_EQ (store.currentPreset, nodeNamed (store, "Calm.preset"));
}

TEST_F (BarWithProcessor, ChoosingAPresetLoadsItsSoundAndTheNextTickAgrees)
{
    MenuComponent bar (store);
    auto action = findItem (*bar.popupMenu, "01.Bright")->action; // the action itself rebuilds the menu
    action();
    EXPECT_NEAR (parameterValue (*processor, ParameterIds::depth1), 0.25f, 1.0e-6f);
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Bright");

    pump (twoTicks);
    EXPECT_EQ (store.currentPreset, nodeNamed (store, "Bright.preset"));
    EXPECT_EQ (labelNumber (bar), "01.");
    EXPECT_TRUE (findItem (*bar.popupMenu, "01.Bright")->isTicked);
    EXPECT_FALSE (findItem (*bar.popupMenu, "00.Marlinet By Quenwick")->isTicked);
    EXPECT_FALSE (store.stateChanged.load());
}

TEST_F (BarWithProcessor, TheLitSlotFollowsTheStoreWithoutSwitchingSlotsAndBypassFollowsItsParameterBothWays)
{
    setParameter (*processor, ParameterIds::depth1, 0.5f);
    processor->getStateInformation (store.stateB);
    for (int slot : { 1, 0 })
    {
        store.compareSlot = slot;
        const auto a = store.stateA, b = store.stateB;
        MenuComponent bar (store);
        pump (50);

        EXPECT_EQ (bar.buttons[MenuComponent::slotBButton]->getToggleState(), slot == 1);
        EXPECT_EQ (bar.buttons[MenuComponent::slotAButton]->getToggleState(), slot == 0);
        EXPECT_EQ (store.compareSlot, slot);
        EXPECT_EQ (store.stateA, a);
        EXPECT_EQ (store.stateB, b);
        EXPECT_NEAR (parameterValue (*processor, ParameterIds::depth1), 0.5f, 1.0e-6f);
    }

    setParameter (*processor, ParameterIds::bypass, 1.0f);
    MenuComponent bar (store);
    auto& button = *bar.buttons[MenuComponent::bypassButton];
    EXPECT_TRUE (button.getToggleState());
    button.triggerClick();
    pump (50);
    EXPECT_FALSE (button.getToggleState());
    EXPECT_EQ (parameterValue (*processor, ParameterIds::bypass), 0.0f);

    setParameter (*processor, ParameterIds::bypass, 1.0f);
    pump (20);
    EXPECT_TRUE (button.getToggleState());
    std::thread host ([&] { setParameter (*processor, ParameterIds::bypass, 0.0f); }); // a host automating bypass
    host.join();
    pump (50);
    EXPECT_FALSE (button.getToggleState());
}
