#include "tests/support/Fixtures.h"

#include <csignal>
#include <sys/resource.h>

TEST_F (CommandsTest, ASaveNeverWritesOverAFactoryPresetAndNamesItsFileInTheStateTheActiveSlotAndTheFile)
{
    const auto factoryBytes = fileBytes (factory ("Bright.preset"));
    const auto saved = user ("Bright.preset");
    store().loadPreset (preset ("Bright.preset"));
    setDepth (0.8f);
    ASSERT_TRUE (commands::savePreset (store(), factory ("Bright.preset")));   // even from a dialog showing the Factory folder
    EXPECT_FLOAT_EQ (depthIn (saved), 0.8f);
    EXPECT_EQ (fileBytes (factory ("Bright.preset")), factoryBytes);
    EXPECT_EQ (store().currentPreset.getParent(), store().getCategoryTree (Menu::User));
    for (const auto& state : { stateOf (*processor), store().stateA, fileBytes (saved) })
        EXPECT_EQ (treeOf (state)["path"].toString(), saved.getFullPathName());

    // Saved onto itself it is overwritten, and the tree stays as it was.
    const auto tree = store().filesTree.createCopy();
    setDepth (0.7f);
    ASSERT_TRUE (commands::savePreset (store(), chosen ("Bright.preset")));
    EXPECT_FLOAT_EQ (depthIn (saved), 0.7f);
    EXPECT_TRUE (store().filesTree.isEquivalentTo (tree));

    // A write that fails part-way (a file size limit binds even root) leaves the old file, the tree and the state's path.
    std::signal (SIGXFSZ, SIG_IGN);
    rlimit previous {}, limited {};
    getrlimit (RLIMIT_FSIZE, &previous);
    limited = { 16, previous.rlim_max };
    ASSERT_EQ (setrlimit (RLIMIT_FSIZE, &limited), 0);
    setDepth (0.1f);
    const bool wrote = commands::savePreset (store(), chosen ("Bright.preset")) || commands::savePreset (store(), chosen ("Brand New"));
    setrlimit (RLIMIT_FSIZE, &previous);
    EXPECT_FALSE (wrote);
    EXPECT_FLOAT_EQ (depthIn (saved), 0.7f);
    EXPECT_TRUE (store().filesTree.isEquivalentTo (tree) && ! user ("Brand New.preset").exists());
    EXPECT_EQ (processor->apvts.state["path"].toString(), saved.getFullPathName());

    // From a user folder that links outside the user folder, nothing is written.
    const auto elsewhere = home.root.getChildFile ("elsewhere");
    writePreset (elsewhere.getChildFile ("Away.preset"), 0.5f);
    ASSERT_TRUE (elsewhere.createSymbolicLink (user ("Linked"), true));
    store().loadPresets();
    store().loadPreset (preset ("Away.preset"));
    EXPECT_FALSE (commands::savePreset (store(), chosen ("Copy")) || elsewhere.getChildFile ("Copy.preset").exists());
}

TEST_F (CommandsTest, ASaveWritesExactlyTheTypedNameInTheCurrentUserFolderAndTouchesNoOtherPresetFileOrNode)
{
    // In Keys, beside Soft.preset (0.45): no dotted name may land on it.
    const std::pair<const char*, const char*> saves[] = { { "Soft.v2", "Soft.v2.preset" }, { "Tone 1.5.preset", "Tone 1.5.preset" },
                                                          { "Mix.PRESET", "Mix.preset" }, { "Soft.preset.bak", "Soft.preset.bak.preset" } };
    for (const auto& [typed, written] : saves)
    {
        SCOPED_TRACE (typed);
        const auto file = user ("Keys").getChildFile (written);
        store().loadPreset (preset ("Pad.preset"));
        setDepth (0.9f);
        ASSERT_TRUE (commands::savePreset (store(), chosen (typed)));
        EXPECT_FLOAT_EQ (depthIn (file), 0.9f);
        EXPECT_FLOAT_EQ (depthIn (user ("Keys/Soft.preset")), 0.45f);
        EXPECT_EQ (store().getPresetFile (store().currentPreset), file);   // the new node, in Keys, maps to that file
    }
    EXPECT_EQ (childNames (folder ("Keys")).size(), 6);
}

TEST_F (CommandsBarTest, DeleteRefusesAllButAUserPresetWhoseOwnFileLiesInsideTheUserFolderAndActsOnlyOnYes)
{
    // Besides Factory presets, folders and roots: the placeholder (with a file of its name), a preset in a linked folder,
    // a name climbing out to a sibling folder (its "path" agreeing) and a node whose "path" names another file.
    const auto elsewhere = home.root.getChildFile ("elsewhere");
    const auto climbing = "../" + home.userPresetDirectory().getFileName() + "X/outside.preset";
    for (const auto& file : { user ("Unnamed.preset"), elsewhere.getChildFile ("Linked.preset"), user (climbing) })
        writePreset (file, 0.5f);
    ASSERT_TRUE (elsewhere.createSymbolicLink (user ("Linked"), true));
    store().loadPresets();
    auto userRoot = store().getCategoryTree (Menu::User), mismatched = preset ("Lead.preset");
    const auto placeholder = presetNode ("Unnamed.preset");
    const auto escaping = presetNode (climbing).setProperty ("path", home.userPresetDirectory().getFullPathName() + "/" + climbing, nullptr);
    userRoot.appendChild (placeholder, nullptr);
    userRoot.appendChild (escaping, nullptr);
    mismatched.setProperty ("path", user ("Keys/Pad.preset").getFullPathName(), nullptr);
    ASSERT_TRUE (preset ("Linked.preset").isValid());

    for (const auto& node : { preset ("Bright.preset"), folder ("Keys"), userRoot, juce::ValueTree(), placeholder, escaping, preset ("Linked.preset"), mismatched })
    {
        store().currentPreset = node;
        EXPECT_FALSE (commands::isDeletablePreset (store(), node) || commands::deleteCurrentPreset (store())) << node.toXmlString();
        EXPECT_EQ (store().currentPreset, node);
    }
    for (const auto& kept : { factory ("Bright.preset"), user ("Unnamed.preset"), user (climbing), elsewhere.getChildFile ("Linked.preset"), user ("Lead.preset"), user ("Keys/Pad.preset") })
        EXPECT_TRUE (kept.existsAsFile()) << kept.getFullPathName();
    // Asked about a user preset: No leaves it, Yes deletes its file and node and loads the default.
    store().loadPreset (preset ("Soft.preset"));
    commands::deleteAnswered (*bar, 0);
    EXPECT_TRUE (user ("Keys/Soft.preset").existsAsFile());
    commands::deleteAnswered (*bar, 1);
    EXPECT_FALSE (user ("Keys/Soft.preset").exists() || preset ("Soft.preset").isValid());
    EXPECT_EQ (store().currentPreset, store().getDefaultTree());
    EXPECT_FLOAT_EQ (currentDepth(), 0.6f);
}

TEST_F (CommandsBarTest, PreviousAndNextStepWithinTheLevelWithoutWrappingAround)
{
    press (MenuComponent::previousButton);   // the default preset is first
    EXPECT_EQ (store().currentPreset, store().getDefaultTree());
    press (MenuComponent::nextButton);
    EXPECT_EQ (shownName(), "Bright");
    EXPECT_FLOAT_EQ (currentDepth(), 0.25f);
    store().loadPreset (preset ("Soft.preset"));   // the last in Keys
    EXPECT_FALSE (commands::stepToSibling (store(), +1));
}

TEST_F (CommandsBarTest, ANewBarLightsTheStoresSlotAndTheSlotAndCopyButtonsFollowTheComparisonTable)
{
    const auto stateWith = [this] (float depth) { setDepth (depth); return stateOf (*processor); };
    store().stateA = stateWith (0.6f);
    store().stateB = stateWith (0.5f);
    setDepth (0.1f);
    store().compareSlot = 1;
    bar = std::make_unique<MenuComponent> (store());
    // Clicking the lit slot captures and applies nothing; clicking the other stores the current
    // state in the slot left and applies its own; copy fills both and lights the other slot.
    const struct { float setFirst; int button, active; float depth, inA, inB; } steps[] {
        { 0.0f, -1, 1, 0.1f, 0.6f, 0.5f },                           { 0.0f, MenuComponent::slotBButton, 1, 0.1f, 0.6f, 0.5f },
        { 0.0f, MenuComponent::slotAButton, 0, 0.6f, 0.6f, 0.1f },   { 0.2f, MenuComponent::slotAButton, 0, 0.2f, 0.6f, 0.1f },
        { 0.0f, MenuComponent::slotBButton, 1, 0.1f, 0.2f, 0.1f },   { 0.35f, MenuComponent::copyButton, 0, 0.35f, 0.35f, 0.35f },
        { 0.15f, MenuComponent::copyButton, 1, 0.15f, 0.15f, 0.15f } };
    int clicks = 0;   // a button's own callback runs after the bar has handled its click
    for (auto button : { MenuComponent::slotAButton, MenuComponent::slotBButton, MenuComponent::copyButton })
        bar->buttons[(size_t) button]->onClick = [&clicks] { ++clicks; };
    for (const auto& step : steps)
    {
        if (step.setFirst > 0.0f)
            setDepth (step.setFirst);
        if (step.button >= 0)
        {
            const auto before = clicks;
            bar->buttons[(size_t) step.button]->triggerClick();   // delivered by the message loop, as a user's click
            ASSERT_TRUE (pumpUntil ([&] { return clicks > before; }));
        }
        EXPECT_EQ (store().compareSlot, step.active);
        EXPECT_EQ (std::pair (bar->buttons[MenuComponent::slotAButton]->getToggleState(), bar->buttons[MenuComponent::slotBButton]->getToggleState()),
                   std::pair (step.active == 0, step.active == 1));
        EXPECT_FLOAT_EQ (currentDepth(), step.depth);
        EXPECT_FLOAT_EQ (depthIn (store().stateA), step.inA);
        EXPECT_FLOAT_EQ (depthIn (store().stateB), step.inB);
    }
}
