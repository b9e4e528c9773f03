#include "tests/support/Fixtures.h"


TEST_F (CommandsBarTest, TheSlotAndCopyButtonsFollowTheComparisonTable)
{
    setDepth (0.6f);
    store().stateA = stateOf (*processor);
    setDepth (0.5f);
    store().stateB = stateOf (*processor);
    setDepth (0.1f);
    // Clicking the lit slot captures and applies nothing; clicking the other stores the current
    // state in the slot left and applies its own; copy fills both and lights the other slot.
    const struct { float setFirst; int button, active; float depth, inA, inB; } steps[] {
        { 0.0f, MenuComponent::slotAButton, 0, 0.1f, 0.6f, 0.5f },   { 0.0f, MenuComponent::slotBButton, 1, 0.5f, 0.1f, 0.5f },
        { 0.2f, MenuComponent::slotBButton, 1, 0.2f, 0.1f, 0.5f },   { 0.0f, MenuComponent::slotAButton, 0, 0.1f, 0.1f, 0.2f },
        { 0.35f, MenuComponent::copyButton, 1, 0.35f, 0.35f, 0.35f }, { 0.15f, MenuComponent::copyButton, 0, 0.15f, 0.15f, 0.15f },
    };
    for (const auto& step : steps)
    {
        if (step.setFirst > 0.0f)
            setDepth (step.setFirst);
        bar->buttons[(size_t) step.button]->triggerClick(); // delivered later by the message loop, as a user's click
        pump (30);
        EXPECT_EQ (store().compareSlot, step.active);
        EXPECT_EQ (bar->buttons[MenuComponent::slotAButton]->getToggleState(), step.active == 0);
        EXPECT_EQ (bar->buttons[MenuComponent::slotBButton]->getToggleState(), step.active == 1);
        EXPECT_FLOAT_EQ (currentDepth(), step.depth);
        EXPECT_FLOAT_EQ (depthIn (store().stateA), step.inA);
        EXPECT_FLOAT_EQ (depthIn (store().stateB), step.inB);
        if (step.button == MenuComponent::copyButton)
        {
            EXPECT_TRUE (store().stateA == stateOf (*processor) && store().stateB == stateOf (*processor));
        }
    }
}

TEST_F (CommandsBarTest, ASaveResultRefreshesTheBarAndACancelledOneDoesNot)
{
    bar->presetLabel->nameLabel.setText ("untouched", juce::dontSendNotification);
    commands::saveChosenFile (*bar, juce::File());
    EXPECT_EQ (shownName(), "untouched");
    commands::saveChosenFile (*bar, chosen ("My Tone.preset"));
    EXPECT_EQ (shownName(), "My Tone");
    EXPECT_EQ (quenwick::Label::getIndexString (bar->presetLabel->presetIndex, bar->presetLabel->isFactory), "02.");
    juce::StringArray items;
    for (juce::PopupMenu::MenuItemIterator it (*bar->popupMenu, true); it.next();)
        items.add (it.getItem().text);
    EXPECT_TRUE (items.contains ("02.My Tone")) << items.joinIntoString (", ");
}
