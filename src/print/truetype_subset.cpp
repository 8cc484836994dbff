#include "print/truetype_subset.h"

#include <algorithm>

namespace qa {

namespace {

std::uint32_t U16(const std::string& data, std::size_t at) {
    if (at + 2 > data.size()) {
        return 0;
    }
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(data[at])) << 8) |
           static_cast<unsigned char>(data[at + 1]);
}

int S16(const std::string& data, std::size_t at) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(U16(data, at)));
}

std::uint32_t U32(const std::string& data, std::size_t at) {
    return (U16(data, at) << 16) | U16(data, at + 2);
}

void PutU16(std::string& data, std::size_t at, std::uint32_t value) {
    data[at] = static_cast<char>((value >> 8) & 0xFF);
    data[at + 1] = static_cast<char>(value & 0xFF);
}

void PutU32(std::string& data, std::size_t at, std::uint32_t value) {
    PutU16(data, at, value >> 16);
    PutU16(data, at + 2, value & 0xFFFF);
}

void AppendU16(std::string& data, std::uint32_t value) {
    data.push_back(static_cast<char>((value >> 8) & 0xFF));
    data.push_back(static_cast<char>(value & 0xFF));
}

void AppendU32(std::string& data, std::uint32_t value) {
    AppendU16(data, value >> 16);
    AppendU16(data, value & 0xFFFF);
}

std::uint32_t Checksum(const std::string& data) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            word =
                (word << 8) | (i + k < data.size() ? static_cast<unsigned char>(data[i + k]) : 0u);
        }
        sum += word;
    }
    return sum;
}

struct GlyphLocations {
    std::vector<std::uint32_t> offsets; // numGlyphs + 1 entries into glyf
};

std::optional<GlyphLocations> ReadLocations(const std::string& head, const std::string& loca,
                                            const std::string& glyf, int numGlyphs) {
    if (head.size() < 54 || numGlyphs <= 0) {
        return std::nullopt;
    }
    const bool longOffsets = S16(head, 50) != 0;
    const std::size_t entry = longOffsets ? 4 : 2;
    if (loca.size() < entry * (static_cast<std::size_t>(numGlyphs) + 1)) {
        return std::nullopt;
    }
    GlyphLocations locations;
    locations.offsets.resize(static_cast<std::size_t>(numGlyphs) + 1);
    for (int i = 0; i <= numGlyphs; ++i) {
        std::uint32_t offset = longOffsets ? U32(loca, i * 4) : U16(loca, i * 2) * 2;
        // A table that points outside its glyphs is clamped: the glyph comes out empty.
        locations.offsets[i] = std::min<std::uint32_t>(offset, glyf.size());
    }
    for (int i = 0; i < numGlyphs; ++i) {
        locations.offsets[i + 1] = std::max(locations.offsets[i + 1], locations.offsets[i]);
    }
    return locations;
}

// Adds the glyphs a composite glyph is assembled from, and theirs, to `keep`.
void AddComponents(const std::string& glyf, const GlyphLocations& locations,
                   std::vector<bool>& keep) {
    std::vector<std::uint32_t> pending;
    for (std::size_t g = 0; g < keep.size(); ++g) {
        if (keep[g]) {
            pending.push_back(static_cast<std::uint32_t>(g));
        }
    }
    while (!pending.empty()) {
        const std::uint32_t g = pending.back();
        pending.pop_back();
        const std::uint32_t start = locations.offsets[g];
        const std::uint32_t end = locations.offsets[g + 1];
        if (end - start < 10 || S16(glyf, start) >= 0) {
            continue;
        }
        std::size_t at = start + 10;
        for (int guard = 0; guard < 1024 && at + 4 <= end; ++guard) {
            const std::uint32_t flags = U16(glyf, at);
            const std::uint32_t component = U16(glyf, at + 2);
            if (component < keep.size() && !keep[component]) {
                keep[component] = true;
                pending.push_back(component);
            }
            at += 4 + ((flags & 0x0001) ? 4 : 2);
            if (flags & 0x0008) {
                at += 2;
            } else if (flags & 0x0040) {
                at += 4;
            } else if (flags & 0x0080) {
                at += 8;
            }
            if (!(flags & 0x0020)) {
                break;
            }
        }
    }
}

} // namespace

std::optional<TrueTypeMetrics> ReadTrueTypeMetrics(const FontTableReader& tables) {
    // A face without a glyph index has no TrueType outlines (the outlines are CFF); the
    // outlines themselves are read only when the subset is made.
    if (tables("loca").empty()) {
        return std::nullopt;
    }
    return ReadFontMetrics(tables);
}

std::optional<TrueTypeMetrics> ReadFontMetrics(const FontTableReader& tables) {
    const std::string head = tables("head");
    const std::string maxp = tables("maxp");
    const std::string hhea = tables("hhea");
    const std::string hmtx = tables("hmtx");
    if (head.size() < 54 || maxp.size() < 6 || hhea.size() < 36) {
        return std::nullopt;
    }
    TrueTypeMetrics metrics;
    metrics.unitsPerEm = static_cast<int>(U16(head, 18));
    metrics.xMin = S16(head, 36);
    metrics.yMin = S16(head, 38);
    metrics.xMax = S16(head, 40);
    metrics.yMax = S16(head, 42);
    metrics.numGlyphs = static_cast<int>(U16(maxp, 4));
    const std::size_t longMetrics = U16(hhea, 34);
    if (metrics.unitsPerEm <= 0 || metrics.numGlyphs <= 0 || longMetrics == 0 ||
        hmtx.size() < longMetrics * 4) {
        return std::nullopt;
    }
    metrics.advances.resize(static_cast<std::size_t>(metrics.numGlyphs));
    for (std::size_t g = 0; g < metrics.advances.size(); ++g) {
        // Glyphs past the long metrics share the last advance.
        metrics.advances[g] =
            static_cast<std::uint16_t>(U16(hmtx, std::min(g, longMetrics - 1) * 4));
    }
    return metrics;
}

std::string SubsetTrueType(const FontTableReader& tables, const std::vector<bool>& glyphs) {
    std::string head = tables("head");
    std::string maxp = tables("maxp");
    std::string hhea = tables("hhea");
    const std::string hmtx = tables("hmtx");
    const std::string loca = tables("loca");
    const std::string glyf = tables("glyf");
    if (head.size() < 54 || maxp.size() < 6 || hhea.size() < 36) {
        return {};
    }
    const int numGlyphs = static_cast<int>(U16(maxp, 4));
    std::optional<GlyphLocations> locations = ReadLocations(head, loca, glyf, numGlyphs);
    const std::size_t longMetrics = U16(hhea, 34);
    if (!locations || longMetrics == 0 || hmtx.size() < longMetrics * 4) {
        return {};
    }
    std::vector<bool> keep(static_cast<std::size_t>(numGlyphs), false);
    for (std::size_t g = 0; g < glyphs.size() && g < keep.size(); ++g) {
        keep[g] = glyphs[g];
    }
    keep[0] = true; // .notdef, drawn for a code the font does not have
    AddComponents(glyf, *locations, keep);
    std::size_t count = 1;
    for (std::size_t g = 0; g < keep.size(); ++g) {
        if (keep[g]) {
            count = g + 1;
        }
    }

    std::string newGlyf;
    std::string newLoca;
    for (std::size_t g = 0; g < count; ++g) {
        AppendU32(newLoca, static_cast<std::uint32_t>(newGlyf.size()));
        if (keep[g]) {
            const std::uint32_t start = locations->offsets[g];
            const std::uint32_t end = locations->offsets[g + 1];
            newGlyf.append(glyf, start, end - start);
            newGlyf.resize((newGlyf.size() + 3) & ~std::size_t(3), '\0');
        }
    }
    AppendU32(newLoca, static_cast<std::uint32_t>(newGlyf.size()));

    std::string newHmtx;
    const std::size_t newLongMetrics = std::min(count, longMetrics);
    newHmtx.append(hmtx, 0, newLongMetrics * 4);
    for (std::size_t g = newLongMetrics; g < count; ++g) {
        const std::size_t at = longMetrics * 4 + (g - longMetrics) * 2;
        AppendU16(newHmtx, U16(hmtx, at));
    }
    PutU16(hhea, 34, static_cast<std::uint32_t>(newLongMetrics));
    PutU16(maxp, 4, static_cast<std::uint32_t>(count));
    PutU16(head, 50, 1); // long loca offsets
    PutU32(head, 8, 0);  // checksum adjustment, set below

    std::vector<std::pair<std::string, std::string>> out = {{"glyf", newGlyf}, {"head", head},
                                                            {"hhea", hhea},    {"hmtx", newHmtx},
                                                            {"loca", newLoca}, {"maxp", maxp}};
    // Hinting programs the glyphs' instructions may call.
    for (const char* tag : {"cvt ", "fpgm", "prep"}) {
        std::string table = tables(tag);
        if (!table.empty()) {
            out.emplace_back(tag, std::move(table));
        }
    }
    std::sort(out.begin(), out.end());

    const std::size_t numTables = out.size();
    std::uint32_t power = 1;
    std::uint32_t log2 = 0;
    while (power * 2 <= numTables) {
        power *= 2;
        ++log2;
    }
    std::string font;
    AppendU32(font, 0x00010000);
    AppendU16(font, static_cast<std::uint32_t>(numTables));
    AppendU16(font, power * 16);
    AppendU16(font, log2);
    AppendU16(font, static_cast<std::uint32_t>(numTables) * 16 - power * 16);
    std::size_t offset = 12 + 16 * numTables;
    std::size_t headOffset = 0;
    for (const auto& [tag, data] : out) {
        font.append(tag, 0, 4);
        AppendU32(font, Checksum(data));
        AppendU32(font, static_cast<std::uint32_t>(offset));
        AppendU32(font, static_cast<std::uint32_t>(data.size()));
        if (tag == "head") {
            headOffset = offset;
        }
        offset += (data.size() + 3) & ~std::size_t(3);
    }
    for (const auto& entry : out) {
        font += entry.second;
        font.resize((font.size() + 3) & ~std::size_t(3), '\0');
    }
    PutU32(font, headOffset + 8, 0xB1B0AFBAu - Checksum(font));
    return font;
}

} // namespace qa
