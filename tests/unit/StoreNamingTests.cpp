#include "tests/support/Fixtures.h"


namespace
{
    /** A library on disk: Factory/Bass/Deep.preset, Factory/Bass/Sub/Low.preset, Artists/Guest/A/B/C/Solo.preset,
        User/Lead.preset and User/Keys/Organ.preset. */
    struct Naming : StoreTest
    {
        void SetUp() override
        {
            for (auto* path : { "Bass/Deep.preset", "Bass/Sub/Low.preset" })
                writeFile (home.factoryDirectory().getChildFile (path));
            writeFile (home.artistDirectory().getChildFile ("Guest/A/B/C/Solo.preset"));
            for (auto* path : { "Lead.preset", "Keys/Organ.preset" })
                writeFile (home.userPresetDirectory().getChildFile (path));
            menu.loadPresets();
        }

        /** The node at the names below the category's root. */
        juce::ValueTree at (Menu::Category c, std::initializer_list<const char*> names)
        {
            auto node = menu.getCategoryTree (c);
            for (auto* name : names)
                node = node.getChildWithProperty ("name", name);
            return node;
        }
    };
}

TEST_F (Naming, NodesMapToFilesByTheirNamesAndToCategoriesByTheirRoot)
{
    const auto user = home.userPresetDirectory(), besideUser = user.getSiblingFile ("User.preset");
    auto keys = at (Menu::User, { "Keys" });
    auto inKeys = [&keys] (const char* name) { auto node = presetNode (name); keys.appendChild (node, nullptr); return node; };
    auto moved = at (Menu::Factory, { "Bass", "Deep.preset" });
    moved.setProperty ("path", "/somewhere/else.preset", nullptr);   // the file comes from the names, never from "path"

    const std::tuple<juce::ValueTree, juce::File, Menu::Category> cases[] = {
        { moved, home.factoryDirectory().getChildFile ("Bass/Deep.preset"), Menu::Factory },
        { at (Menu::Artists, { "Guest", "A", "B", "C", "Solo.preset" }), home.applicationDirectory().getChildFile ("Presets/Artists/Guest/A/B/C/Solo.preset"), Menu::Artists },
        { at (Menu::User, { "Lead.preset" }), user.getChildFile ("Lead.preset"), Menu::User },
        { at (Menu::Factory, { "Bass" }), home.factoryDirectory().getChildFile ("Bass.preset"), Menu::Factory },   // a folder's sibling file
        { inKeys ("Mix.old"), user.getChildFile ("Keys/Mix.preset"), Menu::User },
        { inKeys ("LOUD.PRESET"), user.getChildFile ("Keys/LOUD.PRESET"), Menu::User },
        { inKeys ("Plain"), user.getChildFile ("Keys/Plain.preset"), Menu::User },
        // Roots, detached and invalid nodes fall back beside the user directory and count as User.
        { menu.getCategoryTree (Menu::Factory), besideUser, Menu::User },
        { menu.getCategoryTree (Menu::Artists), besideUser, Menu::User },
        { menu.getCategoryTree (Menu::User), besideUser, Menu::User },
        { {}, besideUser, Menu::User },
        { presetNode ("Lonely.preset"), besideUser, Menu::User },
        // Text after "user" (any case) in a detached node's name is appended to the user directory's path.
        { presetNode ("superUSER/x.preset"), user.getChildFile ("x.preset"), Menu::User },
    };

    for (const auto& [node, file, category] : cases)
    {
        EXPECT_EQ (menu.getPresetFile (node), file) << node["name"].toString();
        EXPECT_EQ (menu.getCategoryOfValueTree (node), category) << node["name"].toString();
    }
    EXPECT_EQ (menu.getCategoryOfValueTree (menu.filesTree.getChildWithName ("Factory")), Menu::User);
}

TEST_F (Naming, ChangeNameReplacesThePendingPresetWithOneInTheCurrentPresetsFolder)
{
    const auto pathOf = [this] (const juce::String& name) { return home.userPresetDirectory().getChildFile (name).getFullPathName(); };
    menu.currentPreset = at (Menu::User, { "Keys", "Organ.preset" });
    menu.changeName ("Warm Pad");
    const auto pending = menu.pendingPreset;
    EXPECT_TRUE (pending.hasType ("preset"));
    EXPECT_FALSE (pending.getParent().isValid());
    EXPECT_EQ (pending["name"].toString(), "Warm Pad");
   #if JUCE_MAC
    EXPECT_EQ (pending["path"].toString(), pathOf ("Keys/warm pad.preset"));
   #else
    // Case-sensitive file systems: "path" names exactly the file the save will write.
    EXPECT_EQ (pending["path"].toString(), pathOf ("Keys/Warm Pad.preset"));
    auto placed = presetNode ("Warm Pad.preset");
    at (Menu::User, { "Keys" }).appendChild (placed, nullptr);
    EXPECT_EQ (menu.getPresetFile (placed).getFullPathName(), pending["path"].toString());
   #endif

    menu.changeName ({});
    EXPECT_EQ (pending["name"].toString(), "Warm Pad");   // replaced, not changed
    EXPECT_EQ (menu.pendingPreset["name"].toString(), "");
    EXPECT_EQ (menu.pendingPreset["path"].toString(), pathOf ("Keys/.preset"));
    menu.currentPreset = at (Menu::Factory, { "Bass", "Deep.preset" });
    menu.changeName ("Other");
    EXPECT_EQ (menu.pendingPreset["path"].toString(), home.factoryDirectory().getChildFile ("Bass/Other.preset").getFullPathName());
    menu.currentPreset = {};
    menu.changeName ("Fresh");
    EXPECT_EQ (menu.pendingPreset["path"].toString(), home.userPresetDirectory().getSiblingFile ("Fresh.preset").getFullPathName());
}

TEST_F (Naming, FindChildWithPathSearchesLeavesDepthFirstAndExactly)
{
    const auto low = home.factoryDirectory().getChildFile ("Bass/Sub/Low.preset").getFullPathName();
    EXPECT_EQ (Menu::findChildWithPath (menu.filesTree, low), at (Menu::Factory, { "Bass", "Sub", "Low.preset" }));

    juce::ValueTree tree ("Files"), folder ("presets"), invalid;
    auto first = presetNode ("First.preset").setProperty ("path", "/p/Same.preset", nullptr);
    folder.appendChild (first, nullptr);
    folder.setProperty ("path", "/p/Folder", nullptr);   // a folder carrying a "path" is never matched itself
    tree.appendChild (folder, nullptr);
    tree.appendChild (presetNode ("Second.preset").setProperty ("path", "/p/Same.preset", nullptr), nullptr);
    tree.appendChild (presetNode ("NoPath.preset"), nullptr);
    tree.appendChild (juce::ValueTree ("presets"), nullptr);

    EXPECT_EQ (Menu::findChildWithPath (tree, "/p/Same.preset"), first);
    for (const auto* path : { "/p/same.preset", "/p/Folder", "", "/p/Missing.preset" })
        EXPECT_FALSE (Menu::findChildWithPath (tree, path).isValid()) << path;
    EXPECT_FALSE (Menu::findChildWithPath (invalid, "/p/Same.preset").isValid());
}
