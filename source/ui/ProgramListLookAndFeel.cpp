#include "ui/ProgramListLookAndFeel.h"

namespace w40388_ui
{
namespace
{
const juce::Colour listBlack{0xFF111111};
const juce::Colour arrowGrey{0xFF333333};
} // namespace

juce::Path ProgramListLookAndFeel::scrollbarArrow(int width, int height, int buttonDirection)
{
    // Corners as fractions of the button's width and height, tip first.
    struct Triangle
    {
        float x1, y1, x2, y2, x3, y3;
    };
    constexpr Triangle triangles[] = {
        {0.5f, 0.2f, 0.1f, 0.7f, 0.9f, 0.7f}, // up
        {0.8f, 0.5f, 0.3f, 0.1f, 0.3f, 0.9f}, // right
        {0.5f, 0.8f, 0.1f, 0.3f, 0.9f, 0.3f}, // down
        {0.2f, 0.5f, 0.7f, 0.1f, 0.7f, 0.9f}, // left
    };

    juce::Path arrow;
    if (buttonDirection < 0 || buttonDirection > 3)
        return arrow;

    const auto& t = triangles[buttonDirection];
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    arrow.addTriangle(t.x1 * w, t.y1 * h, t.x2 * w, t.y2 * h, t.x3 * w, t.y3 * h);
    return arrow;
}

void ProgramListLookAndFeel::drawScrollbarButton(juce::Graphics& g, juce::ScrollBar&, int width, int height,
                                                 int buttonDirection, bool, bool, bool isButtonDown)
{
    const auto arrow = scrollbarArrow(width, height, buttonDirection);
    g.setColour(isButtonDown ? arrowGrey.contrasting(0.2f) : arrowGrey);
    g.fillPath(arrow);
    g.setColour(juce::Colour(0x80888888));
    g.strokePath(arrow, juce::PathStrokeType(0.5f));
}

ProgramListLookAndFeel::ScrollbarShape ProgramListLookAndFeel::scrollbarShape(int x, int y, int width, int height,
                                                                              bool isScrollbarVertical,
                                                                              int thumbStartPosition, int thumbSize)
{
    ScrollbarShape shape;
    shape.slotIndent = juce::jmin(width, height) > 15 ? 1 : 0;
    shape.thumbIndent = shape.slotIndent + 1;
    const auto s = shape.slotIndent;
    const auto t = shape.thumbIndent;

    // Worked out as for a vertical bar (across, along), then turned for a horizontal one.
    const auto across = isScrollbarVertical ? x : y;
    const auto along = isScrollbarVertical ? y : x;
    const auto thickness = isScrollbarVertical ? width : height;
    const auto length = isScrollbarVertical ? height : width;
    const auto oriented = [isScrollbarVertical](juce::Rectangle<int> r) {
        return (isScrollbarVertical ? r : juce::Rectangle<int>(r.getY(), r.getX(), r.getHeight(), r.getWidth()))
            .toFloat();
    };

    shape.slot = oriented({across + s, along + s, thickness - 2 * s, length - 2 * s});
    shape.slotCorner = static_cast<float>(thickness - 2 * s) / 2.0f;
    if (thumbSize > 0)
    {
        shape.thumb = oriented({across + t, thumbStartPosition + t, thickness - 2 * t, thumbSize - 2 * t});
        shape.thumbCorner = static_cast<float>(thickness - 2 * t) / 2.0f;
    }
    return shape;
}

void ProgramListLookAndFeel::drawScrollbar(juce::Graphics& g, juce::ScrollBar& bar, int x, int y, int width, int height,
                                           bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool, bool)
{
    g.setColour(listBlack);
    g.fillRect(x, y, width, height);

    const auto shape = scrollbarShape(x, y, width, height, isScrollbarVertical, thumbStartPosition, thumbSize);

    juce::Path slot;
    slot.addRoundedRectangle(shape.slot, shape.slotCorner);
    juce::Path thumb;
    if (!shape.thumb.isEmpty())
        thumb.addRoundedRectangle(shape.thumb, shape.thumbCorner);

    const auto fx = static_cast<float>(x);
    const auto fy = static_cast<float>(y);
    const auto fw = static_cast<float>(width);
    const auto fh = static_cast<float>(height);

    const bool hasTrackColour =
        bar.isColourSpecified(juce::ScrollBar::trackColourId) || isColourSpecified(juce::ScrollBar::trackColourId);
    const auto track = hasTrackColour ? bar.findColour(juce::ScrollBar::trackColourId)
                                      : listBlack.overlaidWith(juce::Colour(0x22FFFFFF));

    // Start and end of the gradients: across the bar, not along it.
    const juce::Point<float> gradientStart(fx, fy);
    const auto gradientEnd =
        isScrollbarVertical ? juce::Point<float>(fx + 0.7f * fw, fy) : juce::Point<float>(fx, fy + 0.7f * fh);
    g.setGradientFill(juce::ColourGradient(track, gradientStart, track, gradientEnd, false));
    g.fillPath(slot);

    const auto shadeStart =
        isScrollbarVertical ? juce::Point<float>(fx + 0.6f * fw, fy) : juce::Point<float>(fx, fy + 0.6f * fh);
    const auto shadeEnd = isScrollbarVertical ? juce::Point<float>(fx + fw, fy) : juce::Point<float>(fx, fy + fh);
    g.setGradientFill(
        juce::ColourGradient(juce::Colours::transparentBlack, shadeStart, juce::Colour(0x19000000), shadeEnd, false));
    g.fillPath(slot);

    g.setColour(listBlack);
    g.fillPath(thumb);

    g.saveState();
    if (isScrollbarVertical)
        g.reduceClipRegion(x + width / 2, y, width, height);
    else
        g.reduceClipRegion(x, y + height / 2, width, height);
    g.setGradientFill(
        juce::ColourGradient(juce::Colour(0x10000000), shadeStart, juce::Colours::transparentBlack, shadeEnd, false));
    g.fillPath(thumb);
    g.restoreState();

    g.setColour(juce::Colour(0x4C000000));
    g.strokePath(thumb, juce::PathStrokeType(0.4f));
}

void ProgramListLookAndFeel::drawTableHeaderBackground(juce::Graphics& g, juce::TableHeaderComponent&)
{
    g.fillAll(listBlack);
}
} // namespace w40388_ui
