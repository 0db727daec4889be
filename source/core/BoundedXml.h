#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <memory>

// Bounds of the small XML files the program reads, the preferences and the text tables: a root
// element with one flat level of entries, a few kilobytes and a few hundred names. JUCE's parser,
// writer and element destructor recurse once per nesting level, and every element and attribute
// name goes into one global sorted pool whose insertions slow down as it grows, so text beyond
// these bounds could overflow the stack or stall the start; it is refused before parsing.
constexpr std::size_t maxXmlFileBytes = 1024 * 1024;
constexpr int maxXmlDepth = 64;
constexpr int maxXmlNames = 8192;

// Parses UTF-8 XML text (a byte-order mark first is skipped) into its document element, or gives
// null. Text larger than maxXmlFileBytes, nested deeper than maxXmlDepth or naming more than
// maxXmlNames elements and attributes is refused, and so is text that is not plainly well formed
// (a document type, markup other than elements, comments, processing instructions and CDATA,
// malformed references or UTF-8, a zero byte), on which the framework's lenient parser could read
// the nesting otherwise than the check does. The check is one pass without recursion; whatever
// follows the document element is ignored, as the parser does.
std::unique_ptr<juce::XmlElement> parseBoundedXml(const void* data, std::size_t size);

// What the check behind parseBoundedXml counted: the deepest nesting, the document element being
// level 1, and the number of element and attribute names.
struct XmlExtent
{
    int depth = 0;
    int names = 0;
};

// Whether parseBoundedXml hands the text to the parser; extent receives what was counted up to
// the point where the text was accepted or refused.
bool checkXmlBounds(const void* data, std::size_t size, XmlExtent& extent);

// The number of bytes element.writeTo (a stream, format) writes, counted without keeping them.
// Indentation counts in one step, so a tree whose text would take gigabytes is measured quickly.
std::size_t xmlTextSize(const juce::XmlElement& element, const juce::XmlElement::TextFormat& format);
