#include "presets/menuComponent.h"
#include "presets/updateCheck.h"
#include "tests/unit/CommandsTestSupport.h"

using namespace commandstest;
namespace commands = quenwick::commands;
using quenwick::MenuComponent;

namespace
{
    void pump (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    struct CommandsBarTest : CommandsTest
    {
        void SetUp() override
        {
            quenwick::update::setServiceAddress ({});
            CommandsTest::SetUp();
            bar = std::make_unique<MenuComponent> (store());
        }

        void TearDown() override { bar.reset(); }

        juce::Button& button (int index) { return *bar->buttons[(size_t) index]; }

        /** A click as the user makes it: delivered later by the message loop. */
        void click (int index)
        {
            button (index).triggerClick();
            pump (30);
        }

        bool lit (int index) { return button (index).getToggleState(); }
        juce::String shownName() { return bar->presetLabel->nameLabel.getText(); }

        std::unique_ptr<MenuComponent> bar;
    };
}

TEST_F (CommandsBarTest, TheSlotButtonsFollowTheComparisonTable)
{
    auto& menu = store();
    setParameter (*processor, ParameterIds::depth1, 0.5f);
    menu.stateB = stateOf (*processor);
    setParameter (*processor, ParameterIds::depth1, 0.1f);
    ASSERT_TRUE (lit (MenuComponent::slotAButton));

    // A active, click A: A stays lit, nothing is captured or applied.
    const auto stateABefore = menu.stateA;
    click (MenuComponent::slotAButton);
    EXPECT_TRUE (lit (MenuComponent::slotAButton));
    EXPECT_FALSE (lit (MenuComponent::slotBButton));
    EXPECT_EQ (menu.compareSlot, 0);
    EXPECT_EQ (menu.stateA, stateABefore);
    EXPECT_FLOAT_EQ (currentDepth(), 0.1f);

    // A active, click B: stateA takes the current state, stateB is applied.
    click (MenuComponent::slotBButton);
    EXPECT_TRUE (lit (MenuComponent::slotBButton));
    EXPECT_FALSE (lit (MenuComponent::slotAButton));
    EXPECT_EQ (menu.compareSlot, 1);
    EXPECT_FLOAT_EQ (depthIn (menu.stateA), 0.1f);
    EXPECT_FLOAT_EQ (currentDepth(), 0.5f);

    // B active, click B: nothing.
    setParameter (*processor, ParameterIds::depth1, 0.2f);
    click (MenuComponent::slotBButton);
    EXPECT_TRUE (lit (MenuComponent::slotBButton));
    EXPECT_EQ (menu.compareSlot, 1);
    EXPECT_FLOAT_EQ (currentDepth(), 0.2f);

    // B active, click A: stateB takes the edited state, stateA is applied.
    click (MenuComponent::slotAButton);
    EXPECT_TRUE (lit (MenuComponent::slotAButton));
    EXPECT_FALSE (lit (MenuComponent::slotBButton));
    EXPECT_EQ (menu.compareSlot, 0);
    EXPECT_FLOAT_EQ (depthIn (menu.stateB), 0.2f);
    EXPECT_FLOAT_EQ (currentDepth(), 0.1f);
}

TEST_F (CommandsBarTest, CopyFillsBothSlotsAndActivatesTheOtherSlotFromEitherSide)
{
    auto& menu = store();
    setParameter (*processor, ParameterIds::depth1, 0.35f);
    const auto current = stateOf (*processor);

    click (MenuComponent::copyButton);
    pump (30);

    EXPECT_TRUE (lit (MenuComponent::slotBButton));
    EXPECT_FALSE (lit (MenuComponent::slotAButton));
    EXPECT_EQ (menu.compareSlot, 1);
    EXPECT_EQ (menu.stateA, current);
    EXPECT_EQ (menu.stateB, current);
    EXPECT_FLOAT_EQ (currentDepth(), 0.35f);

    setParameter (*processor, ParameterIds::depth1, 0.15f);
    const auto edited = stateOf (*processor);

    click (MenuComponent::copyButton);
    pump (30);

    EXPECT_TRUE (lit (MenuComponent::slotAButton));
    EXPECT_FALSE (lit (MenuComponent::slotBButton));
    EXPECT_EQ (menu.compareSlot, 0);
    EXPECT_EQ (menu.stateA, edited);
    EXPECT_EQ (menu.stateB, edited);
    EXPECT_FLOAT_EQ (currentDepth(), 0.15f);
}

TEST_F (CommandsBarTest, PreviousAndNextRefreshTheBarEvenAtTheEnds)
{
    EXPECT_EQ (shownName(), "Marlinet By Quenwick");

    bar->presetLabel->nameLabel.setText ("typed", juce::dontSendNotification);
    bar->buttonClicked (&button (MenuComponent::previousButton));
    EXPECT_EQ (store().currentPreset, store().getDefaultTree());
    EXPECT_EQ (shownName(), "Marlinet By Quenwick");

    bar->buttonClicked (&button (MenuComponent::nextButton));
    EXPECT_EQ (shownName(), "Bright");
    EXPECT_FLOAT_EQ (currentDepth(), 0.25f);

    bar->buttonClicked (&button (MenuComponent::nextButton));
    EXPECT_EQ (shownName(), "Bright");
    EXPECT_EQ (store().currentPreset, preset ("Bright.preset"));
}

TEST_F (CommandsBarTest, ASaveResultRefreshesTheBarAndACancelledOneDoesNot)
{
    bar->presetLabel->nameLabel.setText ("untouched", juce::dontSendNotification);
    commands::saveChosenFile (*bar, juce::File());
    EXPECT_EQ (shownName(), "untouched");

    commands::saveChosenFile (*bar, chosen ("My Tone.preset"));

    EXPECT_EQ (shownName(), "My Tone");
    EXPECT_EQ (quenwick::Label::getIndexString (bar->presetLabel->presetIndex, bar->presetLabel->isFactory), "02.");
    EXPECT_TRUE (user ("My Tone.preset").existsAsFile());

    juce::StringArray items;
    for (juce::PopupMenu::MenuItemIterator it (*bar->popupMenu, true); it.next();)
        items.add (it.getItem().text);
    EXPECT_TRUE (items.contains ("02.My Tone")) << items.joinIntoString (", ");
}

TEST_F (CommandsBarTest, ADeleteAnsweredNoDoesNothingAndYesDeletesAndRefreshes)
{
    store().loadPreset (preset ("Lead.preset"));
    bar->loadMenu (true);
    bar->presetLabel->nameLabel.setText ("untouched", juce::dontSendNotification);

    commands::deleteAnswered (*bar, 0);
    EXPECT_EQ (shownName(), "untouched");
    EXPECT_TRUE (user ("Lead.preset").existsAsFile());

    commands::deleteAnswered (*bar, 1);
    EXPECT_FALSE (user ("Lead.preset").exists());
    EXPECT_EQ (shownName(), "Marlinet By Quenwick");
    EXPECT_FLOAT_EQ (currentDepth(), 0.6f);
}

TEST_F (CommandsBarTest, ALoadedFileFromTheTreeIsReselectedByTheStateCheck)
{
    commands::loadChosenFile (*bar, user ("Keys/Pad.preset"));
    pump (2 * MenuComponent::stateCheckIntervalMs + 30);

    EXPECT_FLOAT_EQ (currentDepth(), 0.4f);
    EXPECT_EQ (store().currentPreset, preset ("Pad.preset"));
    EXPECT_EQ (shownName(), "Pad");
}
