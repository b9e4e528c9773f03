#include "tests/unit/StoreTestSupport.h"

using namespace storetest;

namespace
{
    /** A library on disk: Factory/Bass/Deep.preset, Factory/Bass/Sub/Low.preset, Artists/Guest/A/B/C/Solo.preset,
        User/Lead.preset and User/Keys/Organ.preset. */
    struct Naming : StoreTest
    {
        void SetUp() override
        {
            writeFile (home.factoryDirectory().getChildFile ("Bass/Deep.preset"));
            writeFile (home.factoryDirectory().getChildFile ("Bass/Sub/Low.preset"));
            writeFile (home.artistDirectory().getChildFile ("Guest/A/B/C/Solo.preset"));
            writeFile (home.userPresetDirectory().getChildFile ("Lead.preset"));
            writeFile (home.userPresetDirectory().getChildFile ("Keys/Organ.preset"));
            menu.loadPresets();
        }

        juce::ValueTree root (quenwick::Menu::Category c) { return menu.getCategoryTree (c); }
        juce::ValueTree child (juce::ValueTree node, const char* name) { return node.getChildWithProperty ("name", name); }

        juce::ValueTree deep()  { return child (child (root (quenwick::Menu::Factory), "Bass"), "Deep.preset"); }
        juce::ValueTree solo()  { return child (child (child (child (child (root (quenwick::Menu::Artists), "Guest"), "A"), "B"), "C"), "Solo.preset"); }
        juce::ValueTree organ() { return child (child (root (quenwick::Menu::User), "Keys"), "Organ.preset"); }
    };
}

TEST_F (Naming, PresetNodesMapToTheirFilesInEveryCategory)
{
    ASSERT_TRUE (deep().isValid());
    EXPECT_EQ (menu.getPresetFile (deep()), home.factoryDirectory().getChildFile ("Bass/Deep.preset"));
    EXPECT_EQ (menu.getPresetFile (solo()), home.applicationDirectory().getChildFile ("Presets/Artists/Guest/A/B/C/Solo.preset"));
    EXPECT_EQ (menu.getPresetFile (child (root (quenwick::Menu::User), "Lead.preset")), home.userPresetDirectory().getChildFile ("Lead.preset"));

    // The file comes from the names, never from "path".
    auto moved = deep();
    moved.setProperty ("path", "/somewhere/else.preset", nullptr);
    EXPECT_EQ (menu.getPresetFile (moved), home.factoryDirectory().getChildFile ("Bass/Deep.preset"));
}

TEST_F (Naming, FoldersAndNamesWithoutThePresetExtensionMapToASiblingPresetFile)
{
    EXPECT_EQ (menu.getPresetFile (child (root (quenwick::Menu::Factory), "Bass")), home.factoryDirectory().getChildFile ("Bass.preset"));

    auto keys = child (root (quenwick::Menu::User), "Keys");
    auto mix = presetNode ("Mix.old");
    keys.appendChild (mix, nullptr);
    EXPECT_EQ (menu.getPresetFile (mix), home.userPresetDirectory().getChildFile ("Keys/Mix.preset"));

    auto upper = presetNode ("LOUD.PRESET");
    keys.appendChild (upper, nullptr);
    EXPECT_EQ (menu.getPresetFile (upper), home.userPresetDirectory().getChildFile ("Keys/LOUD.PRESET"));

    auto plain = presetNode ("Plain");
    keys.appendChild (plain, nullptr);
    EXPECT_EQ (menu.getPresetFile (plain), home.userPresetDirectory().getChildFile ("Keys/Plain.preset"));
}

TEST_F (Naming, RootsDetachedAndInvalidNodesFallBackBesideTheUserDirectory)
{
    const auto besideUser = home.userPresetDirectory().getSiblingFile ("User.preset");

    EXPECT_EQ (menu.getPresetFile (root (quenwick::Menu::Factory)), besideUser);
    EXPECT_EQ (menu.getPresetFile (root (quenwick::Menu::User)), besideUser);
    EXPECT_EQ (menu.getPresetFile ({}), besideUser);
    EXPECT_EQ (menu.getPresetFile (presetNode ("Lonely.preset")), besideUser);

    // Text after "user" (any case) in a detached node's name is appended to the user directory's path.
    EXPECT_EQ (menu.getPresetFile (presetNode ("superUSER/x.preset")), home.userPresetDirectory().getChildFile ("x.preset"));
}

TEST_F (Naming, CategoriesFollowTheRootANodeLiesBelow)
{
    EXPECT_EQ (menu.getCategoryOfValueTree (deep()), quenwick::Menu::Factory);
    EXPECT_EQ (menu.getCategoryOfValueTree (solo()), quenwick::Menu::Artists);
    EXPECT_EQ (menu.getCategoryOfValueTree (organ()), quenwick::Menu::User);

    EXPECT_EQ (menu.getCategoryOfValueTree (root (quenwick::Menu::Factory)), quenwick::Menu::User);
    EXPECT_EQ (menu.getCategoryOfValueTree (root (quenwick::Menu::Artists)), quenwick::Menu::User);
    EXPECT_EQ (menu.getCategoryOfValueTree (menu.filesTree.getChildWithName ("Factory")), quenwick::Menu::User);
    EXPECT_EQ (menu.getCategoryOfValueTree (presetNode ("Detached.preset")), quenwick::Menu::User);
    EXPECT_EQ (menu.getCategoryOfValueTree ({}), quenwick::Menu::User);
}

TEST_F (Naming, ChangeNameTargetsTheCurrentPresetsFolderWithTheTypedName)
{
    menu.currentPreset = organ();
    menu.changeName ("Warm Pad");

    const auto pending = menu.pendingPreset;
    EXPECT_TRUE (pending.hasType ("preset"));
    EXPECT_FALSE (pending.getParent().isValid());
    EXPECT_EQ (pending["name"].toString(), "Warm Pad");
   #if JUCE_MAC
    EXPECT_EQ (pending["path"].toString(), home.userPresetDirectory().getChildFile ("Keys/warm pad.preset").getFullPathName());
   #else
    // Case-sensitive file systems: "path" must name the file the save will write.
    EXPECT_EQ (pending["path"].toString(), home.userPresetDirectory().getChildFile ("Keys/Warm Pad.preset").getFullPathName());
    auto placed = presetNode (pending["name"].toString() + ".preset");
    child (root (quenwick::Menu::User), "Keys").appendChild (placed, nullptr);
    EXPECT_EQ (menu.getPresetFile (placed).getFullPathName(), pending["path"].toString());
   #endif

    // The previous pending node is replaced, not changed.
    menu.currentPreset = deep();
    menu.changeName ("Other");
    EXPECT_EQ (pending["name"].toString(), "Warm Pad");
    EXPECT_EQ (menu.pendingPreset["path"].toString(), home.factoryDirectory().getChildFile ("Bass/Other.preset").getFullPathName());
}

TEST_F (Naming, ChangeNameWithAnEmptyNameOrNoCurrentPreset)
{
    menu.currentPreset = organ();
    menu.changeName ({});
    EXPECT_EQ (menu.pendingPreset["name"].toString(), "");
    EXPECT_EQ (menu.pendingPreset["path"].toString(), home.userPresetDirectory().getChildFile ("Keys/.preset").getFullPathName());

    menu.currentPreset = {};
    menu.changeName ("Fresh");
    EXPECT_EQ (menu.pendingPreset["path"].toString(),
               home.userPresetDirectory().getParentDirectory().getChildFile ("Fresh.preset").getFullPathName());
}

TEST (FindChildWithPath, SearchesLeavesDepthFirstAndExactly)
{
    juce::ValueTree tree ("Files");
    juce::ValueTree folder ("presets");
    auto first = presetNode ("First.preset");
    first.setProperty ("path", "/p/Same.preset", nullptr);
    folder.appendChild (first, nullptr);
    tree.appendChild (folder, nullptr);

    auto second = presetNode ("Second.preset");
    second.setProperty ("path", "/p/Same.preset", nullptr);
    tree.appendChild (second, nullptr);

    auto noPath = presetNode ("NoPath.preset");
    tree.appendChild (noPath, nullptr);
    tree.appendChild (juce::ValueTree ("presets"), nullptr); // an empty folder

    // A folder carrying a "path" is never matched itself.
    folder.setProperty ("path", "/p/Folder", nullptr);

    EXPECT_EQ (quenwick::Menu::findChildWithPath (tree, "/p/Same.preset"), first);
    EXPECT_FALSE (quenwick::Menu::findChildWithPath (tree, "/p/same.preset").isValid());
    EXPECT_FALSE (quenwick::Menu::findChildWithPath (tree, "/p/Folder").isValid());
    EXPECT_FALSE (quenwick::Menu::findChildWithPath (tree, {}).isValid());
    EXPECT_FALSE (quenwick::Menu::findChildWithPath (tree, "/p/Missing.preset").isValid());

    juce::ValueTree invalid;
    EXPECT_FALSE (quenwick::Menu::findChildWithPath (invalid, "/p/Same.preset").isValid());
}

TEST_F (Naming, FindChildWithPathFindsScannedPresetsByTheirFilePath)
{
    const auto path = home.factoryDirectory().getChildFile ("Bass/Sub/Low.preset").getFullPathName();
    const auto found = quenwick::Menu::findChildWithPath (menu.filesTree, path);
    ASSERT_TRUE (found.isValid());
    EXPECT_EQ (found["name"].toString(), "Low.preset");
    EXPECT_EQ (menu.getPresetFile (found).getFullPathName(), path);
}
