#include "print/pdf_page_sink.h"

#include "print/cff_subset.h"
#include "print/truetype_subset.h"
#include "store/output_target.h"

#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainterPath>
#include <QTextLayout>

#include <zlib.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <unistd.h>

namespace qa {

namespace {

constexpr qsizetype kFlushBytes = 1 << 20;

void PutInt(char*& p, long long value) {
    p = std::to_chars(p, p + 24, value).ptr;
}

void PutNumber(char*& p, double value) {
    long long hundredths = std::llround(value * 100);
    if (hundredths < 0) {
        *p++ = '-';
        hundredths = -hundredths;
    }
    PutInt(p, hundredths / 100);
    const int fraction = static_cast<int>(hundredths % 100);
    if (fraction != 0) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) {
            *p++ = static_cast<char>('0' + fraction % 10);
        }
    }
}

// A coordinate as PutNumber writes it.
double Round2(double value) {
    return static_cast<double>(std::llround(value * 100)) / 100;
}

void PutStringByte(char*& p, unsigned char byte) {
    if (byte == '(' || byte == ')' || byte == '\\') {
        *p++ = '\\';
        *p++ = static_cast<char>(byte);
    } else if (byte == '\r') {
        *p++ = '\\';
        *p++ = 'r';
    } else {
        *p++ = static_cast<char>(byte);
    }
}

void AppendInt(QByteArray& out, long long value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr - buffer);
}

// Two decimals are a hundredth of a printer dot: finer than any device shows.
void AppendNumber(QByteArray& out, double value) {
    long long hundredths = std::llround(value * 100);
    if (hundredths < 0) {
        out.append('-');
        hundredths = -hundredths;
    }
    AppendInt(out, hundredths / 100);
    const int fraction = static_cast<int>(hundredths % 100);
    if (fraction != 0) {
        out.append('.');
        out.append(static_cast<char>('0' + fraction / 10));
        if (fraction % 10 != 0) {
            out.append(static_cast<char>('0' + fraction % 10));
        }
    }
}

// A byte inside a literal string: parentheses and backslashes escaped, and a carriage return,
// which a reader would turn into a line feed.
void AppendStringByte(QByteArray& out, unsigned char byte) {
    if (byte == '(' || byte == ')' || byte == '\\') {
        out.append('\\');
        out.append(static_cast<char>(byte));
    } else if (byte == '\r') {
        out.append("\\r", 2);
    } else {
        out.append(static_cast<char>(byte));
    }
}

// A PDF text string: printable ASCII as a literal, anything else as UTF-16 with its mark.
QByteArray TextString(const QString& text) {
    bool ascii = true;
    for (QChar c : text) {
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    }
    QByteArray out;
    if (ascii) {
        out.append('(');
        for (QChar c : text) {
            AppendStringByte(out, static_cast<unsigned char>(c.unicode()));
        }
        out.append(')');
        return out;
    }
    out.append("<FEFF");
    for (QChar c : text) {
        out.append(QByteArray::number(c.unicode() + 0x10000, 16).mid(1).toUpper());
    }
    out.append('>');
    return out;
}

QByteArray Hex4(std::uint32_t value) {
    return QByteArray::number(value + 0x10000, 16).right(4).toUpper();
}

// A font name as a PDF name: letters, digits and hyphens.
QByteArray FontName(const QRawFont& font) {
    QByteArray name;
    for (QChar c : font.familyName() + QLatin1Char('-') + font.styleName()) {
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-')) {
            name.append(static_cast<char>(c.unicode()));
        }
    }
    return name.isEmpty() ? QByteArray("Font") : name;
}

} // namespace

struct PdfPageSink::Face {
    QRawFont font; // one size of the face: the tables are the same at every size
    QByteArray resource;
    int fontId = 0;
    // Without them the face has no outlines this file can embed, and its glyphs are drawn as
    // filled outlines (seen, though not found by searching).
    std::optional<TrueTypeMetrics> metrics;
    bool cff = false;        // the outlines are a 'CFF ' table, not TrueType's
    std::vector<int> widths; // per glyph, in thousandths of the em
    std::vector<bool> used;
    // The characters each glyph was first drawn for, which a reader gets back for it.
    std::vector<bool> hasText;
    std::map<quint32, QString> texts;
};

PdfPageSink::PdfPageSink(QPaintDevice* device, const PdfPageGeometry& geometry)
    : ShapingPageSink(device), geometry_(geometry) {
    SetFont(QFont());
}

PdfPageSink::~PdfPageSink() {
    if (file_.isOpen()) {
        Abort();
    }
    if (deflate_) {
        deflateEnd(deflate_.get());
    }
}

std::optional<QByteArray> PdfPageSink::Deflate(const QByteArray& data, int level) {
    // One stream for the whole file, reset for each page: setting one up costs more than a
    // page's worth of compressing.
    if (!deflate_ || deflateLevel_ != level) {
        if (deflate_) {
            deflateEnd(deflate_.get());
        }
        deflate_ = std::make_unique<z_stream>();
        if (deflateInit(deflate_.get(), level) != Z_OK) {
            deflate_.reset();
            return std::nullopt;
        }
        deflateLevel_ = level;
    } else if (deflateReset(deflate_.get()) != Z_OK) {
        return std::nullopt;
    }
    z_stream& stream = *deflate_;
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(data.size()))),
                   Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
        return std::nullopt;
    }
    out.truncate(static_cast<qsizetype>(stream.total_out));
    return out;
}

void PdfPageSink::SetInfo(const QString& creator, const QString& title) {
    creator_ = creator;
    title_ = title;
}

int PdfPageSink::NewObject() {
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size()) - 1;
}

void PdfPageSink::StartObject(int id) {
    offsets_[static_cast<std::size_t>(id)] = written_ + out_.size();
    AppendInt(out_, id);
    out_.append(" 0 obj\n");
}

void PdfPageSink::Write(const QByteArray& bytes) {
    out_.append(bytes);
    if (out_.size() >= kFlushBytes) {
        Flush();
    }
}

void PdfPageSink::Flush() {
    if (out_.isEmpty()) {
        return;
    }
    if (!failed_ && file_.write(out_) != out_.size()) {
        failed_ = true;
    }
    written_ += out_.size();
    out_.clear();
}

void PdfPageSink::WriteStream(int id, const QByteArray& dictionary, const QByteArray& data,
                              int level) {
    std::optional<QByteArray> packed;
    if (level > 0) {
        packed = Deflate(data, level);
    }
    const QByteArray& body = packed ? *packed : data;
    StartObject(id);
    out_.append("<<");
    out_.append(dictionary);
    if (packed) {
        out_.append(" /Filter /FlateDecode");
    }
    out_.append(" /Length ");
    AppendInt(out_, body.size());
    out_.append(" >>\nstream\n");
    out_.append(body);
    Write("\nendstream\nendobj\n");
}

bool PdfPageSink::Open(const QString& path) {
    // Written beside the target and moved over it when finished: a report that fails half
    // way leaves an earlier file of that name as it was.
    path_ = path;
    file_.setFileName(
        QFile::decodeName(TempPathBeside(QFile::encodeName(path).toStdString()).c_str()));
    if (!file_.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        failed_ = true;
        return false;
    }
    offsets_.assign(1, 0);
    const int catalogId = NewObject();
    pagesId_ = NewObject();
    resourcesId_ = NewObject();
    // The second line tells transfer programs that the file is binary.
    out_.append("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    StartObject(catalogId);
    out_.append("<< /Type /Catalog /Pages ");
    AppendInt(out_, pagesId_);
    out_.append(" 0 R >>\nendobj\n");
    Flush();
    return !failed_;
}

bool PdfPageSink::BeginPage() {
    EndPage();
    if (failed_ || !file_.isOpen()) {
        return false;
    }
    pageOpen_ = true;
    inText_ = false;
    content_.clear();
    content_.reserve(1 << 16);
    // Device pixels, y downwards, from the device's origin on the page.
    const double scale = 72.0 / geometry_.resolution;
    content_.append("q ");
    AppendNumber(content_, scale);
    content_.append(" 0 0 ");
    AppendNumber(content_, -scale);
    content_.append(' ');
    AppendNumber(content_, geometry_.origin.x());
    content_.append(' ');
    AppendNumber(content_, geometry_.pageSize.height() - geometry_.origin.y());
    content_.append(" cm 0 w\n");
    return true;
}

void PdfPageSink::EndText() {
    if (inText_) {
        content_.append("ET\n");
        inText_ = false;
    }
}

void PdfPageSink::EndPage() {
    if (!pageOpen_) {
        return;
    }
    EndText();
    pageOpen_ = false;
    for (; clipDepth_ > 0; --clipDepth_) {
        content_.append("Q\n");
    }
    content_.append("Q\n");
    const int contentId = NewObject();
    const int pageId = NewObject();
    WriteStream(contentId, QByteArray(), content_, compression_);
    content_.clear();
    StartObject(pageId);
    out_.append("<< /Type /Page /Parent ");
    AppendInt(out_, pagesId_);
    out_.append(" 0 R /MediaBox [0 0 ");
    AppendNumber(out_, geometry_.pageSize.width());
    out_.append(' ');
    AppendNumber(out_, geometry_.pageSize.height());
    out_.append("] /Resources ");
    AppendInt(out_, resourcesId_);
    out_.append(" 0 R /Contents ");
    AppendInt(out_, contentId);
    Write(" 0 R >>\nendobj\n");
    pageIds_.push_back(pageId);
}

PdfPageSink::Face* PdfPageSink::FaceOf(const QRawFont& font) {
    if (lastFace_ && font == lastFont_) {
        return lastFace_;
    }
    const QString name = font.familyName() + QChar(0x1F) + font.styleName() + QChar(0x1F) +
                         QString::number(font.weight()) + QChar(0x1F) +
                         QString::number(static_cast<int>(font.style()));
    Face*& face = facesByName_[name];
    if (!face) {
        auto made = std::make_unique<Face>();
        made->font = font;
        auto tables = [&font](const char* tag) {
            const QByteArray table = font.fontTable(tag);
            return std::string(table.constData(), static_cast<std::size_t>(table.size()));
        };
        made->metrics = ReadTrueTypeMetrics(tables);
        if (!made->metrics) {
            // An OpenType face with CFF outlines (Noto CJK, the URW fonts) is embedded as a
            // CID font over its 'CFF ' table when the table reads whole.
            made->metrics = ReadFontMetrics(tables);
            // Read in place: the table of a CJK face is 16 MB.
            const QByteArray cff = font.fontTable("CFF ");
            made->cff = made->metrics &&
                        CffGlyphCount(std::string_view(cff.constData(),
                                                       static_cast<std::size_t>(cff.size()))) ==
                            made->metrics->numGlyphs;
            if (!made->cff) {
                made->metrics.reset();
            }
        }
        if (made->metrics) {
            const TrueTypeMetrics& metrics = *made->metrics;
            made->widths.reserve(metrics.advances.size());
            for (std::uint16_t advance : metrics.advances) {
                made->widths.push_back(
                    static_cast<int>(std::lround(advance * 1000.0 / metrics.unitsPerEm)));
            }
            made->used.assign(metrics.advances.size(), false);
            made->hasText.assign(metrics.advances.size(), false);
            made->resource = "F" + QByteArray::number(static_cast<int>(faces_.size()) + 1);
            made->fontId = NewObject();
        }
        face = made.get();
        faces_.push_back(std::move(made));
    }
    lastFont_ = font;
    lastFace_ = face;
    return face;
}

void PdfPageSink::DrawGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                             const QList<QPointF>& positions, const QString& text,
                             const QList<GlyphText>& chars) {
    const qsizetype count = std::min(glyphs.size(), positions.size());
    if (!pageOpen_ || count == 0) {
        return;
    }
    Face* face = FaceOf(font);
    if (!face->metrics) {
        DrawOutlines(*face, font, glyphs, positions);
        return;
    }
    const double size = font.pixelSize();
    if (!(size > 0)) {
        return;
    }
    // Written straight into the page's buffer: this runs for every row of the report. The
    // most one glyph can take is a new text matrix and its two bytes escaped.
    const qsizetype start = content_.size();
    content_.resize(start + 128 + face->resource.size() + count * 96);
    char* const begin = content_.data() + start;
    char* p = begin;
    auto put = [&p](const char* bytes, std::size_t length) {
        std::memcpy(p, bytes, length);
        p += length;
    };
    // Rows in the same font continue one text object, each moving the line's origin.
    const double x0 = Round2(positions[0].x());
    double y = Round2(positions[0].y());
    if (inText_ && textFace_ == face && textSize_ == size) {
        PutNumber(p, x0 - lineX_);
        *p++ = ' ';
        PutNumber(p, lineY_ - y);
        put(" Td [(", 6);
    } else {
        if (inText_) {
            put("ET\n", 3);
        }
        put("BT /", 4);
        put(face->resource.constData(), static_cast<std::size_t>(face->resource.size()));
        *p++ = ' ';
        PutNumber(p, size);
        put(" Tf 1 0 0 -1 ", 13);
        PutNumber(p, x0);
        *p++ = ' ';
        PutNumber(p, y);
        put(" Tm [(", 6);
        inText_ = true;
        textFace_ = face;
        textSize_ = size;
    }
    lineX_ = x0;
    lineY_ = y;
    double pen = x0;
    // Each glyph goes where the layout put it: the gap from where the previous glyph's width
    // leaves the pen is written as an adjustment, in thousandths of the font size.
    const double perUnit = size / 1000.0;
    const std::size_t glyphCount = face->widths.size();
    const int* widths = face->widths.data();
    for (qsizetype i = 0; i < count; ++i) {
        std::size_t glyph = glyphs[i];
        if (glyph >= glyphCount) {
            glyph = 0;
        }
        const QPointF& at = positions[i];
        if (std::abs(at.y() - y) > 0.005) {
            y = Round2(at.y());
            pen = Round2(at.x());
            put(")] TJ 1 0 0 -1 ", 15);
            PutNumber(p, pen);
            *p++ = ' ';
            PutNumber(p, y);
            put(" Tm [(", 6);
            lineX_ = pen;
            lineY_ = y;
        } else {
            const long long adjust = std::llround((pen - at.x()) / perUnit);
            if (adjust != 0) {
                *p++ = ')';
                PutInt(p, adjust);
                *p++ = '(';
                pen -= static_cast<double>(adjust) * perUnit;
            }
        }
        face->used[glyph] = true;
        if (!face->hasText[glyph] && i < chars.size()) {
            NoteText(*face, glyph, text, chars[i]);
        }
        PutStringByte(p, static_cast<unsigned char>(glyph >> 8));
        PutStringByte(p, static_cast<unsigned char>(glyph & 0xFF));
        pen += widths[glyph] * perUnit;
    }
    put(")] TJ\n", 6);
    content_.resize(start + (p - begin));
}

void PdfPageSink::NoteText(Face& face, std::size_t glyph, const QString& text,
                           const GlyphText& chars) {
    // Glyph 0 stands for every character the face lacks: no one text is its own.
    if (glyph == 0 || chars.count <= 0 || chars.from < 0 ||
        chars.from > text.size() - chars.count) {
        return;
    }
    face.hasText[glyph] = true;
    face.texts[static_cast<quint32>(glyph)] = text.mid(chars.from, chars.count);
}

void PdfPageSink::DrawOutlines(Face&, const QRawFont& font, const QList<quint32>& glyphs,
                               const QList<QPointF>& positions) {
    EndText();
    QByteArray& c = content_;
    for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
        const QPainterPath path = font.pathForGlyph(glyphs[i]).translated(positions[i]);
        if (path.isEmpty()) {
            continue;
        }
        for (int e = 0; e < path.elementCount(); ++e) {
            const QPainterPath::Element element = path.elementAt(e);
            AppendNumber(c, element.x);
            c.append(' ');
            AppendNumber(c, element.y);
            if (element.type == QPainterPath::MoveToElement) {
                c.append(" m\n");
            } else if (element.type == QPainterPath::LineToElement) {
                c.append(" l\n");
            } else if (element.type == QPainterPath::CurveToElement) {
                c.append(' ');
                for (int k = 1; k <= 2 && e + k < path.elementCount(); ++k) {
                    AppendNumber(c, path.elementAt(e + k).x);
                    c.append(' ');
                    AppendNumber(c, path.elementAt(e + k).y);
                    c.append(' ');
                }
                c.append("c\n");
                e += 2;
            } else {
                c.append(" l\n");
            }
        }
        c.append("f\n");
    }
}

void PdfPageSink::DrawLine(const QPoint& from, const QPoint& to) {
    if (!pageOpen_) {
        return;
    }
    EndText();
    AppendInt(content_, from.x());
    content_.append(' ');
    AppendInt(content_, from.y());
    content_.append(" m ");
    AppendInt(content_, to.x());
    content_.append(' ');
    AppendInt(content_, to.y());
    content_.append(" l S\n");
}

void PdfPageSink::PushClip(const QRect& rect) {
    if (!pageOpen_) {
        return;
    }
    EndText();
    content_.append("q ");
    AppendInt(content_, rect.x());
    content_.append(' ');
    AppendInt(content_, rect.y());
    content_.append(' ');
    AppendInt(content_, rect.width());
    content_.append(' ');
    AppendInt(content_, rect.height());
    content_.append(" re W n\n");
    ++clipDepth_;
}

void PdfPageSink::PopClip() {
    if (pageOpen_ && clipDepth_ > 0) {
        EndText();
        content_.append("Q\n");
        --clipDepth_;
    }
}

bool PdfPageSink::WriteFace(Face& face) {
    if (!face.metrics) {
        return true;
    }
    const TrueTypeMetrics& metrics = *face.metrics;
    const QRawFont& font = face.font;
    auto tables = [&font](const char* tag) {
        const QByteArray table = font.fontTable(tag);
        return std::string(table.constData(), static_cast<std::size_t>(table.size()));
    };
    std::string subset;
    if (face.cff) {
        const QByteArray cff = font.fontTable("CFF ");
        subset = SubsetCff(std::string_view(cff.constData(), static_cast<std::size_t>(cff.size())),
                           face.used);
    } else {
        subset = SubsetTrueType(tables, face.used);
    }
    if (subset.empty()) {
        return false;
    }
    // The subset's tag: six capitals that differ with the glyphs it holds.
    std::size_t hash = static_cast<std::size_t>(face.fontId) * 7919;
    for (std::size_t g = 0; g < face.used.size(); ++g) {
        if (face.used[g]) {
            hash = hash * 31 + g;
        }
    }
    QByteArray name;
    for (int i = 0; i < 6; ++i, hash /= 26) {
        name.append(static_cast<char>('A' + hash % 26));
    }
    name += '+' + FontName(font);

    const int cidId = NewObject();
    const int descriptorId = NewObject();
    const int fileId = NewObject();
    const int unicodeId = NewObject();
    auto design = [&metrics](int units) {
        return QByteArray::number(std::lround(units * 1000.0 / metrics.unitsPerEm));
    };
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : 1.0;

    StartObject(face.fontId);
    Write("<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
          " /Encoding /Identity-H /DescendantFonts [" + QByteArray::number(cidId) +
          " 0 R] /ToUnicode " + QByteArray::number(unicodeId) + " 0 R >>\nendobj\n");

    QByteArray widths;
    for (std::size_t g = 0; g < face.used.size();) {
        if (!face.used[g]) {
            ++g;
            continue;
        }
        widths += QByteArray::number(static_cast<qulonglong>(g)) + " [";
        for (; g < face.used.size() && face.used[g]; ++g) {
            widths += QByteArray::number(face.widths[g]) + ' ';
        }
        widths += "]\n";
    }
    // The character ids are the face's glyph ids: through the identity map for TrueType, and
    // as the CIDs the CFF subset's charset gives its glyphs.
    StartObject(cidId);
    Write("<< /Type /Font /Subtype " + QByteArray(face.cff ? "/CIDFontType0" : "/CIDFontType2") +
          " /BaseFont /" + name +
          " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
          " /FontDescriptor " +
          QByteArray::number(descriptorId) +
          (face.cff ? QByteArray(" 0 R") : QByteArray(" 0 R /CIDToGIDMap /Identity")) + " /DW " +
          QByteArray::number(face.widths.empty() ? 1000 : face.widths[0]) + " /W [" + widths +
          "] >>\nendobj\n");

    StartObject(descriptorId);
    Write("<< /Type /FontDescriptor /FontName /" + name + " /Flags 4 /FontBBox [" +
          design(metrics.xMin) + ' ' + design(metrics.yMin) + ' ' + design(metrics.xMax) + ' ' +
          design(metrics.yMax) + "] /ItalicAngle 0 /Ascent " +
          QByteArray::number(std::lround(font.ascent() * 1000 / pixels)) + " /Descent " +
          QByteArray::number(-std::lround(font.descent() * 1000 / pixels)) + " /CapHeight " +
          QByteArray::number(std::lround(font.capHeight() * 1000 / pixels)) + " /StemV 80 " +
          QByteArray(face.cff ? "/FontFile3 " : "/FontFile2 ") + QByteArray::number(fileId) +
          " 0 R >>\nendobj\n");

    const QByteArray fontFile(subset.data(), static_cast<qsizetype>(subset.size()));
    WriteStream(fileId,
                face.cff ? QByteArray(" /Subtype /CIDFontType0C")
                         : " /Length1 " + QByteArray::number(fontFile.size()),
                fontFile, 6);

    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    // Each glyph to the characters it was drawn for, in UTF-16 as the map holds them; a
    // ligature's several, up to the map's limit of 512 bytes.
    auto entry = face.texts.begin();
    while (entry != face.texts.end()) {
        QByteArray block;
        int n = 0;
        for (; entry != face.texts.end() && n < 100; ++entry, ++n) {
            block += '<' + Hex4(entry->first) + "> <";
            for (QChar c : QStringView(entry->second).left(256)) {
                block += Hex4(c.unicode());
            }
            block += ">\n";
        }
        cmap += QByteArray::number(n) + " beginbfchar\n" + block + "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    WriteStream(unicodeId, QByteArray(), cmap, 6);
    return true;
}

bool PdfPageSink::Finish() {
    EndPage();
    if (!file_.isOpen()) {
        return false;
    }
    bool fontsWritten = true;
    QByteArray fonts;
    for (const auto& face : faces_) {
        if (face->metrics) {
            fontsWritten = WriteFace(*face) && fontsWritten;
            fonts += " /" + face->resource + ' ' + QByteArray::number(face->fontId) + " 0 R";
        }
    }
    StartObject(resourcesId_);
    Write("<< /ProcSet [/PDF /Text] /Font <<" + fonts + " >> >>\nendobj\n");

    StartObject(pagesId_);
    out_.append("<< /Type /Pages /Count ");
    AppendInt(out_, static_cast<long long>(pageIds_.size()));
    out_.append(" /Kids [");
    for (int id : pageIds_) {
        AppendInt(out_, id);
        Write(" 0 R ");
    }
    Write("] >>\nendobj\n");

    const int infoId = NewObject();
    StartObject(infoId);
    QByteArray info = "<< /Producer " + TextString(QStringLiteral("QuorinA1c"));
    if (!creator_.isEmpty()) {
        info += " /Creator " + TextString(creator_);
    }
    if (!title_.isEmpty()) {
        info += " /Title " + TextString(title_);
    }
    Write(info + " >>\nendobj\n");

    const qint64 xref = written_ + out_.size();
    out_.append("xref\n0 ");
    AppendInt(out_, static_cast<long long>(offsets_.size()));
    out_.append("\n0000000000 65535 f \n");
    for (std::size_t id = 1; id < offsets_.size(); ++id) {
        out_.append(QByteArray::number(offsets_[id]).rightJustified(10, '0'));
        Write(" 00000 n \n");
    }
    out_.append("trailer\n<< /Size ");
    AppendInt(out_, static_cast<long long>(offsets_.size()));
    out_.append(" /Root 1 0 R /Info ");
    AppendInt(out_, infoId);
    out_.append(" 0 R >>\nstartxref\n");
    AppendInt(out_, xref);
    out_.append("\n%%EOF\n");
    Flush();
    // On the disk before it replaces anything: a crash then leaves the old file or the new.
    if (!file_.flush() || ::fsync(file_.handle()) != 0) {
        failed_ = true;
    }
    file_.close();
    if (file_.error() != QFileDevice::NoError) {
        failed_ = true;
    }
    if (failed_ || !fontsWritten) {
        file_.remove();
        return false;
    }
    return MoveIntoPlace(QFile::encodeName(file_.fileName()).toStdString(),
                         QFile::encodeName(path_).toStdString())
        .ok();
}

void PdfPageSink::Abort() {
    pageOpen_ = false;
    out_.clear();
    if (file_.isOpen()) {
        file_.close();
    }
    file_.remove();
}

} // namespace qa
