#include "print/cff_subset.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string_view>

namespace qa {

namespace {

unsigned Byte(std::string_view data, std::size_t at) {
    return at < data.size() ? static_cast<unsigned char>(data[at]) : 0u;
}

std::uint32_t Number(std::string_view data, std::size_t at, std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        value = value << 8 | Byte(data, at + i);
    }
    return value;
}

// An INDEX: a count, then offsets to the objects that follow.
struct Index {
    std::size_t start = 0;
    std::size_t end = 0;                // just past the last object
    std::size_t data = 0;               // where the first object starts
    std::vector<std::uint32_t> offsets; // count + 1, from `data`

    std::size_t Count() const { return offsets.size() - 1; }
    std::size_t From(std::size_t i) const { return data + offsets[i]; }
    std::size_t To(std::size_t i) const { return data + offsets[i + 1]; }
    std::string_view Item(std::string_view font, std::size_t i) const {
        return font.substr(From(i), offsets[i + 1] - offsets[i]);
    }
};

std::optional<Index> ReadIndex(std::string_view data, std::size_t at) {
    if (at > data.size() || data.size() - at < 2) {
        return std::nullopt;
    }
    Index index;
    index.start = at;
    const std::size_t count = Number(data, at, 2);
    if (count == 0) {
        index.offsets.assign(1, 0);
        index.data = index.end = at + 2;
        return index;
    }
    const std::size_t offSize = Byte(data, at + 2);
    const std::size_t table = at + 3;
    if (offSize < 1 || offSize > 4 || table > data.size() ||
        (data.size() - table) / offSize < count + 1) {
        return std::nullopt;
    }
    index.data = table + (count + 1) * offSize;
    index.offsets.resize(count + 1);
    for (std::size_t i = 0; i <= count; ++i) {
        const std::uint32_t offset = Number(data, table + i * offSize, offSize);
        // Offsets count from 1 and never go back.
        if (offset < 1 || (i == 0 && offset != 1) || (i > 0 && offset - 1 < index.offsets[i - 1])) {
            return std::nullopt;
        }
        index.offsets[i] = offset - 1;
    }
    if (index.offsets[count] > data.size() - index.data) {
        return std::nullopt;
    }
    index.end = index.data + index.offsets[count];
    return index;
}

void AppendIndex(std::string& out, const std::vector<std::string_view>& items) {
    out.push_back(static_cast<char>(items.size() >> 8));
    out.push_back(static_cast<char>(items.size() & 0xFF));
    if (items.empty()) {
        return;
    }
    std::size_t total = 1;
    for (std::string_view item : items) {
        total += item.size();
    }
    const std::size_t offSize = total < (1u << 8)    ? 1
                                : total < (1u << 16) ? 2
                                : total < (1u << 24) ? 3
                                                     : 4;
    out.push_back(static_cast<char>(offSize));
    std::size_t offset = 1;
    auto put = [&out, offSize](std::size_t value) {
        for (std::size_t k = offSize; k-- > 0;) {
            out.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
        }
    };
    put(offset);
    for (std::string_view item : items) {
        offset += item.size();
        put(offset);
    }
    for (std::string_view item : items) {
        out.append(item);
    }
}

// One operator of a DICT with its operands, and where its bytes lie.
struct DictEntry {
    int op = 0; // 12 x is 1200 + x
    std::vector<double> operands;
    std::size_t from = 0;
    std::size_t to = 0;
};

constexpr int kCharset = 15;
constexpr int kEncoding = 16;
constexpr int kCharStrings = 17;
constexpr int kPrivate = 18;
constexpr int kSubrs = 19;
constexpr int kCharstringType = 1206;
constexpr int kRos = 1230;
constexpr int kCidCount = 1234;
constexpr int kFdArray = 1236;
constexpr int kFdSelect = 1237;

std::optional<std::vector<DictEntry>> ReadDict(std::string_view data, std::size_t from,
                                               std::size_t to) {
    if (from > to || to > data.size()) {
        return std::nullopt;
    }
    std::vector<DictEntry> entries;
    DictEntry entry;
    entry.from = from;
    std::size_t at = from;
    while (at < to) {
        const unsigned b = Byte(data, at);
        if (b <= 21) {
            if (b == 12) {
                if (at + 1 >= to) {
                    return std::nullopt;
                }
                entry.op = 1200 + static_cast<int>(Byte(data, at + 1));
                at += 2;
            } else {
                entry.op = static_cast<int>(b);
                at += 1;
            }
            entry.to = at;
            entries.push_back(std::move(entry));
            entry = DictEntry();
            entry.from = at;
            continue;
        }
        double value = 0;
        if (b == 28) {
            if (to - at < 3) {
                return std::nullopt;
            }
            value = static_cast<std::int16_t>(Number(data, at + 1, 2));
            at += 3;
        } else if (b == 29) {
            if (to - at < 5) {
                return std::nullopt;
            }
            value = static_cast<std::int32_t>(Number(data, at + 1, 4));
            at += 5;
        } else if (b == 30) {
            // A real number in nibbles, up to the nibble 0xf.
            std::string text;
            bool done = false;
            for (++at; at < to && !done; ++at) {
                for (unsigned nibble : {Byte(data, at) >> 4, Byte(data, at) & 0xF}) {
                    if (done) {
                        break;
                    }
                    if (nibble <= 9) {
                        text.push_back(static_cast<char>('0' + nibble));
                    } else if (nibble == 0xA) {
                        text.push_back('.');
                    } else if (nibble == 0xB) {
                        text.push_back('E');
                    } else if (nibble == 0xC) {
                        text += "E-";
                    } else if (nibble == 0xE) {
                        text.push_back('-');
                    } else if (nibble == 0xF) {
                        done = true;
                    } else {
                        return std::nullopt;
                    }
                }
            }
            if (!done || text.size() > 64) {
                return std::nullopt;
            }
            value = std::strtod(text.c_str(), nullptr);
        } else if (b >= 32 && b <= 246) {
            value = static_cast<int>(b) - 139;
            at += 1;
        } else if (b >= 247 && b <= 254) {
            if (to - at < 2) {
                return std::nullopt;
            }
            const int second = static_cast<int>(Byte(data, at + 1));
            value = b <= 250 ? (static_cast<int>(b) - 247) * 256 + second + 108
                             : -(static_cast<int>(b) - 251) * 256 - second - 108;
            at += 2;
        } else {
            return std::nullopt;
        }
        if (entry.operands.size() >= 48) {
            return std::nullopt;
        }
        entry.operands.push_back(value);
    }
    return entries;
}

const DictEntry* Find(const std::vector<DictEntry>& dict, int op) {
    for (const DictEntry& entry : dict) {
        if (entry.op == op) {
            return &entry;
        }
    }
    return nullptr;
}

// Operand `k` of `op` as an offset or size within a table of `limit` bytes.
std::optional<std::size_t> Offset(const std::vector<DictEntry>& dict, int op, std::size_t k,
                                  std::size_t limit) {
    const DictEntry* entry = Find(dict, op);
    if (!entry || entry->operands.size() <= k) {
        return std::nullopt;
    }
    const double value = entry->operands[k];
    if (!(value >= 0) || value > static_cast<double>(limit) || value != std::floor(value)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(value);
}

// An integer operand in its five-byte form: a DICT's size then does not depend on the
// offsets it holds.
void AppendInt5(std::string& out, std::size_t value) {
    out.push_back(29);
    for (int k = 3; k >= 0; --k) {
        out.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
    }
}

void AppendOperator(std::string& out, int op) {
    if (op >= 1200) {
        out.push_back(12);
        out.push_back(static_cast<char>(op - 1200));
    } else {
        out.push_back(static_cast<char>(op));
    }
}

// The entries of a DICT but the operators in `dropped`, as they were written.
std::string CopyDict(std::string_view data, const std::vector<DictEntry>& dict,
                     std::initializer_list<int> dropped) {
    std::string out;
    for (const DictEntry& entry : dict) {
        bool drop = false;
        for (int op : dropped) {
            drop = drop || entry.op == op;
        }
        if (!drop) {
            out.append(data.substr(entry.from, entry.to - entry.from));
        }
    }
    return out;
}

struct FontDict {
    std::vector<DictEntry> dict;
    std::vector<DictEntry> priv;
    std::size_t privateFrom = 0;
    std::optional<Index> subrs;
};

struct CffFont {
    std::size_t nameIndexStart = 0;
    Index topDicts;
    Index strings;
    Index globalSubrs;
    std::vector<DictEntry> top;
    Index charStrings;
    bool cidKeyed = false;
    std::vector<FontDict> fds;
    std::vector<std::uint8_t> fdOfGlyph;
};

std::optional<FontDict> ReadFontDict(std::string_view data, std::vector<DictEntry> dict) {
    FontDict fd;
    fd.dict = std::move(dict);
    const std::optional<std::size_t> size = Offset(fd.dict, kPrivate, 0, data.size());
    const std::optional<std::size_t> at = Offset(fd.dict, kPrivate, 1, data.size());
    if (!size || !at || *size > data.size() - *at) {
        return std::nullopt;
    }
    std::optional<std::vector<DictEntry>> priv = ReadDict(data, *at, *at + *size);
    if (!priv) {
        return std::nullopt;
    }
    fd.priv = std::move(*priv);
    fd.privateFrom = *at;
    if (Find(fd.priv, kSubrs)) {
        const std::optional<std::size_t> subrs =
            Offset(fd.priv, kSubrs, 0, data.size() - fd.privateFrom);
        if (!subrs || !(fd.subrs = ReadIndex(data, fd.privateFrom + *subrs))) {
            return std::nullopt;
        }
    }
    return fd;
}

bool ReadFdSelect(std::string_view data, std::size_t at, CffFont& font) {
    const std::size_t glyphs = font.charStrings.Count();
    font.fdOfGlyph.assign(glyphs, 0);
    if (at >= data.size()) {
        return false;
    }
    const unsigned format = Byte(data, at);
    if (format == 0) {
        if (data.size() - at - 1 < glyphs) {
            return false;
        }
        for (std::size_t g = 0; g < glyphs; ++g) {
            font.fdOfGlyph[g] = static_cast<std::uint8_t>(Byte(data, at + 1 + g));
        }
    } else if (format == 3) {
        const std::size_t ranges = Number(data, at + 1, 2);
        if (data.size() - at < 5 || ranges == 0 || (data.size() - at - 3) / 3 < ranges ||
            data.size() - at - 3 - ranges * 3 < 2) {
            return false;
        }
        for (std::size_t r = 0; r < ranges; ++r) {
            const std::size_t first = Number(data, at + 3 + r * 3, 2);
            const std::size_t next = Number(data, at + 3 + (r + 1) * 3, 2); // or the sentinel
            if ((r == 0 && first != 0) || next < first) {
                return false;
            }
            for (std::size_t g = first; g < next && g < glyphs; ++g) {
                font.fdOfGlyph[g] = static_cast<std::uint8_t>(Byte(data, at + 5 + r * 3));
            }
        }
    } else {
        return false;
    }
    for (std::uint8_t fd : font.fdOfGlyph) {
        if (fd >= font.fds.size()) {
            return false;
        }
    }
    return true;
}

std::optional<CffFont> ReadCff(std::string_view data) {
    // Version 1 only: CFF2 is another format.
    if (data.size() < 4 || Byte(data, 0) != 1 || Byte(data, 2) < 4) {
        return std::nullopt;
    }
    CffFont font;
    font.nameIndexStart = Byte(data, 2);
    const std::optional<Index> names = ReadIndex(data, font.nameIndexStart);
    if (!names || names->Count() != 1) {
        return std::nullopt;
    }
    std::optional<Index> index = ReadIndex(data, names->end);
    if (!index || index->Count() != 1) {
        return std::nullopt;
    }
    font.topDicts = *index;
    if (!(index = ReadIndex(data, font.topDicts.end))) {
        return std::nullopt;
    }
    font.strings = *index;
    if (!(index = ReadIndex(data, font.strings.end))) {
        return std::nullopt;
    }
    font.globalSubrs = *index;
    std::optional<std::vector<DictEntry>> top =
        ReadDict(data, font.topDicts.From(0), font.topDicts.To(0));
    if (!top) {
        return std::nullopt;
    }
    font.top = std::move(*top);
    if (const DictEntry* type = Find(font.top, kCharstringType);
        type && (type->operands.size() != 1 || type->operands[0] != 2)) {
        return std::nullopt;
    }
    const std::optional<std::size_t> charStrings = Offset(font.top, kCharStrings, 0, data.size());
    if (!charStrings || !(index = ReadIndex(data, *charStrings)) || index->Count() == 0) {
        return std::nullopt;
    }
    font.charStrings = *index;
    font.cidKeyed = Find(font.top, kRos) != nullptr;
    if (!font.cidKeyed) {
        return font;
    }
    const std::optional<std::size_t> fdArray = Offset(font.top, kFdArray, 0, data.size());
    const std::optional<std::size_t> fdSelect = Offset(font.top, kFdSelect, 0, data.size());
    if (!fdArray || !fdSelect || !(index = ReadIndex(data, *fdArray)) || index->Count() == 0 ||
        index->Count() > 256) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < index->Count(); ++i) {
        std::optional<std::vector<DictEntry>> dict = ReadDict(data, index->From(i), index->To(i));
        std::optional<FontDict> fd;
        if (!dict || !(fd = ReadFontDict(data, std::move(*dict)))) {
            return std::nullopt;
        }
        font.fds.push_back(std::move(*fd));
    }
    if (!ReadFdSelect(data, *fdSelect, font)) {
        return std::nullopt;
    }
    return font;
}

int Bias(std::size_t count) {
    return count < 1240 ? 107 : count < 33900 ? 1131 : 32768;
}

// Follows a glyph's charstring through the subroutines it calls, noting each one. Only
// numbers, stem hints (for the length of a hint mask) and calls are interpreted.
class SubrWalk {
public:
    SubrWalk(std::string_view data, const Index& global, std::vector<bool>& globalUsed)
        : data_(data), global_(global), globalUsed_(globalUsed) {}

    // A call's operand: the number right before callsubr or callgsubr, where it lies in the
    // table, and the subroutine it names.
    struct Call {
        std::size_t to = 0;
        int fd = -1; // the font DICT whose local subroutines are called; -1: global
        std::size_t subr = 0;
    };

    // False when the charstring could not be followed: then every subroutine is kept.
    bool Glyph(std::size_t from, std::size_t to, const Index* local, std::vector<bool>* localUsed,
               int fd) {
        local_ = local;
        localUsed_ = localUsed;
        fd_ = fd;
        stems_ = 0;
        stack_.clear();
        budget_ = 1 << 20;
        return Run(from, to, 0) != Result::Failed;
    }

    // Every call met, by where its operand starts; meaningful while Renumberable().
    const std::map<std::size_t, Call>& Calls() const { return calls_; }
    // Whether each call's subroutine number was a number written just before it, which the
    // subset can write anew for the subroutines' new numbers.
    bool Renumberable() const { return renumberable_; }

private:
    enum class Result { Returned, Ended, Failed };

    Result Run(std::size_t at, std::size_t to, int depth) {
        std::size_t numberFrom = 0; // the number just read, when the last token was one
        std::size_t numberTo = 0;
        while (at < to) {
            if (--budget_ < 0) {
                return Result::Failed;
            }
            const unsigned b = Byte(data_, at);
            if (b >= 32 || b == 28) {
                numberFrom = at;
                double value = 0;
                if (b == 28) {
                    value = static_cast<std::int16_t>(Number(data_, at + 1, 2));
                    at += 3;
                } else if (b <= 246) {
                    value = static_cast<int>(b) - 139;
                    at += 1;
                } else if (b <= 250) {
                    value = (static_cast<int>(b) - 247) * 256 +
                            static_cast<int>(Byte(data_, at + 1)) + 108;
                    at += 2;
                } else if (b <= 254) {
                    value = -(static_cast<int>(b) - 251) * 256 -
                            static_cast<int>(Byte(data_, at + 1)) - 108;
                    at += 2;
                } else {
                    value = static_cast<std::int32_t>(Number(data_, at + 1, 4)) / 65536.0;
                    at += 5;
                }
                if (stack_.size() >= 96) {
                    return Result::Failed;
                }
                stack_.push_back(value);
                numberTo = std::min(at, to);
                continue;
            }
            const bool afterNumber = numberTo > numberFrom;
            const std::size_t operandFrom = numberFrom;
            const std::size_t operandTo = numberTo;
            numberFrom = numberTo = 0;
            switch (b) {
            case 1:  // hstem
            case 3:  // vstem
            case 18: // hstemhm
            case 23: // vstemhm
                stems_ += static_cast<int>(stack_.size() / 2);
                stack_.clear();
                at += 1;
                break;
            case 19: // hintmask
            case 20: // cntrmask: operands before it are vertical stems
                stems_ += static_cast<int>(stack_.size() / 2);
                stack_.clear();
                at += 1 + static_cast<std::size_t>((stems_ + 7) / 8);
                break;
            case 10:   // callsubr
            case 29: { // callgsubr
                const bool isLocal = b == 10;
                const Index* index = isLocal ? local_ : &global_;
                if (stack_.empty() || !index || depth >= 10) {
                    return Result::Failed;
                }
                const double number = stack_.back() + Bias(index->Count());
                stack_.pop_back();
                if (!(number >= 0) || number >= static_cast<double>(index->Count())) {
                    return Result::Failed;
                }
                const std::size_t subr = static_cast<std::size_t>(number);
                (isLocal ? *localUsed_ : globalUsed_)[subr] = true;
                if (!afterNumber) {
                    renumberable_ = false;
                } else {
                    const Call call{operandTo, isLocal ? fd_ : -1, subr};
                    auto [known, added] = calls_.emplace(operandFrom, call);
                    if (!added && (known->second.to != call.to || known->second.fd != call.fd ||
                                   known->second.subr != call.subr)) {
                        renumberable_ = false;
                    }
                }
                const Result result = Run(index->From(subr), index->To(subr), depth + 1);
                if (result != Result::Returned) {
                    return result;
                }
                at += 1;
                break;
            }
            case 11: // return
                return Result::Returned;
            case 14: // endchar
                return Result::Ended;
            case 12: {
                // Flex and the like take their operands; the arithmetic operators compute
                // numbers this walk does not follow.
                const unsigned escaped = Byte(data_, at + 1);
                if (escaped < 34 || escaped > 37) {
                    return Result::Failed;
                }
                stack_.clear();
                at += 2;
                break;
            }
            default:
                stack_.clear();
                at += 1;
                break;
            }
        }
        return Result::Returned;
    }

    std::string_view data_;
    const Index& global_;
    std::vector<bool>& globalUsed_;
    const Index* local_ = nullptr;
    std::vector<bool>* localUsed_ = nullptr;
    std::vector<double> stack_;
    int stems_ = 0;
    long budget_ = 0;
    int fd_ = -1;
    std::map<std::size_t, Call> calls_;
    bool renumberable_ = true;
};

void AppendType2Int(std::string& out, int value) {
    if (value >= -107 && value <= 107) {
        out.push_back(static_cast<char>(value + 139));
    } else if (value >= 108 && value <= 1131) {
        out.push_back(static_cast<char>(247 + (value - 108) / 256));
        out.push_back(static_cast<char>((value - 108) % 256));
    } else if (value <= -108 && value >= -1131) {
        out.push_back(static_cast<char>(251 + (-value - 108) / 256));
        out.push_back(static_cast<char>((-value - 108) % 256));
    } else {
        out.push_back(28);
        out.push_back(static_cast<char>((value >> 8) & 0xFF));
        out.push_back(static_cast<char>(value & 0xFF));
    }
}

// Subroutines renumbered: only those used, in their old order, each call's operand written
// anew. Empty when a call's operand overlaps another's.
class Renumbering {
public:
    Renumbering(std::string_view data, const std::map<std::size_t, SubrWalk::Call>& calls)
        : data_(data), calls_(calls) {}

    // The new numbers of the used subroutines of one INDEX (global: fd -1).
    void Number(int fd, const std::vector<bool>& used) {
        std::vector<int>& numbers = numbers_[fd];
        numbers.assign(used.size(), -1);
        int next = 0;
        for (std::size_t i = 0; i < used.size(); ++i) {
            if (used[i]) {
                numbers[i] = next++;
            }
        }
        biases_[fd] = Bias(static_cast<std::size_t>(next));
    }

    // The bytes [from, to) of a charstring or subroutine with its calls' operands rewritten.
    std::optional<std::string> Rewrite(std::size_t from, std::size_t to) const {
        std::string out;
        std::size_t at = from;
        for (auto call = calls_.lower_bound(from); call != calls_.end() && call->first < to;
             ++call) {
            if (call->first < at || call->second.to > to) {
                return std::nullopt;
            }
            const std::vector<int>& numbers = numbers_.at(call->second.fd);
            out.append(data_.substr(at, call->first - at));
            AppendType2Int(out, numbers[call->second.subr] - biases_.at(call->second.fd));
            at = call->second.to;
        }
        out.append(data_.substr(at, to - at));
        return out;
    }

private:
    std::string_view data_;
    const std::map<std::size_t, SubrWalk::Call>& calls_;
    std::map<int, std::vector<int>> numbers_;
    std::map<int, int> biases_;
};

// The subroutines of `index` with those not used cut to a bare return.
void AppendSubrs(std::string& out, std::string_view data, const Index& index,
                 const std::vector<bool>& used) {
    static const char kReturn = 11;
    std::vector<std::string_view> items;
    items.reserve(index.Count());
    for (std::size_t i = 0; i < index.Count(); ++i) {
        items.push_back(used[i] ? index.Item(data, i) : std::string_view(&kReturn, 1));
    }
    AppendIndex(out, items);
}

} // namespace

int CffGlyphCount(std::string_view cff) {
    const std::optional<CffFont> font = ReadCff(cff);
    return font ? static_cast<int>(font->charStrings.Count()) : 0;
}

std::string SubsetCff(std::string_view data, const std::vector<bool>& glyphs) {
    const std::optional<CffFont> read = ReadCff(data);
    if (!read) {
        return {};
    }
    const CffFont& font = *read;
    if (!font.cidKeyed) {
        return std::string(data);
    }
    const std::size_t count = font.charStrings.Count();
    std::vector<std::size_t> kept{0};
    for (std::size_t g = 1; g < glyphs.size() && g < count; ++g) {
        if (glyphs[g]) {
            kept.push_back(g);
        }
    }

    std::vector<bool> globalUsed(font.globalSubrs.Count(), false);
    std::vector<std::vector<bool>> localUsed;
    for (const FontDict& fd : font.fds) {
        localUsed.emplace_back(fd.subrs ? fd.subrs->Count() : 0, false);
    }
    SubrWalk walk(data, font.globalSubrs, globalUsed);
    bool walked = true;
    for (std::size_t g : kept) {
        const std::size_t fd = font.fdOfGlyph[g];
        const FontDict& dict = font.fds[fd];
        if (!walk.Glyph(font.charStrings.From(g), font.charStrings.To(g),
                        dict.subrs ? &*dict.subrs : nullptr, &localUsed[fd],
                        static_cast<int>(fd))) {
            globalUsed.assign(globalUsed.size(), true);
            for (std::vector<bool>& used : localUsed) {
                used.assign(used.size(), true);
            }
            walked = false;
            break;
        }
    }

    // The charstrings and subroutines: with only the subroutines used, renumbered, when every
    // call names its subroutine by a number written before it; else every subroutine keeps
    // its number and those not used are cut to a bare return.
    std::string globalSubrs;
    std::string charStrings;
    std::vector<std::string> localSubrs(font.fds.size());
    bool renumbered = false;
    if (walked && walk.Renumberable()) {
        Renumbering renumbering(data, walk.Calls());
        renumbering.Number(-1, globalUsed);
        for (std::size_t fd = 0; fd < font.fds.size(); ++fd) {
            renumbering.Number(static_cast<int>(fd), localUsed[fd]);
        }
        auto rewritten = [&](const Index& index, const std::vector<std::size_t>& items,
                             std::string& out) {
            std::vector<std::string> bodies;
            for (std::size_t i : items) {
                std::optional<std::string> body = renumbering.Rewrite(index.From(i), index.To(i));
                if (!body) {
                    return false;
                }
                bodies.push_back(std::move(*body));
            }
            AppendIndex(out, std::vector<std::string_view>(bodies.begin(), bodies.end()));
            return true;
        };
        auto usedOf = [](const std::vector<bool>& used) {
            std::vector<std::size_t> items;
            for (std::size_t i = 0; i < used.size(); ++i) {
                if (used[i]) {
                    items.push_back(i);
                }
            }
            return items;
        };
        renumbered = rewritten(font.charStrings, kept, charStrings) &&
                     rewritten(font.globalSubrs, usedOf(globalUsed), globalSubrs);
        for (std::size_t fd = 0; renumbered && fd < font.fds.size(); ++fd) {
            renumbered = !font.fds[fd].subrs ||
                         rewritten(*font.fds[fd].subrs, usedOf(localUsed[fd]), localSubrs[fd]);
        }
    }
    if (!renumbered) {
        globalSubrs.clear();
        charStrings.clear();
        AppendSubrs(globalSubrs, data, font.globalSubrs, globalUsed);
        std::vector<std::string_view> items;
        for (std::size_t g : kept) {
            items.push_back(font.charStrings.Item(data, g));
        }
        AppendIndex(charStrings, items);
        for (std::size_t fd = 0; fd < font.fds.size(); ++fd) {
            localSubrs[fd].clear();
            if (font.fds[fd].subrs) {
                AppendSubrs(localSubrs[fd], data, *font.fds[fd].subrs, localUsed[fd]);
            }
        }
    }

    // The parts after the top DICT, each at an offset the DICTs name.
    const std::string strings(
        data.substr(font.strings.start, font.strings.end - font.strings.start));
    // Format 0: the CID of each glyph after .notdef, its old glyph id.
    std::string charset(1, '\0');
    for (std::size_t i = 1; i < kept.size(); ++i) {
        charset.push_back(static_cast<char>(kept[i] >> 8));
        charset.push_back(static_cast<char>(kept[i] & 0xFF));
    }
    // Format 3: ranges of glyphs of one font DICT, and the glyph count after them.
    std::string fdSelect(1, '\3');
    std::string ranges;
    std::size_t rangeCount = 0;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const std::uint8_t fd = font.fdOfGlyph[kept[i]];
        if (i == 0 || fd != font.fdOfGlyph[kept[i - 1]]) {
            ranges.push_back(static_cast<char>(i >> 8));
            ranges.push_back(static_cast<char>(i & 0xFF));
            ranges.push_back(static_cast<char>(fd));
            ++rangeCount;
        }
    }
    fdSelect.push_back(static_cast<char>(rangeCount >> 8));
    fdSelect.push_back(static_cast<char>(rangeCount & 0xFF));
    fdSelect += ranges;
    fdSelect.push_back(static_cast<char>(kept.size() >> 8));
    fdSelect.push_back(static_cast<char>(kept.size() & 0xFF));
    // Each font DICT's private DICT, with its subroutines right after it.
    std::vector<std::string> privates;
    std::vector<std::size_t> privateSizes; // the DICT alone, without the subroutines
    for (std::size_t i = 0; i < font.fds.size(); ++i) {
        const FontDict& fd = font.fds[i];
        std::string priv = CopyDict(data, fd.priv, {kSubrs});
        if (fd.subrs) {
            AppendInt5(priv, priv.size() + 6);
            AppendOperator(priv, kSubrs);
        }
        privateSizes.push_back(priv.size());
        priv += localSubrs[i];
        privates.push_back(std::move(priv));
    }
    std::vector<std::string> fontDicts;
    for (const FontDict& fd : font.fds) {
        fontDicts.push_back(CopyDict(data, fd.dict, {kPrivate}));
    }
    const std::string topCopy =
        CopyDict(data, font.top,
                 {kCharset, kEncoding, kCharStrings, kPrivate, kCidCount, kFdArray, kFdSelect});

    auto topDict = [&](std::size_t charsetAt, std::size_t fdSelectAt, std::size_t charStringsAt,
                       std::size_t fdArrayAt) {
        std::string top = topCopy;
        AppendInt5(top, charsetAt);
        AppendOperator(top, kCharset);
        AppendInt5(top, fdSelectAt);
        AppendOperator(top, kFdSelect);
        AppendInt5(top, charStringsAt);
        AppendOperator(top, kCharStrings);
        AppendInt5(top, fdArrayAt);
        AppendOperator(top, kFdArray);
        AppendInt5(top, std::max<std::size_t>(count, 8720));
        AppendOperator(top, kCidCount);
        return top;
    };
    auto fdArray = [&](const std::vector<std::size_t>& privateAt) {
        std::vector<std::string> dicts;
        for (std::size_t i = 0; i < fontDicts.size(); ++i) {
            std::string dict = fontDicts[i];
            AppendInt5(dict, privateSizes[i]);
            AppendInt5(dict, privateAt[i]);
            AppendOperator(dict, kPrivate);
            dicts.push_back(std::move(dict));
        }
        std::vector<std::string_view> items(dicts.begin(), dicts.end());
        std::string out;
        AppendIndex(out, items);
        return out;
    };

    // Every DICT writes its offsets in five bytes, so the sizes are known before the offsets.
    const std::string names(
        data.substr(font.nameIndexStart, font.topDicts.start - font.nameIndexStart));
    std::string topIndex;
    AppendIndex(topIndex, {topDict(0, 0, 0, 0)});
    const std::size_t charsetAt =
        4 + names.size() + topIndex.size() + strings.size() + globalSubrs.size();
    const std::size_t fdSelectAt = charsetAt + charset.size();
    const std::size_t charStringsAt = fdSelectAt + fdSelect.size();
    const std::size_t fdArrayAt = charStringsAt + charStrings.size();
    std::vector<std::size_t> privateAt(privates.size(), 0);
    std::size_t at = fdArrayAt + fdArray(privateAt).size();
    for (std::size_t i = 0; i < privates.size(); ++i) {
        privateAt[i] = at;
        at += privates[i].size();
    }

    std::string out = {1, 0, 4, 4};
    out += names;
    topIndex.clear();
    AppendIndex(topIndex, {topDict(charsetAt, fdSelectAt, charStringsAt, fdArrayAt)});
    out += topIndex;
    out += strings;
    out += globalSubrs;
    out += charset;
    out += fdSelect;
    out += charStrings;
    out += fdArray(privateAt);
    for (const std::string& priv : privates) {
        out += priv;
    }
    return out;
}

} // namespace qa
