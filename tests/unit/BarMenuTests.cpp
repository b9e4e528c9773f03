#include "tests/support/Fixtures.h"

using quenwick::Label;

TEST (BarMenu, LevelsListFoldersFirstAndNumberFromOneButTheFactoryRootAndItsLabelsCountFromZero)
{
    PresetFolders folders;
    PresetFolders::add (folders.factory(), { "Marlinet By Quenwick.preset", "Bright.preset", "Calm.preset",
                                             "Aside/Deep.preset", "Aside/Echo.preset" });
    for (int i = 1; i <= 100; ++i)
        PresetFolders::add (folders.artists(), { "P" + juce::String (i).paddedLeft ('0', 3) + ".preset" });
    PresetFolders::add (folders.user(), { "Trio/Zed.preset", "Trio/Yon.preset", "Loud.PRESET", "Top.preset", "Twice.preset.preset" });
    auto store = folders.scan();
    store->currentPreset = store->getDefaultTree();
    MenuComponent bar (*store);

    auto lines = describeMenu (*bar.popupMenu);
    for (auto* line : { "Artists>01.P001", "Artists>09.P009", "Artists>10.P010", "Artists>100.P100", "User>Trio>01.Yon",
                        "User>Trio>02.Zed", "User>01.Loud.PRESET", "User>02.Top", "User>03.Twice" })
        EXPECT_TRUE (lines.contains (line)) << line << "\n" << lines.joinIntoString ("\n");
    lines.removeRange (lines.indexOf ("Artists>"), lines.size());
    EXPECT_EQ (lines, juce::StringArray ({ "*Factory>", "Factory>Aside>", "Factory>Aside>01.Deep", "Factory>Aside>02.Echo",
                                           "*Factory>00.Marlinet By Quenwick", "Factory>01.Bright", "Factory>02.Calm" }));
    EXPECT_EQ (labelNumber (bar), "00.");
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Marlinet By Quenwick");
    EXPECT_EQ (Label::getIndexString (9, true), "09."); // a tenth Factory entry

    // The label counts from zero in a Factory folder too, while the item there counts from one.
    store->currentPreset = nodeNamed (*store, "Echo.preset");
    bar.loadMenu (true);
    EXPECT_EQ (labelNumber (bar), "01.");
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Echo");
    EXPECT_EQ (bar.presetLabel->presetName, "Echo");
    ASSERT_NE (findItem (*bar.popupMenu, "02.Echo"), nullptr);
    EXPECT_EQ (findItem (*bar.popupMenu, "02.Echo")->itemID, bar.currentPresetItemId);
    // Only the current preset and the levels leading to it carry a tick.
    juce::StringArray ticked;
    for (const auto& line : describeMenu (*bar.popupMenu))
        if (line.startsWith ("*"))
            ticked.add (line);
    EXPECT_EQ (ticked, juce::StringArray ({ "*Factory>", "*Factory>Aside>", "*Factory>Aside>02.Echo" }));

    // Only the exact lower-case extension leaves the label.
    store->currentPreset = nodeNamed (*store, "Loud.PRESET");
    bar.loadMenu (true);
    EXPECT_TRUE (findItem (*bar.popupMenu, "01.Loud.PRESET")->isTicked);
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Loud");

    // The label of a User preset counts from one as well.
    store->currentPreset = nodeNamed (*store, "Zed.preset");
    bar.loadMenu (true);
    EXPECT_EQ (labelNumber (bar), "02.");

    // A folder made current shows its name and the number of entries before it.
    auto userRoot = store->getCategoryTree (Menu::User);
    store->currentPreset = userRoot.getChildWithProperty ("name", "Trio");
    ASSERT_EQ (userRoot.indexOf (store->currentPreset), 2);
    bar.loadMenu (true);
    EXPECT_EQ (bar.presetLabel->nameLabel.getText(), "Trio");
    EXPECT_EQ (bar.presetLabel->presetIndex, 2);
}

TEST (BarLayout, ABarOverNoFoldersHasEmptyDisabledCategoriesAndItsPartsSitInOrderAtHalfTheirDesignBounds)
{
        Menu store ("marlinet", nullptr, {}, {}, "Marlinet By Quenwick", nullptr);
    MenuComponent bar (store);

    int entries = 0;
    for (juce::PopupMenu::MenuItemIterator it (*bar.popupMenu); it.next(); ++entries)
    {
        EXPECT_TRUE (it.getItem().text.isEmpty());
        EXPECT_FALSE (it.getItem().isEnabled);
    }
    EXPECT_EQ (entries, 3);
    EXPECT_EQ (labelNumber (bar), "01.");

    ASSERT_FALSE (bar.background->getImage().isNull());
    EXPECT_EQ (bar.getBounds(), juce::Rectangle<int> (0, 0, 1163, 49));
    EXPECT_EQ (bar.background->getBounds(), bar.getLocalBounds());
    ASSERT_EQ (bar.buttons.size(), (size_t) MenuComponent::numButtons);
    for (int i = 0; i < MenuComponent::numButtons; ++i)
    {
        auto& b = *bar.buttons[(size_t) i];
        const bool isToggle = i == 0 || i == 10 || i == 12;
        EXPECT_EQ (b.getClickingTogglesState(), isToggle) << i;
        ASSERT_TRUE (b.getNormalImage().isValid()) << i;
        EXPECT_FALSE (b.getDownImage() == b.getNormalImage()) << i;
        EXPECT_TRUE (b.getOverImage() == (isToggle ? b.getNormalImage() : b.getDownImage())) << i; // hover lights plain buttons only
    }

    const auto onScreen = [] (juce::Component& c) { return c.getBounds().toFloat().transformedBy (c.getTransform()); };
    EXPECT_EQ (onScreen (*bar.presetLabel), juce::Rectangle<float> (428.0f, 15.5f, 304.0f, 20.0f));
    EXPECT_EQ (bar.presetLabel->nameLabel.getBounds(), juce::Rectangle<int> (49, 0, 608, 40)); // after the number, past the edge
    EXPECT_EQ (onScreen (*bar.buttons[7]), juce::Rectangle<float> (745.0f, 14.5f, 20.0f, 20.0f));
    EXPECT_EQ (onScreen (*bar.buttons[0]), juce::Rectangle<float> (10.0f, 14.0f, 23.0f, 23.0f));

    // Back to front: background, the buttons in order, then the label.
    ASSERT_EQ (bar.getNumChildComponents(), 15);
    EXPECT_EQ (bar.getChildComponent (0), bar.background.get());
    for (int i = 0; i < MenuComponent::numButtons; ++i)
        EXPECT_EQ (bar.getChildComponent (i + 1), bar.buttons[(size_t) i].get());
    EXPECT_EQ (bar.getChildComponent (14), bar.presetLabel.get());
}
