#include "processor/StateBytes.h"

#include "presets/safeXml.h"
#include "processor/Parameters.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace
{
    // JUCE's var type markers in its binary form.
    enum VarMarker : juce::uint8
    {
        markerInt = 1, markerBoolTrue = 2, markerBoolFalse = 3, markerDouble = 4,
        markerString = 5, markerInt64 = 6, markerArray = 7, markerBinary = 8
    };

    /** Mirrors JUCE's stream reads: reading past the end yields zeros and consumes nothing. */
    class BoundedReader
    {
    public:
        BoundedReader (const juce::uint8* d, size_t s) : data (d), size (s) {}

        /** Returns true when a tree was read, false when the type was empty (or on refusal). */
        bool readTree (int depth)
        {
            if (depth > maxDepth)
                return refuse();

            if (readName() == 0)
                return false; // no type: JUCE reads no tree here

            const int numProperties = readCompressedInt();

            if (numProperties < 0)
                return true;

            if ((size_t) numProperties > remaining())
                return refuse();

            for (int i = 0; i < numProperties && ok; ++i)
                if (readName() > 0)
                    readVar (depth + 1);

            const int numChildren = readCompressedInt();

            if (numChildren > 0 && (size_t) numChildren > remaining())
                return refuse();

            // An invalid child ends JUCE's loop.
            for (int i = 0; i < numChildren && ok; ++i)
                if (! readTree (depth + 1))
                    break;

            return ok;
        }

        bool ok = true;

    private:
        static constexpr int maxDepth = 32;

        size_t remaining() const noexcept     { return size - position; }
        bool refuse() noexcept                { ok = false; return false; }

        juce::uint8 readByte() noexcept       { return position < size ? data[position++] : 0; }
        void skip (size_t n) noexcept         { position += juce::jmin (n, remaining()); }

        /** Returns the name's length in bytes, without its terminator. A name that is not
            well-formed UTF-8 is refused: JUCE writes it back with a length counted in decoded
            characters, which misaligns everything after it in the next save. */
        size_t readName() noexcept
        {
            const auto start = position;

            while (position < size && data[position] != 0)
                ++position;

            const auto length = position - start;
            skip (1);

            if (! quenwick::isWellFormedUtf8 (reinterpret_cast<const char*> (data + start), length))
                refuse();

            return length;
        }

        int readCompressedInt() noexcept
        {
            const auto sizeByte = readByte();

            if (sizeByte == 0)
                return 0;

            const int numBytes = sizeByte & 0x7f;

            if (numBytes > 4)
                return 0;

            if ((size_t) numBytes > remaining())
            {
                skip ((size_t) numBytes);
                return 0;
            }

            juce::uint32 value = 0;

            for (int i = 0; i < numBytes; ++i)
                value |= (juce::uint32) readByte() << (8 * i);

            const auto num = (int) value;
            return (sizeByte & 0x80) != 0 ? -num : num;
        }

        void readVar (int depth)
        {
            if (depth > maxDepth)
            {
                refuse();
                return;
            }

            const int numBytes = readCompressedInt();

            if (numBytes <= 0)
                return;

            switch (readByte())
            {
                case markerInt:         skip (4); break;
                case markerInt64:       skip (8); break;
                case markerDouble:      skip (8); break;
                case markerBoolTrue:
                case markerBoolFalse:   break;

                case markerBinary:
                    // JUCE allocates the stated size before reading.
                    if ((size_t) (numBytes - 1) > remaining())
                        refuse();
                    else
                        skip ((size_t) (numBytes - 1));
                    break;

                case markerArray:
                {
                    const int count = readCompressedInt();

                    if (count > 0 && (size_t) count > remaining())
                    {
                        refuse();
                        break;
                    }

                    for (int i = 0; i < count && ok; ++i)
                        readVar (depth + 1);

                    break;
                }

                case markerString:
                default:
                    skip ((size_t) (numBytes - 1));
                    break;
            }
        }

        const juce::uint8* data;
        size_t size;
        size_t position = 0;
    };
}

bool isBoundedValueTreeData (const void* data, size_t size)
{
    if (data == nullptr || size == 0)
        return true;

    BoundedReader reader (static_cast<const juce::uint8*> (data), size);
    reader.readTree (0);
    return reader.ok;
}

void tidyParameterChildren (juce::ValueTree& state)
{
    static const juce::Identifier id ("id"), value ("value");
    std::set<juce::String> bound;

    for (int i = 0; i < state.getNumChildren(); ++i)
    {
        auto child = state.getChild (i);
        const auto childId = child[id].toString();
        const auto namesParameter = std::any_of (std::begin (parameterTable), std::end (parameterTable),
                                                 [&childId] (const auto& spec) { return childId == spec.id; });

        // JUCE binds a parameter to the last child carrying its id; the first one counts.
        if (namesParameter && ! bound.insert (childId).second)
        {
            state.removeChild (i--, nullptr);
            continue;
        }

        if (child.hasProperty (value) && ! std::isfinite ((double) child[value]))
            child.removeProperty (value, nullptr);
    }
}

namespace
{
    constexpr juce::uint32 legacyMagic = 0x21324356; // "VC2!" read as a little-endian int

    /** A state we would read is a few hundred bytes, and presets are read up to 1 MiB. Past
        that, JUCE's reader can spend seconds on text crafted to make it search back through
        every open element at each stray end tag. */
    constexpr size_t maxLegacyTextSize = 1024 * 1024;

    /** What the bytes are as JUCE's legacy container. */
    struct LegacyContainer
    {
        bool refused = false;       ///< its text is unsafe to parse
        std::unique_ptr<juce::XmlElement> root;
    };

    LegacyContainer readLegacyContainer (const char* bytes, int size)
    {
        LegacyContainer result;

        if (bytes == nullptr || size < 9 || juce::ByteOrder::littleEndianInt (bytes) != legacyMagic)
            return result;

        const auto length = (int) juce::ByteOrder::littleEndianInt (bytes + 4);

        if (length <= 0)
            return result;

        // The text ends at the first zero byte, as a C string would.
        const auto* text = bytes + 8;
        const auto available = (size_t) juce::jmin (length, size - 8);
        const auto textSize = std::find (text, text + juce::jmin (available, maxLegacyTextSize + 1), '\0') - text;
        result.refused = (size_t) textSize > maxLegacyTextSize || ! quenwick::isSafeXmlText (text, available);

        if (! result.refused)
            result.root = quenwick::parseXmlSafely (text, available);

        return result;
    }
}

DecodedState decodeState (const void* data, int sizeInBytes)
{
    const auto* bytes = static_cast<const char*> (data);
    const int size = bytes != nullptr ? juce::jmax (0, sizeInBytes) : 0;

    DecodedState decoded;
    auto legacy = readLegacyContainer (bytes, size);

    // A container whose text is unsafe to parse holds nothing we can use; read as a binary
    // tree it would only reset every parameter.
    if (legacy.refused)
        return decoded;

    decoded.legacy = std::move (legacy.root);

    if (decoded.legacy != nullptr)
        return decoded;

    // Bytes that start with the container's magic yet hold no container are no state we
    // wrote. Read as a binary tree they would give a tree whose type starts with the magic,
    // and its next save could read back as a container holding other values.
    if (size >= 4 && juce::ByteOrder::littleEndianInt (bytes) == legacyMagic)
        return decoded;

    // A private copy: the host's bytes are not kept after the call.
    const juce::MemoryBlock copy (bytes, (size_t) size);

    if (isBoundedValueTreeData (copy.getData(), copy.getSize()))
    {
        juce::MemoryInputStream in (copy, false);
        decoded.tree = juce::ValueTree::readFromStream (in);
        tidyParameterChildren (decoded.tree);
    }

    return decoded;
}
