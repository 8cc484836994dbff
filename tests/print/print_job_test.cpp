// The print framework printed to real PDF files and read back with poppler's tools.
#include "print/print_unit.h"
#include "print_test_support.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace qa;
using namespace qa::test;

namespace {

class ScriptJob : public PrintJob {
public:
    using PrintJob::PrintJob;
    std::function<void(ScriptJob&)> body;

protected:
    void PrintDocument() override {
        if (body) {
            body(*this);
        }
    }
};

// A unit with one body font, a header "Header" US "Title" RS "Page n", a footer, and the
// columns a test gives it.
class TestUnit : public PrintUnit {
public:
    struct Column {
        QString heading;
        double share;
        unsigned flags;
    };

    explicit TestUnit(PrintJob* job, std::vector<Column> columns = {{"Col", 0.5, kColumnNarrow}})
        : PrintUnit(job), columns_(std::move(columns)) {}

    FontPair font;
    bool headingsOnEachPage = false;

    void CreateFonts() override {
        font.printer = QFont(QStringLiteral("NanumGothic"));
        font.printer.setPointSizeF(10);
        font.screen = font.printer;
    }
    void ComputeMetrics() override {
        textLineHeight_ = QFontMetrics(font.printer, Job()->Device()).height();
        headingRowHeight_ = textLineHeight_;
        headerLineHeight_ = footerLineHeight_ = textLineHeight_;
        headerBandHeight_ = footerBandHeight_ = 2 * textLineHeight_;
        ComputePrintableRect();
    }
    void DefineColumns() override {
        int k = 0;
        for (const Column& column : columns_) {
            InsertColumn(ColumnSpec{k++, column.heading, column.share, column.flags}, 0);
        }
        AssignColumnPositions();
    }
    void StartPage() override {
        PrintUnit::StartPage();
        if (headingsOnEachPage) {
            PrintHeadings(0, 0);
        }
    }
    void PrintHeader() override {
        FontSelector select(Job()->Sink(), &font.printer);
        PrintHeaderText(QStringLiteral("Header") + kUnitSeparator + QStringLiteral("Title") +
                        kRecordSeparator +
                        QStringLiteral("Page %1").arg(Job()->Info()->currentPage));
    }
    void PrintFooter() override {
        FontSelector select(Job()->Sink(), &font.printer);
        PrintFooterText(QStringLiteral("Footer"));
    }

    // Fonts, metrics, columns, the first page, and the body font selected from here on.
    void Begin() {
        PrintUnit::Print();
        StartPage();
        Job()->Sink()->SetFont(font.printer);
        SetCurrentFont(&font);
    }

private:
    std::vector<Column> columns_;
};

class PrintJobTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    ScriptedPrintDialog dialog{pdf};

    int Run(const std::function<void(ScriptJob&)>& body) {
        ScriptJob job(&dialog);
        job.body = body;
        return job.Print();
    }
};

QStringList WordsMatching(const QString& text, const QString& pattern) {
    QStringList found;
    auto matches = QRegularExpression(pattern).globalMatch(text);
    while (matches.hasNext()) {
        found << matches.next().captured(0);
    }
    return found;
}

} // namespace

TEST(TextSegmenterTest, ControlCodesSplitAlignAndLead) {
    auto segments = [](const QString& text) {
        std::vector<std::pair<int, TextSegment>> out;
        TextSegmenter segmenter(text);
        TextSegment segment;
        for (int result; (result = segmenter.Next(segment)) != TextSegmenter::kNoMore;) {
            out.emplace_back(result, segment);
            if (out.size() > 20) {
                break;
            }
        }
        return out;
    };

    auto aligned = segments(QStringLiteral("A") + kUnitSeparator + QStringLiteral("B") +
                            kRecordSeparator + QStringLiteral("C"));
    ASSERT_EQ(aligned.size(), 3u);
    EXPECT_EQ(aligned[0].second.text, "A");
    EXPECT_EQ(aligned[0].second.alignment, kTextLeft);
    EXPECT_EQ(aligned[1].second.text, "B");
    EXPECT_EQ(aligned[1].second.alignment, kTextCenter);
    EXPECT_EQ(aligned[2].second.text, "C");
    EXPECT_EQ(aligned[2].second.alignment, kTextRight);

    // Doubled codes are the characters themselves; a lone FS only marks the next segment.
    auto doubled =
        segments(QStringLiteral("A") + kFieldSeparator + kFieldSeparator + QStringLiteral("B") +
                 kUnitSeparator + kUnitSeparator + kRecordSeparator + kRecordSeparator);
    ASSERT_EQ(doubled.size(), 1u);
    EXPECT_EQ(doubled[0].second.text, QStringLiteral("A") + kFieldSeparator + QStringLiteral("B") +
                                          kUnitSeparator + kRecordSeparator);
    EXPECT_FALSE(doubled[0].second.leader);

    auto leader = segments(QStringLiteral("Intro") + kFieldSeparator + kRecordSeparator +
                           QStringLiteral("12"));
    ASSERT_EQ(leader.size(), 2u);
    EXPECT_EQ(leader[0].second.text, "Intro");
    EXPECT_FALSE(leader[0].second.leader);
    EXPECT_EQ(leader[1].second.text, "12");
    EXPECT_TRUE(leader[1].second.leader);
    EXPECT_EQ(leader[1].second.alignment, kTextRight);

    // A line feed ends its segment with its own result and puts the next one on a new line,
    // left-aligned again; a trailing one leaves an empty last line.
    auto lines = segments(kRecordSeparator + QStringLiteral("R\nL\n"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].first, TextSegmenter::kSegmentEndedByLf);
    EXPECT_EQ(lines[1].second.alignment, kTextRight);
    EXPECT_EQ(lines[2].second.text, "L");
    EXPECT_TRUE(lines[2].second.newLine);
    EXPECT_EQ(lines[2].second.alignment, kTextLeft);
    EXPECT_TRUE(lines[3].second.newLine);
    EXPECT_TRUE(lines[3].second.text.isEmpty());

    // An empty text is one empty segment; a NUL ends the text as it always has.
    EXPECT_EQ(segments(QString()).size(), 1u);
    auto cut = segments(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd"));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].second.text, "ab");
}

TEST_F(PrintJobTest, ResultCodesAndWhatEachLeavesBehind) {
    // The body prints a page, so any file that appears was written by the job.
    auto onePage = [](ScriptJob& job) {
        TestUnit unit(&job);
        unit.Begin();
        unit.PrintCell(0, QStringLiteral("body"), 0);
        unit.EndRow(true);
        unit.EndPage();
    };

    dialog.answer = ScriptedPrintDialog::Answer::Cancel;
    EXPECT_EQ(Run(onePage), kPrintCancelled);
    EXPECT_FALSE(QFile::exists(pdf));

    dialog.answer = ScriptedPrintDialog::Answer::PrintToFile;
    dialog.fileName.reset();
    EXPECT_EQ(Run(onePage), kPrintFileCancelled);
    EXPECT_EQ(dialog.namesAsked, 1);
    EXPECT_FALSE(QFile::exists(pdf));

    QString named = dir.filePath(QStringLiteral("named.pdf"));
    dialog.fileName = named;
    EXPECT_EQ(Run(onePage), kPrintSpooled);
    EXPECT_TRUE(QFile::exists(named));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(PdfPageCount(named), 1);

    // A path that cannot be written is refused before anything is laid out.
    dialog.answer = ScriptedPrintDialog::Answer::Ok;
    QString missing = dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
    ScriptedPrintDialog badPath(missing);
    ScriptJob badJob(&badPath);
    bool bodyRan = false;
    badJob.body = [&](ScriptJob&) { bodyRan = true; };
    EXPECT_EQ(badJob.Print(), kPrintNoPrinter);
    EXPECT_FALSE(bodyRan);

    // Without a dialog the current printer is used; with none there is nothing to print on.
    ScriptJob noDialog(nullptr);
    EXPECT_EQ(noDialog.Print(), kPrintNoPrinter);

    // The copies chosen in the dialog go to the printer and are reset after the job.
    dialog.copies = 3;
    EXPECT_EQ(Run(onePage), kPrintSpooled);
    ASSERT_TRUE(dialog.lastPrinter);
    EXPECT_EQ(dialog.lastPrinter->copyCount(), 1);
    // The dialog was offered the whole page range.
    EXPECT_EQ(dialog.seen.fromPage, dialog.seen.minPage);
    EXPECT_EQ(dialog.seen.toPage, dialog.seen.maxPage);
}

TEST_F(PrintJobTest, JobWithoutPagesWritesNoFile) {
    QFile::remove(pdf);
    EXPECT_EQ(Run([](ScriptJob&) {}), kPrintSpooled);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PrintJobTest, RowReachingTheBottomStaysAndOneUnitMoreBreaksThePage) {
    int pagesAfterExactFit = 0;
    int pagesAfterOneMore = 0;
    ASSERT_EQ(Run([&](ScriptJob& job) {
                  TestUnit unit(&job);
                  unit.headingsOnEachPage = true;
                  unit.Begin();
                  const int bottom = job.PrintableRect().bottom;
                  const int height = unit.TextLineHeight();
                  ASSERT_GT(height, 0);
                  // With no margins the header band starts at the top of the printable area.
                  EXPECT_EQ(job.Info()->drawingRect.top, 0);

                  job.Cursor().setY(bottom - height);
                  EXPECT_FALSE(unit.EnsureSpace(-2));
                  unit.PrintCell(0, QStringLiteral("exactrow"), 0);
                  unit.EndRow(true);
                  EXPECT_EQ(job.Cursor().y(), bottom);
                  pagesAfterExactFit = job.Info()->currentPage;

                  job.Cursor().setY(bottom - height + 1);
                  EXPECT_TRUE(unit.EnsureSpace(-2));
                  pagesAfterOneMore = job.Info()->currentPage;
                  unit.PrintCell(0, QStringLiteral("nextpage"), 0);
                  unit.EndRow(true);
                  unit.EndPage();
              }),
              kPrintSpooled);
    EXPECT_EQ(pagesAfterExactFit, 1);
    EXPECT_EQ(pagesAfterOneMore, 2);
    QStringList pages = PdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 2);
    QString first = Normalized(pages[0]);
    QString second = Normalized(pages[1]);
    EXPECT_TRUE(first.contains("exactrow"));
    EXPECT_FALSE(first.contains("nextpage"));
    EXPECT_TRUE(first.startsWith("Header Title Page 1 Col"));
    EXPECT_TRUE(first.endsWith("Footer"));
    EXPECT_EQ(second, "Header Title Page 2 Col nextpage Footer");
}

TEST_F(PrintJobTest, TextBlockPlacesSegmentsLeftCentreRightAndDrawsLeaders) {
    ASSERT_EQ(
        Run([&](ScriptJob& job) {
            TestUnit unit(&job);
            unit.Begin();
            const DeviceRect& printable = job.PrintableRect();
            TextBlock block;
            block.left = printable.left;
            block.right = printable.right;
            block.top = job.Cursor().y();
            block.flags = kBlockEnsureSpace | kBlockEndRow;
            block.text = QStringLiteral("Aleft") + kUnitSeparator + QStringLiteral("Bcentre") +
                         kRecordSeparator + QStringLiteral("Cright");
            unit.PrintTextBlock(block);
            block.top = job.Cursor().y();
            block.text =
                QStringLiteral("Intro") + kFieldSeparator + kRecordSeparator + QStringLiteral("12");
            unit.PrintTextBlock(block);
            block.top = job.Cursor().y();
            block.text = QStringLiteral("Two") + kFieldSeparator + kFieldSeparator +
                         QStringLiteral("Separators") + kRecordSeparator + QStringLiteral("End");
            unit.PrintTextBlock(block);
            // An empty block still takes its line.
            int before = job.Cursor().y();
            block.text.clear();
            unit.PrintTextBlock(block);
            EXPECT_EQ(job.Cursor().y() - before, unit.TextLineHeight());
            unit.EndPage();
        }),
        kPrintSpooled);

    const double pageWidth = PdfPageWidth(pdf);
    const double border = 6.35 / 25.4 * 72; // the printer's unprintable border in points
    auto word = [&](const QString& text) {
        for (const PdfWord& w : PdfWords(pdf)) {
            if (w.text == text) {
                return w;
            }
        }
        ADD_FAILURE() << "not printed: " << text.toStdString();
        return PdfWord{};
    };
    PdfWord left = word("Aleft");
    PdfWord centre = word("Bcentre");
    PdfWord right = word("Cright");
    EXPECT_NEAR(left.xMin, border, 2.0);
    EXPECT_NEAR((centre.xMin + centre.xMax) / 2, pageWidth / 2, 2.0);
    EXPECT_NEAR(right.xMax, pageWidth - border, 2.0);
    EXPECT_NEAR(left.yMin, centre.yMin, 0.5);
    EXPECT_NEAR(left.yMin, right.yMin, 0.5);

    QStringList pages = PdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 1);
    QString text = Normalized(pages[0]);
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Intro ?\\.{20,} ?12"))))
        << text.toStdString();
    // The doubled FS prints as a character of the text, not as a leader.
    QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("Two.*Separators.*End")).match(text);
    ASSERT_TRUE(line.hasMatch()) << text.toStdString();
    EXPECT_FALSE(line.captured(0).contains(QStringLiteral("..")));
}

TEST_F(PrintJobTest, WrappedCellContinuesOnFollowingPagesWithoutLosingText) {
    QStringList words;
    for (int i = 1; i <= 900; ++i) {
        words << QStringLiteral("w%1").arg(i, 3, 10, QChar('0'));
    }
    int pages = 0;
    ASSERT_EQ(Run([&](ScriptJob& job) {
                  TestUnit unit(&job, {{"Key", 0.2, kColumnNarrow},
                                       {"Notes", 0.3, kColumnNarrow | kColumnRichText}});
                  unit.headingsOnEachPage = true;
                  unit.Begin();
                  // The row starts half-way down the first page.
                  job.Cursor().setY((job.PrintableRect().top + job.PrintableRect().bottom) / 2);
                  unit.PrintCell(0, QStringLiteral("k1"), 0);
                  unit.PrintCell(1, words.join(' '), 0);
                  EXPECT_TRUE(unit.EndRow(true));
                  unit.PrintCell(0, QStringLiteral("after"), 0);
                  unit.EndRow(true);
                  unit.EndPage();
                  pages = job.Info()->currentPage - 1;
              }),
              kPrintSpooled);
    ASSERT_GE(pages, 3);
    QStringList texts = PdfPageTexts(pdf);
    ASSERT_EQ(texts.size(), pages);
    QStringList printed = WordsMatching(texts.join(' '), QStringLiteral("\\bw\\d{3}\\b"));
    EXPECT_EQ(printed.join(' ').toStdString(), words.join(' ').toStdString());
    for (int page = 1; page < pages; ++page) {
        // Every continued page repeats header and headings above the rest of the cell.
        QString text = Normalized(texts[page]);
        EXPECT_TRUE(
            text.startsWith(QStringLiteral("Header Title Page %1 Key Notes w").arg(page + 1)))
            << text.toStdString();
    }
    EXPECT_TRUE(Normalized(texts.last()).contains(QRegularExpression("w900 after Footer$")));
}

TEST_F(PrintJobTest, LineTallerThanAPageStillEndsTheJob) {
    FontPair huge;
    huge.printer = QFont(QStringLiteral("NanumGothic"));
    huge.printer.setPointSizeF(1000); // a line taller than the A4 page
    huge.screen = huge.printer;
    int pages = 0;
    ASSERT_EQ(Run([&](ScriptJob& job) {
                  TestUnit unit(&job, {{"Notes", 0.9, kColumnRichText}});
                  unit.Begin();
                  unit.SetCurrentFont(&huge);
                  unit.PrintCell(0, QStringLiteral("X Y"), 0);
                  unit.EndRow(true);
                  unit.EndPage();
                  pages = job.Info()->currentPage - 1;
              }),
              kPrintSpooled);
    EXPECT_LE(pages, 3);
}

TEST_F(PrintJobTest, WrapIfNeededWrapsOnlyTextWiderThanItsCell) {
    int shortHeight = 0;
    int longHeight = 0;
    int line = 0;
    ASSERT_EQ(Run([&](ScriptJob& job) {
                  TestUnit unit(&job, {{"Col", 0.25, kColumnNarrow}});
                  unit.Begin();
                  line = unit.TextLineHeight();
                  unit.PrintCell(0, QStringLiteral("short"), kWrapIfNeeded);
                  shortHeight = unit.RowHeightUsed();
                  unit.EndRow(true);
                  unit.PrintCell(0,
                                 QStringLiteral("alpha bravo charlie delta echo foxtrot golf "
                                                "hotel india juliet kilo lima mike"),
                                 kWrapIfNeeded);
                  longHeight = unit.RowHeightUsed();
                  unit.EndRow(true);
                  unit.EndPage();
              }),
              kPrintSpooled);
    EXPECT_EQ(shortHeight, line);
    EXPECT_GE(longHeight, 2 * line * 9 / 10);
    QString text = PdfPageTexts(pdf).value(0);
    QStringList lines = text.split('\n');
    auto lineOf = [&](const QString& word) {
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].contains(word)) {
                return i;
            }
        }
        return -1;
    };
    EXPECT_GE(lineOf("alpha"), 0);
    EXPECT_GT(lineOf("mike"), lineOf("alpha"));
}

TEST_F(PrintJobTest, HeadingsAreCutNotWrappedAndPrintedOnceAfterABreak) {
    const QString longHeading =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ");
    ASSERT_EQ(
        Run([&](ScriptJob& job) {
            TestUnit unit(&job, {{"First", 0.3, kColumnNarrow}, {longHeading, 0.1, kColumnNarrow}});
            unit.headingsOnEachPage = true;
            unit.Begin();
            // A heading row that does not fit breaks the page; the new page's own
            // heading row must not be followed by a second one.
            job.Cursor().setY(job.PrintableRect().bottom - 1);
            unit.PrintHeadings(0, 0);
            unit.PrintCell(0, QStringLiteral("row"), 0);
            unit.EndRow(true);
            unit.EndPage();
        }),
        kPrintSpooled);
    QStringList pages = PdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 2);
    QString second = Normalized(pages[1]);
    EXPECT_EQ(second.count(QStringLiteral("First")), 1) << second.toStdString();
    QRegularExpressionMatch cut =
        QRegularExpression(QStringLiteral("First (ABC[A-Z]*) row")).match(second);
    ASSERT_TRUE(cut.hasMatch()) << second.toStdString();
    EXPECT_LT(cut.captured(1).size(), longHeading.size());
    EXPECT_FALSE(second.contains(QChar(0x2026)));
}

TEST_F(PrintJobTest, PageNumbersContinueAcrossUnitsOfOneJob) {
    ASSERT_EQ(Run([&](ScriptJob& job) {
                  for (int u = 0; u < 2; ++u) {
                      TestUnit unit(&job);
                      unit.Begin();
                      unit.PrintCell(0, QStringLiteral("unit%1").arg(u), 0);
                      unit.EndRow(true);
                      unit.NewPage();
                      unit.EndPage();
                  }
                  EXPECT_EQ(job.Info()->currentPage, 5);
                  EXPECT_EQ(job.Info()->pageCounter, 5);
              }),
              kPrintSpooled);
    QStringList pages = PdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(
            Normalized(pages[i]).startsWith(QStringLiteral("Header Title Page %1").arg(i + 1)));
    }
    EXPECT_TRUE(pages[2].contains("unit1"));
}
