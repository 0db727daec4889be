#include "core/BoundedXml.h"

#include <algorithm>
#include <cstring>

namespace
{
// The parser's white space and name characters, in their ASCII range; the check accepts no other.
bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == ':' || c == '.';
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Well-formed UTF-8 without zero bytes: the parser steps over a character by the length its lead
// byte announces, and a zero, even an over-long one, ends its text early.
bool isValidUtf8(const unsigned char* p, const unsigned char* end)
{
    while (p < end)
    {
        const unsigned lead = *p++;
        if (lead >= 0x01 && lead <= 0x7f)
            continue;

        // The range of the second byte excludes over-long forms, surrogates and values past U+10FFFF.
        int extra = -1;
        unsigned low = 0x80, high = 0xbf;
        if (lead >= 0xc2 && lead <= 0xdf)
            extra = 1;
        else if (lead >= 0xe0 && lead <= 0xef)
        {
            extra = 2;
            low = lead == 0xe0 ? 0xa0 : low;
            high = lead == 0xed ? 0x9f : high;
        }
        else if (lead >= 0xf0 && lead <= 0xf4)
        {
            extra = 3;
            low = lead == 0xf0 ? 0x90 : low;
            high = lead == 0xf4 ? 0x8f : high;
        }

        if (extra < 0 || end - p < extra || *p < low || *p > high)
            return false;
        for (++p; --extra > 0; ++p)
            if ((*p & 0xc0) != 0x80)
                return false;
    }
    return true;
}

std::size_t byteOrderMarkLength(const void* data, std::size_t size)
{
    return size >= 3 && juce::CharPointer_UTF8::isByteOrderMark(data) ? 3 : 0;
}

// Walks the markup once, keeping only the nesting depth and the number of names.
class XmlBoundsCheck
{
public:
    XmlBoundsCheck(const char* text, std::size_t size) : pos(text), end(text + size) {}

    bool run()
    {
        // Before the document element: white space, comments and processing instructions (the
        // XML declaration among them); a document type is refused with everything else. Inside
        // it, a processing instruction followed by text would send the parser round in circles.
        for (;;)
        {
            skipSpace();
            if (!skipCommentOrInstruction())
                break;
        }
        if (unterminated || !at("<"))
            return false;

        for (int depth = 0;;)
        {
            if (pos == end || unterminated)
                return false;

            if (*pos == '&')
            {
                if (!readReference())
                    return false;
            }
            else if (*pos != '<')
                ++pos;
            else if (skipPast("<!--", "-->") || (depth > 0 && skipPast("<![CDATA[", "]]>")))
                continue;
            else if (depth > 0 && skipPast("</", ">"))
            {
                if (--depth == 0)
                    return true;
            }
            else
            {
                bool empty = false;
                if (++depth > maxXmlDepth || !readStartTag(empty))
                    return false;
                deepest = std::max(deepest, depth);
                if (empty && --depth == 0)
                    return true;
            }
        }
    }

    // What run counted: the deepest level reached and the names read.
    int deepest = 0;
    int names = 0;

private:
    bool at(const char* literal) const
    {
        const auto length = std::strlen(literal);
        return static_cast<std::size_t>(end - pos) >= length && std::memcmp(pos, literal, length) == 0;
    }

    void skipSpace()
    {
        while (pos < end && isSpace(*pos))
            ++pos;
    }

    // At opening: moves past the first terminator after it. Returns false, moving nothing, when the
    // text is not at opening; a missing terminator marks the text unterminated.
    bool skipPast(const char* opening, const char* terminator)
    {
        if (!at(opening))
            return false;

        pos += std::strlen(opening);
        const auto length = std::strlen(terminator);
        for (; !at(terminator); ++pos)
            if (pos == end)
                return unterminated = true;
        pos += length;
        return true;
    }

    bool skipCommentOrInstruction() { return skipPast("<!--", "-->") || skipPast("<?", "?>"); }

    bool skipName()
    {
        const auto* start = pos;
        while (pos < end && isNameChar(*pos))
            ++pos;
        return pos != start;
    }

    bool readName() { return skipName() && ++names <= maxXmlNames; }

    // "&name;", "&#digits;" or "&#x" hex digits ";": anything else could make the parser skip to a
    // semicolon far away or take a '<' as part of a number. Numbers run from 1 to 0x1FFFFF, the
    // values JUCE's writer gives for any text it holds, which then read back unchanged.
    bool readReference()
    {
        ++pos;
        if (at("#"))
        {
            const bool hex = at("#x") || at("#X");
            pos += hex ? 2 : 1;
            long value = 0;
            int digits = 0;
            for (; pos < end && digits <= 7; ++pos, ++digits)
            {
                const char c = *pos;
                const int digit = c >= '0' && c <= '9' ? c - '0' : hex && isHexDigit(c) ? (c | 0x20) - 'a' + 10 : -1;
                if (digit < 0)
                    break;
                value = value * (hex ? 16 : 10) + digit;
            }
            if (digits == 0 || digits > 7 || value == 0 || value > 0x1fffff)
                return false;
        }
        else if (!skipName())
            return false;

        if (!at(";"))
            return false;
        ++pos;
        return true;
    }

    // From '<' to the end of the start tag; empty is set for "/>".
    bool readStartTag(bool& empty)
    {
        ++pos;
        if (!readName())
            return false;

        for (;;)
        {
            skipSpace();
            if (at("/>") || at(">"))
            {
                empty = *pos == '/';
                pos += empty ? 2 : 1;
                return true;
            }

            if (!readName())
                return false;
            skipSpace();
            if (!at("="))
                return false;
            ++pos;
            skipSpace();
            if (!at("\"") && !at("'"))
                return false;

            const char quote = *pos++;
            while (pos < end && *pos != quote)
                if (*pos != '&')
                    ++pos;
                else if (!readReference())
                    return false;
            if (pos == end)
                return false;
            ++pos;
        }
    }

    const char* pos;
    const char* const end;
    bool unterminated = false;
};

// Counts what is written; runs of one byte count at once.
class CountingOutputStream : public juce::OutputStream
{
public:
    void flush() override {}
    bool setPosition(juce::int64) override { return false; }
    juce::int64 getPosition() override { return static_cast<juce::int64>(count); }

    bool write(const void*, std::size_t numBytes) override
    {
        count += numBytes;
        return true;
    }

    bool writeRepeatedByte(juce::uint8, std::size_t numTimes) override
    {
        count += numTimes;
        return true;
    }

    std::size_t count = 0;
};
} // namespace

bool checkXmlBounds(const void* data, std::size_t size, XmlExtent& extent)
{
    const auto skipped = byteOrderMarkLength(data, size);
    const auto* text = static_cast<const char*>(data) + skipped;
    size -= skipped;

    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (size == 0 || size > maxXmlFileBytes || !isValidUtf8(bytes, bytes + size))
        return false;

    XmlBoundsCheck check(text, size);
    const bool accepted = check.run();
    extent = {check.deepest, check.names};
    return accepted;
}

std::unique_ptr<juce::XmlElement> parseBoundedXml(const void* data, std::size_t size)
{
    XmlExtent extent;
    if (!checkXmlBounds(data, size, extent))
        return nullptr;

    const auto skipped = byteOrderMarkLength(data, size);
    return juce::parseXML(
        juce::String::fromUTF8(static_cast<const char*>(data) + skipped, static_cast<int>(size - skipped)));
}

std::size_t xmlTextSize(const juce::XmlElement& element, const juce::XmlElement::TextFormat& format)
{
    CountingOutputStream counter;
    element.writeTo(counter, format);
    return counter.count;
}
