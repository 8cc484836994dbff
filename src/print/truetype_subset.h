#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qa {

// The tables of one TrueType face as the font engine hands them over, by tag ("glyf", "head").
// An absent table is an empty string.
using FontTableReader = std::function<std::string(const char* tag)>;

// What a PDF needs to know of a face beside the outlines: design units and advances.
struct TrueTypeMetrics {
    int unitsPerEm = 0;
    int numGlyphs = 0;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0; // font bounding box in design units
    std::vector<std::uint16_t> advances;        // per glyph, in design units
};

// Reads head, maxp, hhea and hmtx, whatever the outlines. Nothing when a table is cut short.
std::optional<TrueTypeMetrics> ReadFontMetrics(const FontTableReader& tables);

// As ReadFontMetrics, and nothing when the face has no TrueType outlines (a CFF face).
std::optional<TrueTypeMetrics> ReadTrueTypeMetrics(const FontTableReader& tables);

// A font file holding only the outlines of `glyphs` (and the glyphs their composites are built
// from, and glyph 0), with every glyph keeping its index so the text's glyph ids stay valid.
// The glyph count is cut after the highest glyph kept. Empty when the tables are unusable.
std::string SubsetTrueType(const FontTableReader& tables, const std::vector<bool>& glyphs);

} // namespace qa
