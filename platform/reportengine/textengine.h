#pragma once
// Inside the engine: fonts and text line breaking shared by the layout and the painting, so that
// both always agree on where lines break.
//
// Texts are shaped in units of 1/7200 inch (100 units to the point) with unhinted fonts: line
// breaks and widths then depend only on the font's outlines, not on the device a page is
// painted on, and the millimetre layout holds on screen, paper and PDF alike.
#include "reportengine/reporttemplate.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <memory>
#include <vector>

class QPainter;

namespace ofx::reportengine {
struct PlacedObject;
}

namespace ofx::reportengine::detail {

inline constexpr int kUnitsPerPoint = 6;
inline constexpr double kUnitsPerMm = kUnitsPerPoint * 72.0 / 25.4;

struct TextStyle {
    FontDesc desc;
    QFont font;
    QFontMetricsF metrics;
    double lineHeight = 0;  // mm from one line's top to the next
    double ascent = 0;      // mm from a line's top to its baseline
    double narrowest = 0;   // mm, no character is narrower (a bound for quick decisions)

    explicit TextStyle(const FontDesc& s);
};

class FontCache {
public:
    const TextStyle& style(const FontDesc& desc);

private:
    std::vector<std::unique_ptr<TextStyle>> styles_;
};

// Makes the family "Arial" resolve to Liberation Sans, its metric-compatible free twin, where
// Arial itself is not installed. Safe to call more than once.
void installFontSubstitutions();

struct TextExtent {
    int lines = 0;         // 0 for an empty text
    double widest = 0;     // mm, the widest line's natural width
};

enum class Wrap {
    None,      // hard line breaks only
    Words,     // also at word boundaries; a word wider than the frame stays whole (fixed frames,
               // where a caption a hair too wide must not lose its last letters)
    Anywhere,  // also inside a word wider than the frame (growing frames)
};
Wrap wrapOf(const ReportObject& object);

// Lines that text takes in width mm. Hard line breaks (CR LF, LF, CR) always break.
TextExtent measureText(const TextStyle& style, const QString& text, double width, Wrap wrap);

// Paints a placed text object. The painter must be scaled to layout units (kUnitsPerMm per mm).
void paintText(QPainter& painter, const TextStyle& style, const PlacedObject& object);

}  // namespace ofx::reportengine::detail
