// The data report's own PDF output, read back with poppler's and qpdf's tools and compared
// with the same report drawn through Qt's PDF engine; and the font subsets it embeds, loaded
// back by FreeType.
#include "print/list_report.h"
#include "print/pdf_page_sink.h"
#include "print/print_dialog_service.h"
#include "print/truetype_subset.h"
#include "print_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QRawFont>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace qa;
using namespace qa::test;

namespace {

const QDateTime kMonday(QDate(2016, 6, 20), QTime(14, 30));

class PdfOutputTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString own = dir.filePath(QStringLiteral("own.pdf"));
    QString qt = dir.filePath(QStringLiteral("qt.pdf"));
    SettingsStore settings;
    std::optional<ReportContext> context;

    int Print(const ReportSource& source, const QString& path, bool qtOutput) {
        ScriptedPrintDialog dialog(path);
        ListReportJob job(&dialog);
        job.SetList(&source, false);
        job.SetSettings(settings);
        job.SetClock([] { return kMonday; });
        job.SetQtPdfOutput(qtOutput);
        if (context) {
            job.SetContext(*context);
        }
        return job.Print();
    }

    // Both outputs of one report.
    void PrintBoth(const ReportSource& source) {
        ASSERT_EQ(Print(source, own, false), kPrintSpooled);
        ASSERT_EQ(Print(source, qt, true), kPrintSpooled);
    }
};

// The file passes qpdf's structural check (cross-reference offsets, object syntax, streams)
// and poppler reads it without complaint.
void ExpectSoundPdf(const QString& path) {
    ToolRun check = RunToolFully(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
    EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
    EXPECT_TRUE(check.err.isEmpty()) << check.err.toStdString();
    ToolRun text = RunToolFully(QStringLiteral("pdftotext"), {path, QStringLiteral("/dev/null")});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.err.isEmpty()) << text.err.toStdString();
    EXPECT_TRUE(RunTool(QStringLiteral("pdfinfo"), {path}).contains(QStringLiteral("QuorinA1c")));
}

// Every font of the file as pdffonts lists it: of `type`, embedded, a subset, with a Unicode
// map.
QStringList EmbeddedFonts(const QString& path,
                          const QString& type = QStringLiteral("CID TrueType")) {
    QStringList names;
    const QStringList lines = RunTool(QStringLiteral("pdffonts"), {path}).split(QChar('\n'));
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList fields = lines[i].simplified().split(QChar(' '));
        if (fields.size() < 7) {
            continue;
        }
        EXPECT_TRUE(lines[i].contains(type)) << lines[i].toStdString();
        EXPECT_TRUE(lines[i].contains(QStringLiteral("Identity-H"))) << lines[i].toStdString();
        // emb, sub and uni come just before the object number.
        EXPECT_EQ(fields.mid(fields.size() - 5, 3).join(' '), QStringLiteral("yes yes yes"))
            << lines[i].toStdString();
        names << fields[0];
    }
    return names;
}

// Characters whose glyph in the body font has a byte that a PDF literal string must escape
// (parentheses, backslash) or that a reader would change (carriage return): the glyph ids are
// written as two bytes each.
QString CharactersWithAwkwardGlyphBytes() {
    QFont font(QStringLiteral("NanumGothic"));
    font.setPointSizeF(9);
    const QRawFont raw = QRawFont::fromFont(font);
    QString found;
    for (unsigned char awkward : {'(', ')', '\\', '\r'}) {
        for (char16_t c = 0x21; c < 0xD7A4; c = c == 0x7E ? 0xAC00 : c + 1) {
            const QList<quint32> glyphs = raw.glyphIndexesForString(QString(QChar(c)));
            if (glyphs.size() == 1 && glyphs[0] != 0 &&
                ((glyphs[0] >> 8) == awkward || (glyphs[0] & 0xFF) == awkward)) {
                found += QChar(c);
                break;
            }
        }
    }
    return found;
}

std::vector<QString> Pages(const QString& path) {
    std::vector<QString> pages;
    for (const QString& page : PdfPageTexts(path)) {
        pages.push_back(Normalized(page));
    }
    return pages;
}

} // namespace

TEST_F(PdfOutputTest, EveryRowReadsBackInOrderWhateverItsCharacters) {
    const QString awkward = CharactersWithAwkwardGlyphBytes();
    ASSERT_EQ(awkward.size(), 4) << "glyph ids with each awkward byte exist in NanumGothic";
    const QStringList ids = {QStringLiteral("P\"1\""),   QStringLiteral("back\\slash\\"),
                             QStringLiteral("(paren)"),  QStringLiteral("a)b(c"),
                             QStringLiteral("))(("),     QStringLiteral("x&y<z>"),
                             QStringLiteral("%comment"), awkward,
                             QStringLiteral("/Name"),    QStringLiteral("BT ET Tj")};
    const QStringList names = {QString::fromUtf8("홍길동"), QString::fromUtf8("김 철수"),
                               QStringLiteral("Smith"), QString::fromUtf8("이영희(母)")};
    TableReportSource source;
    source.AddColumn(QStringLiteral("No."), 80);
    source.AddColumn(QStringLiteral("Patient ID"), 180);
    source.AddColumn(QStringLiteral("Name"), 180);
    const int rows = 230; // several pages
    for (int i = 0; i < rows; ++i) {
        source.AddRow({QStringLiteral("r%1").arg(i + 1, 3, 10, QChar('0')), ids[i % ids.size()],
                       names[i % names.size()]});
    }
    ASSERT_EQ(Print(source, own, false), kPrintSpooled);
    ExpectSoundPdf(own);

    std::vector<QString> pages = Pages(own);
    ASSERT_GT(pages.size(), 2u);
    EXPECT_EQ(PdfPageCount(own), static_cast<int>(pages.size()));
    QString all;
    for (const QString& page : pages) {
        all += page + QChar(' ');
    }
    qsizetype at = 0;
    for (int i = 0; i < rows; ++i) {
        const QString row = QStringLiteral("r%1 ").arg(i + 1, 3, 10, QChar('0')) +
                            ids[i % ids.size()] + QChar(' ') + names[i % names.size()] + QChar(' ');
        const qsizetype found = all.indexOf(row, at);
        ASSERT_GE(found, 0) << "row " << i + 1 << " " << row.toStdString() << " missing after "
                            << all.mid(at, 200).toStdString();
        at = found + row.size();
    }
    const QStringList fonts = EmbeddedFonts(own);
    EXPECT_TRUE(fonts.filter(QStringLiteral("NanumGothic")).size() >= 2)
        << fonts.join(' ').toStdString();
    EXPECT_TRUE(fonts.filter(QStringLiteral("NanumMyeongjo")).size() >= 1);
}

TEST_F(PdfOutputTest, PagesMatchQtsOutputWordForWord) {
    context = ReportContext{QString::fromUtf8("서울 내과의원"), QStringLiteral("Basis"),
                            QStringLiteral("Result kind: HbA1c"),
                            QStringLiteral("2016-01-01 - 2016-06-20")};
    TableReportSource source;
    source.AddColumn(QStringLiteral("No."), 80);
    source.AddColumn(QStringLiteral("Date"), 150);
    source.AddColumn(QStringLiteral("Result"), 180);
    source.AddColumn(QStringLiteral("Patient ID"), 180);
    for (int i = 0; i < 150; ++i) {
        source.AddRow(
            {QString::number(i + 1), QStringLiteral("2016-06-%1").arg(1 + i % 28),
             i % 9 == 0 ? QStringLiteral("> 14.0") : QStringLiteral("6.%1 %").arg(i % 10),
             i % 5 == 0 ? QString::fromUtf8("환자%1").arg(i) : QStringLiteral("PID%1").arg(i)});
    }
    PrintBoth(source);
    ExpectSoundPdf(own);
    ASSERT_EQ(PdfPageCount(own), PdfPageCount(qt));
    EXPECT_EQ(Pages(own), Pages(qt));
    // The header's second line with Hangul, and the English title, come back as text.
    EXPECT_TRUE(
        Pages(own).at(0).contains(QString::fromUtf8("Clinic: 서울 내과의원 Operator: Basis")));
    EXPECT_TRUE(Pages(own).at(0).contains(QStringLiteral("QuorinA1c Self Report Page 1")));

    const std::vector<PdfWord> ownWords = PdfWords(own);
    const std::vector<PdfWord> qtWords = PdfWords(qt);
    // Qt's engine leaves spaces out of the text it writes, so a cell like "6.1 %" is one word
    // there and two here; each word of either file must start or end where the other's does.
    auto covered = [](const PdfWord& word, const std::vector<PdfWord>& others) {
        return std::any_of(others.begin(), others.end(), [&word](const PdfWord& other) {
            if (other.page != word.page || std::abs(other.yMin - word.yMin) > 0.2) {
                return false;
            }
            return (other.text.startsWith(word.text) && std::abs(other.xMin - word.xMin) < 0.2) ||
                   (word.text.startsWith(other.text) && std::abs(other.xMin - word.xMin) < 0.2) ||
                   (other.text.endsWith(word.text) && std::abs(other.xMax - word.xMax) < 0.2) ||
                   (word.text.endsWith(other.text) && std::abs(other.xMax - word.xMax) < 0.2);
        });
    };
    ASSERT_GT(qtWords.size(), 500u);
    for (const PdfWord& word : ownWords) {
        EXPECT_TRUE(covered(word, qtWords)) << word.text.toStdString() << " at " << word.xMin;
    }
    for (const PdfWord& word : qtWords) {
        EXPECT_TRUE(covered(word, ownWords)) << word.text.toStdString() << " at " << word.xMin;
    }
    for (int page = 1; page <= 2; ++page) {
        EXPECT_EQ(HorizontalRules(own, page, 0.85), HorizontalRules(qt, page, 0.85));
    }
}

TEST_F(PdfOutputTest, EmptyAndExactlyFullReportsHaveQtsPages) {
    TableReportSource source;
    source.AddColumn(QStringLiteral("Key"), 100);
    source.AddColumn(QStringLiteral("Value"), 100);
    PrintBoth(source);
    EXPECT_EQ(PdfPageCount(own), 1);
    EXPECT_EQ(Pages(own), Pages(qt));

    for (int i = 0; i < 300; ++i) {
        source.AddRow({QStringLiteral("k%1").arg(i), QStringLiteral("v%1").arg(i)});
    }
    ASSERT_EQ(Print(source, qt, true), kPrintSpooled);
    const QStringList firstPage =
        Pages(qt).at(0).split(QChar(' ')).filter(QRegularExpression(QStringLiteral("^k\\d+$")));
    const int perPage = static_cast<int>(firstPage.size());
    ASSERT_GT(perPage, 20);

    TableReportSource full;
    full.AddColumn(QStringLiteral("Key"), 100);
    full.AddColumn(QStringLiteral("Value"), 100);
    for (int i = 0; i < 2 * perPage; ++i) {
        full.AddRow({QStringLiteral("k%1").arg(i), QStringLiteral("v%1").arg(i)});
    }
    PrintBoth(full);
    EXPECT_EQ(PdfPageCount(own), 2);
    EXPECT_EQ(Pages(own), Pages(qt));
    full.AddRow({QStringLiteral("one"), QStringLiteral("more")});
    PrintBoth(full);
    EXPECT_EQ(PdfPageCount(own), 3);
    EXPECT_EQ(Pages(own), Pages(qt));
    ExpectSoundPdf(own);
}

TEST_F(PdfOutputTest, CharactersTheReportFontLacksComeFromAFallbackFont) {
    // Armenian is not in the Nanum fonts; the layout takes it from another installed font,
    // which the file embeds beside them.
    const QString armenian = QString::fromUtf8("Բարև");
    TableReportSource source;
    source.AddColumn(QStringLiteral("No."), 80);
    source.AddColumn(QStringLiteral("Name"), 300);
    source.AddRow({QStringLiteral("1"), armenian + QString::fromUtf8(" 홍길동")});
    PrintBoth(source);
    ExpectSoundPdf(own);
    EXPECT_TRUE(Pages(own).at(0).contains(armenian + QString::fromUtf8(" 홍길동")))
        << Pages(own).at(0).toStdString();
    EXPECT_EQ(Pages(own), Pages(qt));
    const QStringList fonts = EmbeddedFonts(own);
    EXPECT_EQ(fonts.filter(QStringLiteral("Nanum")).size() + 1, fonts.size())
        << fonts.join(' ').toStdString();
}

TEST_F(PdfOutputTest, FilesStaySmall) {
    TableReportSource source;
    source.AddColumn(QStringLiteral("No."), 80);
    source.AddColumn(QStringLiteral("Name"), 300);
    for (int i = 0; i < 2000; ++i) {
        source.AddRow({QString::number(i), QString::fromUtf8("홍길동 %1").arg(i)});
    }
    PrintBoth(source);
    // Fonts cut to the glyphs used: far below the 4 MB of each Nanum font file.
    EXPECT_LT(QFileInfo(own).size(), 400 * 1024);
    EXPECT_LT(QFileInfo(own).size(), QFileInfo(qt).size() * 2);
}

TEST(TrueTypeSubsetTest, KeepsUsedGlyphsAndTheComponentsOfComposites) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(100);
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());
    auto tables = [&raw](const char* tag) {
        const QByteArray table = raw.fontTable(tag);
        return std::string(table.constData(), static_cast<std::size_t>(table.size()));
    };
    const std::optional<TrueTypeMetrics> metrics = ReadTrueTypeMetrics(tables);
    ASSERT_TRUE(metrics.has_value());
    // Accented letters are built from a base letter and an accent in this font.
    const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUtf8("éx"));
    ASSERT_EQ(glyphs.size(), 2);
    std::vector<bool> used(static_cast<std::size_t>(metrics->numGlyphs), false);
    used[glyphs[0]] = true;

    const std::string subset = SubsetTrueType(tables, used);
    ASSERT_FALSE(subset.empty());
    const QRawFont loaded(QByteArray(subset.data(), static_cast<qsizetype>(subset.size())), 100);
    ASSERT_TRUE(loaded.isValid());
    const QPainterPath original = raw.pathForGlyph(glyphs[0]);
    const QPainterPath kept = loaded.pathForGlyph(glyphs[0]);
    ASSERT_FALSE(original.isEmpty());
    EXPECT_EQ(kept.boundingRect(), original.boundingRect());
    EXPECT_EQ(kept.elementCount(), original.elementCount());
    EXPECT_TRUE(loaded.pathForGlyph(glyphs[1]).isEmpty()) << "an unused glyph is dropped";
    int drawn = 0;
    for (quint32 g = 1; g <= glyphs[0]; ++g) {
        drawn += loaded.pathForGlyph(g).isEmpty() ? 0 : 1;
    }
    EXPECT_GE(drawn, 3) << "the letter and its components";
    EXPECT_LT(subset.size(), 20'000u);
}

namespace {

// One line of `text` in `font` at 10 mm from the page's top-left corner, through the own
// output or Qt's PDF engine.
void DrawLine(const QString& path, const QFont& font, const QString& text, bool qtEngine) {
    std::shared_ptr<QPrinter> printer = MakePdfPrinter(path);
    if (qtEngine) {
        QPainter painter(printer.get());
        painter.setFont(font);
        painter.drawText(QPoint(240, 240 + QFontMetrics(font, printer.get()).ascent()), text);
        return;
    }
    PdfPageSink sink(printer.get(), PdfPageGeometry{QSizeF(595.28, 841.89), QPointF(0, 0), 600});
    ASSERT_TRUE(sink.Open(path));
    ASSERT_TRUE(sink.BeginPage());
    sink.SetFont(font);
    sink.DrawText(QPoint(240, 240 + sink.FontMetrics().ascent()), text);
    ASSERT_TRUE(sink.Finish());
}

// The same with the glyphs of a face loaded from its file, one for each character.
void DrawGlyphLine(const QString& path, const QRawFont& font, const QString& text, bool qtEngine) {
    std::shared_ptr<QPrinter> printer = MakePdfPrinter(path);
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    ASSERT_EQ(glyphs.size(), text.size());
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    QList<GlyphText> chars;
    QPointF pen(240, 240 + font.ascent());
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        positions.push_back(pen);
        pen += advances[i];
        chars.push_back(GlyphText{static_cast<qint32>(i), 1});
    }
    if (qtEngine) {
        QPainter painter(printer.get());
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.drawGlyphRun(QPointF(0, 0), run);
        return;
    }
    PdfPageSink sink(printer.get(), PdfPageGeometry{QSizeF(595.28, 841.89), QPointF(0, 0), 600});
    ASSERT_TRUE(sink.Open(path));
    ASSERT_TRUE(sink.BeginPage());
    sink.DrawGlyphs(font, glyphs, positions, text, chars);
    ASSERT_TRUE(sink.Finish());
}

QString TextOf(const QString& path) {
    return Normalized(RunTool(QStringLiteral("pdftotext"), {path, QStringLiteral("-")})).trimmed();
}

} // namespace

// Faces with CFF outlines (Noto Sans CJK, the Hangul face of many systems, and the URW fonts
// fontconfig gives for Arial or Helvetica) are embedded as CID fonts: their text is found and
// copied as drawn, and the glyphs look as Qt's own PDF engine draws them, so every outline and
// the subroutines it calls came through the cut.
TEST(PdfPageSinkTest, FacesWithCffOutlinesAreEmbeddedAsText) {
    QTemporaryDir dir;
    const QString own = dir.filePath(QStringLiteral("own.pdf"));
    const QString qt = dir.filePath(QStringLiteral("qt.pdf"));
    struct Case {
        const char* family;
        QFont::Weight weight;
        QString text;
        qint64 largest; // bytes of the file
        int lighter;    // percent fewer dark pixels than in Qt's output, at most
    };
    const Case cases[] = {
        {"Noto Sans CJK KR", QFont::Normal,
         QString::fromUtf8("홍길동 HbA1c 6.5 % 김철수 (母) 똠방각하"), 40 * 1024, 5},
        {"Noto Serif CJK KR", QFont::Bold, QString::fromUtf8("서울 내과의원 Page 12"), 200 * 1024,
         5},
        // fontconfig offers this face as Type 1 and as OpenType: the OpenType file is read
        // itself. Qt's engine fills these glyphs as paths, which come out bolder at 72 dpi.
        {"Nimbus Sans", QFont::Normal, QStringLiteral("Patient (P\\1) 6.5 % ok"), 100 * 1024, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        QFont font(QString::fromLatin1(c.family));
        font.setPointSizeF(24);
        font.setWeight(c.weight);
        const bool file = QString::fromLatin1(c.family).startsWith(QStringLiteral("Nimbus"));
        const QRawFont raw = file ? QRawFont(QStringLiteral("/usr/share/fonts/opentype/urw-base35/"
                                                            "NimbusSans-Regular.otf"),
                                             200)
                                  : QRawFont::fromFont(font);
        ASSERT_EQ(raw.familyName(), QString::fromLatin1(c.family))
            << "installed by scripts/setup (fonts-noto-cjk, fonts-urw-base35)";
        ASSERT_TRUE(raw.fontTable("loca").isEmpty() && !raw.fontTable("CFF ").isEmpty());

        if (file) {
            DrawGlyphLine(own, raw, c.text, false);
            DrawGlyphLine(qt, raw, c.text, true);
        } else {
            DrawLine(own, font, c.text, false);
            DrawLine(qt, font, c.text, true);
        }
        ExpectSoundPdf(own);
        EXPECT_EQ(TextOf(own), c.text);
        const QStringList fonts = EmbeddedFonts(own, QStringLiteral("CID Type 0C"));
        ASSERT_EQ(fonts.size(), 1);
        EXPECT_TRUE(fonts[0].contains(QString::fromLatin1(c.family).remove(QChar(' '))))
            << fonts[0].toStdString();
        // A CJK face holds 65,535 glyphs and its table 16 MB: only those drawn are kept, with
        // the subroutines they call.
        EXPECT_LT(QFileInfo(own).size(), c.largest);
        const int ownDark = DarkPixels(own, 1);
        const int qtDark = DarkPixels(qt, 1);
        EXPECT_GT(ownDark, 500);
        EXPECT_GE(ownDark * 100, qtDark * (100 - c.lighter))
            << "the glyphs render as Qt's engine draws them: " << ownDark << " " << qtDark;
        EXPECT_LE(ownDark * 100, qtDark * 105);
    }
}

// A Type 1 face (no font tables) has nothing this file embeds: its glyphs are drawn as shapes.
TEST(PdfPageSinkTest, FacesWithoutFontTablesAreDrawnAsShapes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("type1.pdf"));
    QFont font(QStringLiteral("Nimbus Sans"));
    font.setPointSizeF(40);
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.fontTable("CFF ").isEmpty()) {
        GTEST_SKIP() << "fontconfig gives the OpenType file of Nimbus Sans here";
    }
    DrawLine(path, font, QStringLiteral("HHHH"), false);
    ExpectSoundPdf(path);
    EXPECT_TRUE(EmbeddedFonts(path).isEmpty());
    // Four capitals of 40 points: well over a thousand dark pixels at 72 dpi.
    EXPECT_GT(DarkPixels(path, 1), 1000);
}

// The characters a reader gets back are those each glyph was drawn for, not what the face's
// character map would guess: a ligature gives back its letters.
TEST(PdfPageSinkTest, ShapedGlyphsGiveBackTheCharactersTheyWereDrawnFor) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ligatures.pdf"));
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSizeF(24);
    const QString text = QStringLiteral("office fluffy affine");
    QTextLayout layout(text, font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    qsizetype glyphs = 0;
    for (const QGlyphRun& run : line.glyphRuns()) {
        glyphs += run.glyphIndexes().size();
    }
    ASSERT_LT(glyphs, text.size()) << "the face sets ligatures for fi, fl or ff";

    const QList<QList<GlyphText>> chars = GlyphTextsOf(line, text, line.glyphRuns());
    qsizetype covered = 0;
    for (const QList<GlyphText>& run : chars) {
        for (const GlyphText& glyph : run) {
            covered += glyph.count;
        }
    }
    EXPECT_EQ(covered, text.size()) << "every character belongs to exactly one glyph";

    DrawLine(path, font, text, false);
    ExpectSoundPdf(path);
    EXPECT_EQ(TextOf(path), text);
}

// The file is made beside the target and moved over it only when whole: an earlier report of
// that name survives a report that is abandoned, and nothing half-written is left behind.
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(PdfPageSinkTest, AnEarlierFileSurvivesAnAbandonedReport) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier report");
    earlier.close();
    std::shared_ptr<QPrinter> printer = MakePdfPrinter(path);
    const PdfPageGeometry geometry{QSizeF(595.28, 841.89), QPointF(0, 0), 600};
    const QStringList alone = {QStringLiteral("report.pdf")};
    {
        PdfPageSink sink(printer.get(), geometry);
        ASSERT_TRUE(sink.Open(path));
        ASSERT_TRUE(sink.BeginPage());
        sink.SetFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        sink.DrawText(QPoint(600, 1200), QStringLiteral("half done"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
            << "the new file is another one until it is finished";
        sink.Abort();
    }
    EXPECT_EQ(ReadAll(path), QByteArray("earlier report"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), alone);
    {
        PdfPageSink dropped(printer.get(), geometry);
        ASSERT_TRUE(dropped.Open(path));
        ASSERT_TRUE(dropped.BeginPage()); // destroyed unfinished, as when a job is torn down
    }
    EXPECT_EQ(ReadAll(path), QByteArray("earlier report"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), alone);

    PdfPageSink sink(printer.get(), geometry);
    ASSERT_TRUE(sink.Open(path));
    ASSERT_TRUE(sink.BeginPage());
    sink.SetFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    sink.DrawText(QPoint(600, 1200), QStringLiteral("finished"));
    ASSERT_TRUE(sink.Finish());
    ExpectSoundPdf(path);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), alone);
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0)
        << "a report of patients' results is the owner's alone";
}
