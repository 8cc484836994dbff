#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qa {

// A 'CFF ' table (Compact Font Format, Type 2 charstrings) for a PDF to embed as
// CIDFontType0C, the content's character ids being the face's glyph ids.
//
// A CID-keyed font (the CJK faces, tens of thousands of glyphs) is cut to `glyphs` and glyph 0:
// its charset then maps each kept glyph back to its old glyph id as its CID, the subroutines
// no kept glyph calls are emptied (keeping their numbers), and nothing else changes. A
// name-keyed font is returned whole: the PDF then takes CIDs as glyph ids, and such fonts
// hold a few hundred glyphs. Empty when the table is damaged or not a CFF font of one face.
std::string SubsetCff(std::string_view cff, const std::vector<bool>& glyphs);

// The glyph count of a 'CFF ' table's one font; 0 when the table is damaged.
int CffGlyphCount(std::string_view cff);

} // namespace qa
