// A font file of any content, as the report's PDF output meets a face: reading its metrics and
// subsetting its TrueType or CFF outlines stay inside the tables (the sanitizer sees every
// read), and a subset is itself a sound font: its directory points inside it, its metrics
// read back, and subsetting it again with the same glyphs keeps its glyph count. A CFF subset
// reads back with one glyph for each glyph kept, and cutting it again changes nothing.
#include "fuzz_common.h"
#include "print/cff_subset.h"
#include "print/truetype_subset.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

using namespace qa;
using qa::fuzz::Broken;

namespace {

std::uint32_t Read(const std::string& data, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value = value << 8 | static_cast<unsigned char>(data[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// The tables of an sfnt file by tag; nothing when the directory points outside the file.
std::optional<std::map<std::string, std::string>> Tables(const std::string& font) {
    if (font.size() < 12) {
        return std::nullopt;
    }
    const std::size_t count = Read(font, 4, 2);
    if (12 + count * 16 > font.size()) {
        return std::nullopt;
    }
    std::map<std::string, std::string> tables;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 12 + i * 16;
        const std::size_t offset = Read(font, entry + 8, 4);
        const std::size_t length = Read(font, entry + 12, 4);
        if (offset > font.size() || length > font.size() - offset) {
            return std::nullopt;
        }
        tables.emplace(font.substr(entry, 4), font.substr(offset, length));
    }
    return tables;
}

FontTableReader ReaderOf(const std::map<std::string, std::string>& tables) {
    return [&tables](const char* tag) {
        auto found = tables.find(tag);
        return found == tables.end() ? std::string() : found->second;
    };
}

void CheckCff(const std::string& cff, const std::vector<bool>& used) {
    const int glyphs = CffGlyphCount(cff);
    const std::string subset = SubsetCff(cff, used);
    if (glyphs == 0) {
        if (!subset.empty()) {
            Broken("a CFF table that does not read was subset");
        }
        return;
    }
    if (subset.empty()) {
        Broken("a CFF table that reads was not subset");
    }
    const int kept = CffGlyphCount(subset);
    if (kept == 0 || kept > glyphs) {
        Broken("the CFF subset does not read back, or gained glyphs");
    }
    // Glyph 0 and the used glyphs the face has, when the font is CID-keyed; every glyph else.
    int expected = 1;
    for (std::size_t g = 1; g < used.size() && g < static_cast<std::size_t>(glyphs); ++g) {
        expected += used[g] ? 1 : 0;
    }
    if (kept != expected && kept != glyphs) {
        Broken("the CFF subset holds other glyphs than those used");
    }
    if (kept == expected && kept != glyphs) {
        // Cut again, every glyph of the subset being used: the same glyphs come out.
        const std::string again =
            SubsetCff(subset, std::vector<bool>(static_cast<std::size_t>(kept), true));
        if (CffGlyphCount(again) != kept) {
            Broken("cutting a CFF subset again changed its glyph count");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string font(reinterpret_cast<const char*>(data), size);
    const std::optional<std::map<std::string, std::string>> tables = Tables(font);
    if (!tables) {
        return 0;
    }
    const FontTableReader reader = ReaderOf(*tables);
    const std::optional<TrueTypeMetrics> metrics = ReadTrueTypeMetrics(reader);
    // The glyphs a page drew: every third one, and past the face's end as a damaged text would.
    const std::size_t glyphCount = metrics ? static_cast<std::size_t>(metrics->numGlyphs) : 64;
    std::vector<bool> used(glyphCount + 8, false);
    for (std::size_t g = 1; g < used.size(); g += 3) {
        used[g] = true;
    }
    CheckCff(reader("CFF "), used);
    const std::string subset = SubsetTrueType(reader, used);
    if (subset.empty()) {
        return 0;
    }
    const std::optional<std::map<std::string, std::string>> kept = Tables(subset);
    if (!kept) {
        Broken("the subset's directory points outside it");
    }
    const FontTableReader keptReader = ReaderOf(*kept);
    const std::optional<TrueTypeMetrics> keptMetrics = ReadTrueTypeMetrics(keptReader);
    if (metrics && !keptMetrics) {
        Broken("the subset's metrics do not read back");
    }
    if (metrics && (keptMetrics->unitsPerEm != metrics->unitsPerEm ||
                    keptMetrics->numGlyphs > metrics->numGlyphs)) {
        Broken("the subset changed the design units or gained glyphs");
    }
    const std::string again = SubsetTrueType(keptReader, used);
    const std::optional<std::map<std::string, std::string>> againTables = Tables(again);
    if (again.empty() || !againTables) {
        Broken("the subset cannot be subset again");
    }
    const std::optional<TrueTypeMetrics> againMetrics = ReadTrueTypeMetrics(ReaderOf(*againTables));
    if (keptMetrics && (!againMetrics || againMetrics->numGlyphs != keptMetrics->numGlyphs)) {
        Broken("subsetting the subset again changed its glyph count");
    }
    return 0;
}
