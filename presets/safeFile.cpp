#include "presets/safeFile.h"

namespace quenwick
{
bool replaceFileContent (const juce::File& target, const void* data, size_t size)
{
    // An empty block would delete the target (juce::File::replaceWithData does that on
    // 0 bytes).
    if (data == nullptr || size == 0 || ! juce::File::isAbsolutePath (target.getFullPathName()) || target.isDirectory())
        return false;

    const auto folder = target.getParentDirectory();

    if (! folder.isDirectory() && ! folder.createDirectory().wasOk())
        return false;

    juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream out (temporary.getFile(), 8192);

        if (! out.openedOk() || ! out.write (data, size))
            return false;

        out.flush();

        if (! out.getStatus().wasOk())
            return false;
    }

    // The stream does not report a short write when it empties its buffer (a full disk,
    // a file size limit): compare what actually landed before it replaces the target.
    juce::MemoryBlock written;

    if (! temporary.getFile().loadFileAsData (written) || written != juce::MemoryBlock (data, size))
        return false;

    return temporary.overwriteTargetFileWithTemporary();
}
}
