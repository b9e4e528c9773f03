#include "presets/menu.h"

#include "presets/safeFile.h"
#include "presets/safeXml.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
    using namespace quenwick::PresetTree;

    constexpr const char* cacheFileName = "files.xml";

    /** A preset holds a dozen parameters in well under a kilobyte; anything this large is no preset. */
    constexpr size_t maxPresetFileSize = 1024 * 1024;

    /** files.xml of 10,000 presets is about 2 MiB; beyond this it is not ours. */
    constexpr size_t maxCacheFileSize = 64 * 1024 * 1024;

    /** Bounds on one scan, whatever the folders hold (links may reach one folder many times
        or lead to the whole file system): a start stays within about a second, and files.xml
        within what the next start reads. Far beyond any real library; the rest is left out. */
    constexpr int maxScanDepth = 64;
    constexpr size_t maxScanEntries = 150000;
    constexpr size_t maxListedBytes = 24 * 1024 * 1024;

    // files.xml nests a start tag for the root, one for the category and one for each folder
    // level, and holds an element for each entry listed and seven more; the safe reader must
    // take every files.xml we write.
    static_assert (maxScanDepth + 3 < quenwick::maxXmlNesting && maxScanEntries + 7 <= quenwick::maxXmlElements);
    static_assert (maxListedBytes + 64 * 1024 < maxCacheFileSize);

    /** Reads a regular file whole, refusing anything else (a FIFO would block the caller) and
        anything larger than the limit. False when the bytes could not all be read. */
    bool readRegularFile (const juce::File& file, size_t maxBytes, juce::MemoryBlock& result)
    {
        if (file.getFullPathName().isEmpty())
            return false;

        // Non-blocking open so a FIFO never waits for a writer; the type is checked on the
        // open descriptor, so the file cannot be swapped between check and read.
        const int fd = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);

        if (fd < 0)
            return false;

        bool ok = false;
        struct stat info;

        if (::fstat (fd, &info) == 0 && S_ISREG (info.st_mode) && info.st_size >= 0
            && (size_t) info.st_size <= maxBytes)
        {
            const auto size = (size_t) info.st_size;
            juce::MemoryBlock bytes (size, false);
            size_t done = 0;

            while (done < size)
            {
                const auto n = ::read (fd, static_cast<char*> (bytes.getData()) + done, size - done);

                if (n < 0 && errno == EINTR)
                    continue;

                if (n <= 0)
                    break;

                done += (size_t) n;
            }

            // A file that changed size under us reads short (or long): not a whole preset.
            char extra = 0;
            ok = done == size && ::read (fd, &extra, 1) == 0;

            if (ok)
                result = std::move (bytes);
        }

        ::close (fd);
        return ok;
    }

    /** The root element's tag of files.xml text, or nothing when the text is not XML that
        is safe to read. Reading the start tag alone is enough to learn the tag, but only the
        whole text tells whether the document is well-formed. */
    juce::String rootTagOf (const juce::MemoryBlock& text, bool startTagOnly)
    {
        const auto root = quenwick::parseXmlSafely (static_cast<const char*> (text.getData()), text.getSize(), startTagOnly);
        return root != nullptr ? root->getTagName() : juce::String();
    }

    /** files.xml's text for the tree, as JUCE writes it. */
    juce::MemoryBlock cacheTextOf (const juce::ValueTree& tree)
    {
        juce::MemoryOutputStream text;

        if (auto xml = tree.createXml())
            xml->writeTo (text, juce::XmlElement::TextFormat());

        return text.getMemoryBlock();
    }

    /** True for a name JUCE's hasFileExtension ("preset") accepts: ".preset", any letter case. */
    bool hasPresetExtension (const char* name)
    {
        const auto length = std::strlen (name);
        return length >= 7 && strncasecmp (name + length - 7, ".preset", 7) == 0;
    }

    /** The one sort rule of preset nodes works on this key of a name: spaces do not count. */
    juce::String sortKeyOf (const juce::String& name)
    {
        return name.replace (" ", "");
    }

    /** Natural order of two keys (runs of digits by value), letter case ignored. */
    int compareSortKeys (const juce::String& first, const juce::String& second)
    {
        return first.compareNatural (second, false);
    }

    /** One entry of a scanned folder, with its sort key made once. */
    struct ScanEntry
    {
        juce::File file;
        juce::String name, key;
        bool isPreset = false;
    };

    /** The scan's order: the comparator's rule (natural, case-insensitive, blind to spaces),
        with names that rule calls equal then ordered by their exact text and folders before
        presets. Entry names are unique within a folder, so the order is total: one disk always
        gives one tree, and no pre-sort of the listing is needed. */
    bool scanOrderLess (const ScanEntry& first, const ScanEntry& second)
    {
        if (const auto c = compareSortKeys (first.key, second.key); c != 0)
            return c < 0;

        if (const auto c = first.name.compareNatural (second.name, true); c != 0)
            return c < 0;

        if (const auto c = first.name.compare (second.name); c != 0)
            return c < 0;

        return ! first.isPreset && second.isPreset;
    }

    /** The bytes a character takes in an XML attribute value, exactly as JUCE's writer escapes
        it: every character outside its small set of plain ASCII becomes a reference, any
        non-ASCII one a numeric reference (a Cyrillic letter: 2 bytes in, 7 out). */
    size_t escapedSizeOf (juce::juce_wchar character)
    {
        const auto c = (juce::uint32) character;

        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || (c < 128 && c != 0 && std::strchr (" .,;:-()_+=?!$#@[]/|*%~{}'\\", (int) c) != nullptr))
            return 1;

        switch (c)
        {
            case '&':   return 5;   // &amp;
            case '"':   return 6;   // &quot;
            case '<':
            case '>':   return 4;   // &lt; &gt;
            default:    break;
        }

        size_t digits = 1;

        for (auto rest = c; rest >= 10; rest /= 10)
            ++digits;

        return 3 + digits;   // &#N;
    }

    size_t escapedSizeOf (const juce::String& text)
    {
        size_t size = 0;

        for (auto c = text.getCharPointer(); ! c.isEmpty();)
            size += escapedSizeOf (c.getAndAdvance());

        return size;
    }

    /** What one scan has used up, shared by every folder it visits. */
    struct ScanContext
    {
        std::set<std::pair<dev_t, ino_t>> visited;  // folders by identity, links resolved
        size_t entriesLeft = maxScanEntries;
        size_t bytesLeft = maxListedBytes;
        int depth = 0;

        /** Takes the room a node of this name and path needs in files.xml at most (tags,
            indentation, a wrapped line, escapes); false when there is none left. */
        bool takeRoomFor (const juce::String& name, const juce::String& path)
        {
            const auto needed = 64 + (size_t) depth * 4 + escapedSizeOf (name) + escapedSizeOf (path);

            if (needed > bytesLeft)
            {
                bytesLeft = 0;
                return false;
            }

            bytesLeft -= needed;
            return true;
        }
    };

    juce::ValueTree scanDirectory (const juce::File& directory, ScanContext& context)
    {
        juce::ValueTree node (folderType);
        node.setProperty (nameProperty, directory.getFileName(), nullptr);

        // A folder met again (through a link, or a link back up the tree) is listed empty:
        // its presets are already in the tree once.
        struct stat info;

        if (context.depth >= maxScanDepth
            || ::stat (directory.getFullPathName().toRawUTF8(), &info) != 0
            || ! S_ISDIR (info.st_mode)
            || ! context.visited.emplace (info.st_dev, info.st_ino).second)
            return node;

        std::vector<ScanEntry> entries;
        const auto folderPath = juce::File::addTrailingSeparator (directory.getFullPathName());

        // readdir tells a plain file or folder by its entry alone, so only links (and file
        // systems that do not say) cost a look at what they point to.
        if (auto* listing = ::opendir (folderPath.toRawUTF8()))
        {
            while (auto* entry = ::readdir (listing))
            {
                const char* name = entry->d_name;

                if (std::strcmp (name, ".") == 0 || std::strcmp (name, "..") == 0)
                    continue;

                if (context.entriesLeft == 0)
                    break;

                --context.entriesLeft;
                bool isFolder = entry->d_type == DT_DIR;

                if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
                {
                    struct stat target;
                    isFolder = ::fstatat (::dirfd (listing), name, &target, 0) == 0 && S_ISDIR (target.st_mode);
                }

                if (! isFolder && ! hasPresetExtension (name))
                    continue;

                auto nameText = juce::String (juce::CharPointer_UTF8 (name));
                auto file = juce::File::createFileWithoutCheckingPath (folderPath + nameText);
                auto key = sortKeyOf (nameText);
                entries.push_back ({ std::move (file), std::move (nameText), std::move (key), ! isFolder });
            }

            ::closedir (listing);
        }

        // A merge sort stays within the range whatever names the disk holds.
        std::stable_sort (entries.begin(), entries.end(), scanOrderLess);

        ++context.depth;

        for (const auto& entry : entries)
        {
            const auto path = entry.file.getFullPathName();

            if (! context.takeRoomFor (entry.name, entry.isPreset ? path : juce::String()))
                break;

            if (! entry.isPreset)
            {
                node.appendChild (scanDirectory (entry.file, context), nullptr);
                continue;
            }

            juce::ValueTree preset (presetType);
            preset.setProperty (nameProperty, entry.name, nullptr);
            preset.setProperty (pathProperty, path, nullptr);
            node.appendChild (preset, nullptr);
        }

        --context.depth;
        return node;
    }
}

namespace quenwick
{
Menu::Menu (const juce::String& code,
            juce::AudioProcessor* owner,
            juce::File applicationDir,
            juce::File userPresetDir,
            const juce::String& defaultName,
            juce::AudioProcessorValueTreeState* state)
    : productCode (code),
      processor (owner),
      applicationDirectory (std::move (applicationDir)),
      userPresetDirectory (std::move (userPresetDir)),
      defaultPresetName (defaultName),
      parameterState (state)
{
}

Menu::~Menu() = default;

//==============================================================================
juce::File Menu::getDirectory (DirectoryType type)
{
    juce::File result;

    switch (type)
    {
        case ApplicationDirectory:
            result = applicationDirectory;
            break;

        case FactoryPresets:
        case ArtistPresets:
            // Without an application directory there is no place for its sub-folders; a child
            // of the empty path would land in the file system's root.
            if (applicationDirectory.getFullPathName().isEmpty())
                return {};

            if (! applicationDirectory.exists())
                applicationDirectory.createDirectory();

            result = applicationDirectory.getChildFile ("Presets")
                                         .getChildFile (type == FactoryPresets ? "Factory" : "Artists");
            break;

        case UserPresets:
            result = userPresetDirectory;
            break;

        default:
            break;
    }

    if (result.getFullPathName().isNotEmpty() && ! result.exists())
        result.createDirectory();

    return result;
}

void Menu::loadPresets()
{
    const auto applicationDir = getDirectory (ApplicationDirectory);
    const auto cacheFile = applicationDir.getFullPathName().isNotEmpty() ? applicationDir.getChildFile (cacheFileName)
                                                                         : juce::File();

    // Only the cache's root tag outlives the rebuild below; its bytes also tell whether the
    // rebuilt tree needs writing at all (many instances start over one unchanged cache).
    juce::MemoryBlock cached;
    const bool hasCache = cacheFile.existsAsFile() && readRegularFile (cacheFile, maxCacheFileSize, cached);
    const auto cachedTag = hasCache ? rootTagOf (cached, true) : juce::String();

    filesTree = juce::ValueTree (cachedTag.isNotEmpty() ? juce::Identifier (cachedTag) : filesType);
    filesTree.copyPropertiesAndChildrenFrom (getCurrentDirectoriesValueTree(), nullptr);

    if (auto defaultTree = getDefaultTree(); defaultTree.isValid())
    {
        auto factoryRoot = getCategoryTree (Factory);
        factoryRoot.moveChild (factoryRoot.indexOf (defaultTree), 0, nullptr);
    }

    if (applicationDir.getFullPathName().isEmpty())
        return;

    auto text = cacheTextOf (filesTree);

    // Text equal to what we write is whole XML with that root: nothing to check, nothing to write.
    if (hasCache && text == cached)
        return;

    // A foreign tag survives only from a cache that is whole XML.
    if (cachedTag.isNotEmpty() && ! filesTree.hasType (filesType) && rootTagOf (cached, false).isEmpty())
    {
        juce::ValueTree retyped (filesType);
        retyped.copyPropertiesAndChildrenFrom (filesTree, nullptr);
        filesTree = retyped;
        text = cacheTextOf (filesTree);
    }

    replaceFileContent (cacheFile, text.getData(), text.getSize());
}

void Menu::savePresets()
{
    const auto applicationDir = getDirectory (ApplicationDirectory);

    if (applicationDir.getFullPathName().isEmpty())
        return;

    const auto cacheFile = applicationDir.getChildFile (cacheFileName);

    // A missing cache starts the tree; the write below creates the file whole, never empty
    // first. A tree that already lists presets is kept: a cache that cannot be created
    // (read-only folder, a directory of that name) must not hide the presets on disk.
    if (! cacheFile.existsAsFile() && (! filesTree.isValid() || filesTree.getNumChildren() == 0))
        filesTree = juce::ValueTree (filesType);

    if (filesTree.isValid())
    {
        const auto text = cacheTextOf (filesTree);
        replaceFileContent (cacheFile, text.getData(), text.getSize());
    }
}

juce::ValueTree Menu::getCurrentDirectoriesValueTree()
{
    juce::ValueTree result (filesType);

    const std::pair<const char*, DirectoryType> categories[] = { { "Factory", FactoryPresets },
                                                                 { "Artists", ArtistPresets },
                                                                 { "User", UserPresets } };

    // One scan over the three categories: every folder is listed once, within one budget.
    ScanContext context;

    for (const auto& [name, type] : categories)
    {
        juce::ValueTree category (name);
        category.appendChild (scanDirectory (getDirectory (type), context), nullptr);
        result.appendChild (category, nullptr);
    }

    return result;
}

juce::ValueTree Menu::getFileTreeFromDirectory (const juce::File& directory)
{
    ScanContext context;
    return scanDirectory (directory, context);
}

juce::ValueTree Menu::getCategoryTree (Category category)
{
    const char* type = category == User ? "User" : category == Artists ? "Artists" : "Factory";
    return filesTree.getChildWithName (type).getChild (0);
}

juce::ValueTree Menu::getDefaultTree()
{
    return getCategoryTree (Factory).getChildWithProperty (nameProperty, defaultPresetName + ".preset");
}

//==============================================================================
juce::File Menu::getPresetFile (juce::ValueTree node)
{
    auto relative = "/" + node[nameProperty].toString();

    for (auto parent = node.getParent(); parent.isValid() && parent.hasType (folderType); parent = parent.getParent())
        relative = "/" + parent[nameProperty].toString() + relative;

    const auto category = getCategoryOfValueTree (node);
    const auto type = category == Factory ? FactoryPresets : category == Artists ? ArtistPresets : UserPresets;

    relative = relative.fromFirstOccurrenceOf (getDirectory (type).getFileNameWithoutExtension(), false, true);

    auto result = juce::File (getDirectory (type).getFullPathName() + relative);

    if (! result.hasFileExtension ("preset"))
    {
        const auto name = result.getFileName();
        const auto base = name.containsChar ('.') ? name.upToLastOccurrenceOf (".", false, false) : name;
        result = result.getSiblingFile (base + ".preset");
    }

    return result;
}

Menu::Category Menu::getCategoryOfValueTree (juce::ValueTree node)
{
    if (node.isAChildOf (getCategoryTree (Factory)))
        return Factory;

    if (node.isAChildOf (getCategoryTree (Artists)))
        return Artists;

    return User;
}

void Menu::loadPresetFile (const juce::File& file)
{
    juce::MemoryBlock bytes;

    if (! readRegularFile (file, maxPresetFileSize, bytes))
        return;

    auto* owner = dynamic_cast<MenuAudioProcessor*> (processor);

    if (owner == nullptr)
        return;

    // One lock around the restore and the "path" write: a host saving on another thread
    // sees the state before the load or after it with its path, never in between.
    const juce::ScopedLock sl (owner->stateLock);
    auto& state = owner->getProcessorState();
    const auto before = state.state;

    owner->setStateInformation (bytes.getData(), (int) bytes.getSize());

    // Bytes that hold no tree leave the state as it was; it must not claim this file then.
    if (state.state.isValid() && state.state != before)
        state.state.setProperty (pathProperty, file.getFullPathName(), nullptr);
}

void Menu::loadPreset (const juce::ValueTree& node)
{
    currentPreset = node;
    pendingPreset = {};

    const auto file = getPresetFile (currentPreset);

    if (file.existsAsFile())
        loadPresetFile (file);
}

void Menu::loadDefaultPreset()
{
    pendingPreset = {};

    if (const auto factoryRoot = getCategoryTree (Factory); factoryRoot.getNumChildren() > 0)
    {
        if (const auto defaultTree = getDefaultTree(); defaultTree.isValid())
            loadPreset (defaultTree);

        return;
    }

    auto userRoot = getCategoryTree (User);

    if (userRoot.getNumChildren() > 0)
    {
        currentPreset = userRoot.getChild (0);
        return;
    }

    juce::ValueTree placeholder (presetType);
    placeholder.setProperty (nameProperty, placeholderName, nullptr);

    if (userRoot.isValid())
        userRoot.appendChild (placeholder, nullptr);

    currentPreset = placeholder;
}

void Menu::changeName (const juce::String& newName)
{
    const auto folder = getPresetFile (currentPreset).getParentDirectory();

    // On a case-sensitive file system the file must carry the name as typed, or the save
    // would write a file other than the one "path" names.
   #if JUCE_MAC
    const auto fileName = newName.toLowerCase();
   #else
    const auto& fileName = newName;
   #endif

    const auto target = folder.getChildFile (fileName + ".preset");

    juce::ValueTree pending (presetType);
    pending.setProperty (nameProperty, newName, nullptr);
    pending.setProperty (pathProperty, target.getFullPathName(), nullptr);
    pendingPreset = pending;
}

juce::ValueTree Menu::findChildWithPath (juce::ValueTree& tree, const juce::String& path)
{
    if (path.isEmpty())
        return {};

    for (auto child : tree)
    {
        if (child.getNumChildren() > 0)
        {
            if (auto found = findChildWithPath (child, path); found.isValid())
                return found;
        }
        else if (child[pathProperty].toString() == path)
        {
            return child;
        }
    }

    return {};
}
} // namespace quenwick

//==============================================================================
int comparator::compareElements (const juce::ValueTree& first, const juce::ValueTree& second) const
{
    return compareSortKeys (sortKeyOf (first["name"].toString()), sortKeyOf (second["name"].toString()));
}
