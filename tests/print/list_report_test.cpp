// The data report printed to PDF files and read back with poppler's tools.
#include "print/list_report.h"
#include "print/pdf_page_sink.h"
#include "print/print_dialog_service.h"
#include "print/report_header.h"
#include "print_test_support.h"
#include "status_text.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qa;
using namespace qa::test;

namespace {

const QDateTime kMonday(QDate(2016, 6, 20), QTime(14, 30));

// Seven columns whose screen widths make two groups on A4 at 600 dpi for a 96 dpi screen:
// column 0 plus 1-4, then column 0 plus 5-6.
TableReportSource SevenColumns() {
    TableReportSource source;
    source.AddColumn(QStringLiteral("Zero"), 250);
    for (int i = 1; i <= 6; ++i) {
        source.AddColumn(QStringLiteral("Head%1").arg(i), 900);
    }
    return source;
}

class ListReportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    ScriptedPrintDialog dialog{pdf};
    SettingsStore settings;

    int Print(const ReportSource& source) {
        ListReportJob job(&dialog);
        job.SetList(&source, false);
        job.SetSettings(settings);
        job.SetClock([] { return kMonday; });
        return job.Print();
    }

    std::vector<QString> PageTexts() {
        std::vector<QString> out;
        for (const QString& page : PdfPageTexts(pdf)) {
            out.push_back(Normalized(page));
        }
        return out;
    }

    // Rows of the seven-column report that fit on one page, measured on a long report: the
    // count depends on the font's line height, which the tests do not assume.
    int RowsPerPage();
};

void AddRows(TableReportSource& source, int count) {
    for (int i = 1; i <= count; ++i) {
        std::vector<QString> cells;
        cells.push_back(QStringLiteral("r%1").arg(i, 3, 10, QChar('0')));
        for (int c = 1; c < source.ColumnCount(); ++c) {
            cells.push_back(QStringLiteral("c%1x%2").arg(c).arg(i));
        }
        source.AddRow(cells);
    }
}

// Rows printed on one page, from the row keys r001, r002, ...
QStringList RowKeys(const QString& page) {
    QStringList keys;
    auto matches = QRegularExpression(QStringLiteral("\\br\\d{3}\\b")).globalMatch(page);
    while (matches.hasNext()) {
        keys << matches.next().captured(0);
    }
    return keys;
}

int ListReportTest::RowsPerPage() {
    TableReportSource source = SevenColumns();
    AddRows(source, 500);
    if (Print(source) != kPrintSpooled) {
        ADD_FAILURE() << "the measuring report did not print";
        return 0;
    }
    std::vector<QString> pages = PageTexts();
    const int rows = pages.empty() ? 0 : static_cast<int>(RowKeys(pages[0]).size());
    EXPECT_GT(rows, 10);
    EXPECT_LT(rows, 500) << "the measuring report must run over its first page";
    return rows;
}

} // namespace

TEST(ReportFontsTest, KoreanFontsAreInstalled) {
    EXPECT_FALSE(QFontDatabase::families(QFontDatabase::Korean).isEmpty());
}

TEST(ReportTextTest, HeaderDateAndTimeFollowTheSettings) {
    SettingsStore settings;
    const QString rest = QString(kUnitSeparator) + QStringLiteral("QuorinA1c Self Report") +
                         kRecordSeparator + QStringLiteral("Page 7");
    EXPECT_EQ(ListReportUnit::HeaderText(settings, kMonday, 7), "2016-06-20 Mon 02:30 PM" + rest);
    settings.dateFormat = 1;
    settings.timeFormat = 1;
    EXPECT_EQ(ListReportUnit::HeaderText(settings, kMonday, 7), "06/20/2016 Mon 14:30" + rest);
    settings.dateFormat = 2;
    EXPECT_EQ(ListReportUnit::HeaderText(settings, kMonday, 7), "20/06/2016 Mon 14:30" + rest);
    settings.dateFormat = 3;
    EXPECT_EQ(ListReportUnit::HeaderText(settings, kMonday, 7), " 14:30" + rest);
    settings.dateFormat = -1;
    settings.timeFormat = 0;
    EXPECT_EQ(ListReportUnit::HeaderText(settings, kMonday, 7), " 02:30 PM" + rest);
}

TEST(ReportTextTest, CellsAreCutAt199BytesWithoutSplittingACharacter) {
    EXPECT_EQ(CutToReportBytes(QString(199, 'a')), QString(199, 'a'));
    EXPECT_EQ(CutToReportBytes(QString(250, 'a')), QString(199, 'a'));
    // Hangul takes two bytes: 99 of them fit, the 100th would need bytes 199 and 200.
    EXPECT_EQ(CutToReportBytes(QString(150, QChar(0xAC00))), QString(99, QChar(0xAC00)));
    EXPECT_EQ(CutToReportBytes(QString(197, 'a') + QString(3, QChar(0xAC00))),
              QString(197, 'a') + QChar(0xAC00));
    // A character outside code page 949 counts as two bytes and is never split.
    QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(CutToReportBytes(QString(198, 'a') + emoji), QString(198, 'a'));
    EXPECT_EQ(CutToReportBytes(QString(197, 'a') + emoji + emoji), QString(197, 'a') + emoji);
}

TEST_F(ListReportTest, EmptyListPrintsOnePagePerGroupWithHeaderHeadingsRuleAndFooter) {
    TableReportSource source = SevenColumns();
    ASSERT_EQ(Print(source), kPrintSpooled);
    ASSERT_EQ(PdfPageCount(pdf), 2);
    std::vector<QString> pages = PageTexts();
    ASSERT_EQ(pages.size(), 2u);
    const QString footer = QStringLiteral("--- ") + kReportFooterCentre + " Data Report.";
    EXPECT_EQ(pages[0], "2016-06-20 Mon 02:30 PM QuorinA1c Self Report Page 1 "
                        "Zero Head1 Head2 Head3 Head4 " +
                            footer);
    EXPECT_EQ(pages[1], "2016-06-20 Mon 02:30 PM QuorinA1c Self Report Page 2 "
                        "Zero Head5 Head6 " +
                            footer);

    // Header: date at the left, title centred, page number at the right of the page.
    const double pageWidth = PdfPageWidth(pdf);
    const double border = 6.35 / 25.4 * 72;
    double headingsBottom = 0;
    for (const PdfWord& word : PdfWords(pdf)) {
        if (word.page != 0) {
            continue;
        }
        if (word.text == "2016-06-20") {
            EXPECT_NEAR(word.xMin, border, 2.0);
        } else if (word.text == "Self") {
            EXPECT_NEAR(word.xMin + (word.xMax - word.xMin) / 2, pageWidth / 2, 30.0);
        } else if (word.text == "1") {
            EXPECT_NEAR(word.xMax, pageWidth - border, 2.0);
        } else if (word.text == "Head1") {
            headingsBottom = word.yMax;
        }
    }
    ASSERT_GT(headingsBottom, 0);
    // The rule runs across the printable width just under the heading row.
    std::vector<double> rules = HorizontalRules(pdf, 1, 0.85);
    ASSERT_FALSE(rules.empty());
    EXPECT_GT(rules.front(), headingsBottom - 2);
    EXPECT_LT(rules.front(), headingsBottom + 6);
    EXPECT_EQ(HorizontalRules(pdf, 2, 0.85).size(), rules.size());
}

TEST_F(ListReportTest, ColumnsGroupByTheirScreenWidthAndTakeTheirShareOfThePage) {
    TableReportSource source = SevenColumns();
    // On a screen of twice the resolution the same pixels are half as wide: one group.
    source.SetScreenDotsPerInch(192);
    ASSERT_EQ(Print(source), kPrintSpooled);
    std::vector<QString> pages = PageTexts();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].contains("Zero Head1 Head2 Head3 Head4 Head5 Head6"));

    // Each column's left edge is its share of the group's screen width.
    const double border = 6.35 / 25.4 * 72;
    const double printable = PdfPageWidth(pdf) - 2 * border;
    const double total = 250 + 6 * 900;
    for (const PdfWord& word : PdfWords(pdf)) {
        if (word.text == "Head3") {
            EXPECT_NEAR(word.xMin, border + printable * (250 + 2 * 900) / total, 1.0);
        }
    }

    // A hidden column prints with no width: neither its heading nor its cells appear.
    source.SetScreenDotsPerInch(96);
    source.SetColumnVisible(2, false);
    AddRows(source, 1);
    ASSERT_EQ(Print(source), kPrintSpooled);
    pages = PageTexts();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_FALSE(pages[0].contains("Head2"));
    EXPECT_FALSE(pages[0].contains("c2x1"));
    EXPECT_TRUE(pages[0].contains("Zero Head1 Head3 Head4 Head5"));
    EXPECT_TRUE(pages[1].contains("Zero Head6"));
}

TEST_F(ListReportTest, SingleColumnListPrintsNoPage) {
    TableReportSource source;
    source.AddColumn(QStringLiteral("Only"), 100);
    AddRows(source, 3);
    EXPECT_EQ(Print(source), kPrintSpooled);
    EXPECT_FALSE(QFile::exists(pdf));

    EXPECT_FALSE(test::Why(PrintReportToPdf(source, settings, pdf)).empty());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(ListReportTest, FullPageBreaksBeforeTheNextRowAndRepeatsHeaderAndHeadings) {
    TableReportSource probe;
    probe.AddColumn(QStringLiteral("Key"), 100);
    probe.AddColumn(QStringLiteral("Value"), 100);
    AddRows(probe, 200);
    ASSERT_EQ(Print(probe), kPrintSpooled);
    const int perPage = RowKeys(PageTexts().at(0)).size();
    ASSERT_GT(perPage, 20);

    TableReportSource full;
    full.AddColumn(QStringLiteral("Key"), 100);
    full.AddColumn(QStringLiteral("Value"), 100);
    AddRows(full, perPage);
    ASSERT_EQ(Print(full), kPrintSpooled);
    EXPECT_EQ(PdfPageCount(pdf), 1);

    full.AddRow({QStringLiteral("last"), QStringLiteral("lastvalue")});
    ASSERT_EQ(Print(full), kPrintSpooled);
    std::vector<QString> pages = PageTexts();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(RowKeys(pages[0]).size(), perPage);
    EXPECT_TRUE(pages[0].endsWith(kReportFooterCentre + QStringLiteral(" Data Report.")));
    EXPECT_EQ(pages[1], QStringLiteral("2016-06-20 Mon 02:30 PM QuorinA1c Self Report Page 2 "
                                       "Key Value last lastvalue --- ") +
                            kReportFooterCentre + " Data Report.");
}

TEST_F(ListReportTest, PageNumbersContinueAcrossColumnGroups) {
    const int perPage = RowsPerPage();
    ASSERT_GT(perPage, 0);
    const int rowCount = perPage + perPage / 2; // two pages per group
    TableReportSource source = SevenColumns();
    AddRows(source, rowCount);
    ASSERT_EQ(Print(source), kPrintSpooled);
    std::vector<QString> pages = PageTexts();
    ASSERT_EQ(pages.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(pages[i].contains(QStringLiteral("Self Report Page %1 Zero").arg(i + 1)))
            << pages[i].toStdString();
    }
    EXPECT_TRUE(pages[1].contains("Head4"));
    EXPECT_TRUE(pages[2].contains("Zero Head5 Head6 r001 c5x1 c6x1"));
    // Every row appears once in each group, in list order.
    QStringList firstGroup = RowKeys(pages[0]) + RowKeys(pages[1]);
    QStringList secondGroup = RowKeys(pages[2]) + RowKeys(pages[3]);
    EXPECT_EQ(firstGroup.size(), rowCount);
    EXPECT_EQ(firstGroup, secondGroup);
    EXPECT_EQ(firstGroup.last(), QStringLiteral("r%1").arg(rowCount, 3, 10, QChar('0')));
}

TEST_F(ListReportTest, DateFormatOutsideItsListLeavesTheDateEmpty) {
    settings.dateFormat = 3;
    settings.timeFormat = 1;
    TableReportSource source = SevenColumns();
    ASSERT_EQ(Print(source), kPrintSpooled);
    std::vector<QString> pages = PageTexts();
    ASSERT_FALSE(pages.empty());
    EXPECT_TRUE(pages[0].startsWith("14:30 QuorinA1c Self Report Page 1"))
        << pages[0].toStdString();
    EXPECT_FALSE(pages[0].contains("2016"));
}

TEST_F(ListReportTest, LongAndKoreanCellsPrintCutAndReadable) {
    TableReportSource source;
    // The memo column takes nearly the whole width, so the cut text is not clipped as well.
    source.AddColumn(QStringLiteral("Name"), 40);
    source.AddColumn(QStringLiteral("Memo"), 960);
    source.AddRow({QStringLiteral("n1"), QString(199, 'i') + QStringLiteral("TAIL")});
    source.AddRow({QStringLiteral("n2"), QString::fromUtf8("홍길동 님의 기록")});
    source.AddRow({QStringLiteral("n3"), QStringLiteral("A&B <x> fine")});
    ASSERT_EQ(Print(source), kPrintSpooled);
    QString text = PageTexts().at(0);
    EXPECT_TRUE(text.contains(QString(199, 'i'))) << text.toStdString();
    EXPECT_FALSE(text.contains("TAIL"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("홍길동 님의 기록")));
    // Ampersands are text, not mnemonic prefixes; letters are not joined into ligatures.
    EXPECT_TRUE(text.contains("A&B <x> fine"));
    EXPECT_TRUE(RunTool("pdffonts", {pdf}).contains("Nanum"));
}

TEST_F(ListReportTest, DialogCancelAndCancelledFileNameEndTheReportSilently) {
    TableReportSource source = SevenColumns();
    AddRows(source, 5);
    dialog.answer = ScriptedPrintDialog::Answer::Cancel;
    EXPECT_EQ(PrintListReport(source, settings, dialog), kPrintCancelled);
    dialog.answer = ScriptedPrintDialog::Answer::PrintToFile;
    EXPECT_EQ(PrintListReport(source, settings, dialog), kPrintFileCancelled);
    EXPECT_FALSE(QFile::exists(pdf));

    // The report on the current printer shows no dialog.
    ListReportJob job(&dialog);
    job.SetList(&source, true);
    dialog.defaultPrinter = MakePdfPrinter(pdf);
    int shown = dialog.shown;
    EXPECT_EQ(job.Print(), kPrintSpooled);
    EXPECT_EQ(dialog.shown, shown);
    EXPECT_EQ(PdfPageCount(pdf), 2);
}

TEST_F(ListReportTest, PdfForTheCommandLine) {
    TableReportSource source = SevenColumns();
    AddRows(source, 3);
    ASSERT_EQ(test::Why(PrintReportToPdf(source, settings, pdf)), "");
    EXPECT_EQ(PdfPageCount(pdf), 2);
    const std::string error =
        test::Why(PrintReportToPdf(source, settings, dir.filePath("missing/report.pdf")));
    EXPECT_NE(error.find("missing/report.pdf"), std::string::npos) << error;
}

// Hidden columns after the last shown one, when the shown ones close a group of their own,
// used to make pages that print nothing but the number column.
TEST_F(ListReportTest, HiddenColumnsNeverFormAGroupOfTheirOwn) {
    TableReportSource source = SevenColumns();
    source.SetColumnVisible(5, false);
    source.SetColumnVisible(6, false);
    AddRows(source, 2);
    ASSERT_EQ(Print(source), kPrintSpooled);
    std::vector<QString> pages = PageTexts();
    ASSERT_EQ(pages.size(), 1u) << "no page of the hidden columns";
    EXPECT_TRUE(pages[0].contains("Zero Head1 Head2 Head3 Head4"));
    EXPECT_TRUE(pages[0].contains("c4x2"));
}

namespace {

// The program's own PDF output, failing when the second page starts.
class FailingSink : public PdfPageSink {
public:
    using PdfPageSink::PdfPageSink;
    bool BeginPage() override { return ++pages_ < 2 && PdfPageSink::BeginPage(); }

private:
    int pages_ = 0;
};

} // namespace

// A report that fails, or whose target is refused, leaves an earlier file of that name as it
// was; a finished one replaces it.
TEST_F(ListReportTest, AFailedReportKeepsTheEarlierFile) {
    TableReportSource source = SevenColumns();
    AddRows(source, 2);
    {
        QFile earlier(pdf);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }
    const auto read = [this] {
        QFile file(pdf);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    {
        ListReportJob job(&dialog);
        job.SetList(&source, false);
        job.SetSettings(settings);
        job.SetPdfSinkFactory([](QPaintDevice* device, const PdfPageGeometry& geometry) {
            return std::make_unique<FailingSink>(device, geometry);
        });
        EXPECT_EQ(job.Print(), kPrintNoPrinter);
    }
    EXPECT_EQ(read(), QByteArray("earlier"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file left: "
        << QDir(dir.path()).entryList(QDir::Hidden).join(' ').toStdString();
    {
        // A report into the data folder is refused before anything is written.
        ListReportJob job(&dialog);
        job.SetList(&source, false);
        job.SetSettings(settings);
        job.SetDataFolder(dir.path().toStdString());
        EXPECT_EQ(job.Print(), kPrintNoPrinter);
        EXPECT_NE(test::Why(job.OutputStatus()).find("data folder"), std::string::npos)
            << test::Why(job.OutputStatus());
    }
    EXPECT_EQ(read(), QByteArray("earlier"));
    ASSERT_EQ(Print(source), kPrintSpooled);
    EXPECT_EQ(read().left(5), QByteArray("%PDF-"));
}

// A clinic name longer than its third of the line ends in "…" there instead of running into
// the subject beside it.
TEST_F(ListReportTest, LongHeaderTextsAreCutWithinTheirField) {
    TableReportSource source = SevenColumns();
    source.SetScreenDotsPerInch(192);
    AddRows(source, 1);
    ReportContext context;
    context.clinic = QString(60, QChar(0xD55C)); // 한 ...
    context.operatorId = QStringLiteral("op");
    context.subject = QStringLiteral("SUBJECTWORD");
    context.period = QStringLiteral("PERIODWORD");
    ListReportJob job(&dialog);
    job.SetList(&source, false);
    job.SetSettings(settings);
    job.SetContext(context);
    ASSERT_EQ(job.Print(), kPrintSpooled);
    double clinicEnd = 0;
    double subjectStart = 0;
    for (const PdfWord& word : PdfWords(pdf)) {
        if (word.text.contains(QChar(0x2026))) {
            clinicEnd = word.xMax;
        }
        if (word.text == "SUBJECTWORD") {
            subjectStart = word.xMin;
        }
    }
    ASSERT_GT(clinicEnd, 0) << "the clinic name ends in an ellipsis";
    ASSERT_GT(subjectStart, 0);
    EXPECT_LT(clinicEnd, subjectStart);
}
