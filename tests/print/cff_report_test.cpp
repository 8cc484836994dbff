// The data report of the command line on a system whose Hangul font has CFF outlines (Noto
// Sans CJK, the default of many distributions) instead of the Nanum faces it asks for: the
// program runs in its own process under a font configuration without Nanum.
#include "print_test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qa::test;

namespace {

ToolRun RunWith(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ToolRun run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
    }
    return run;
}

} // namespace

TEST(CffReportTest, ReportInACffHangulFontReadsBackAsPrinted) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    const QString cli = QStringLiteral(QA_CLI_PATH);
    const QProcessEnvironment plain = QProcessEnvironment::systemEnvironment();
    ToolRun created =
        RunWith(cli, {QStringLiteral("--data-dir"), data, QStringLiteral("list")}, plain);
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
    QString rows;
    for (int i = 0; i < 60; ++i) {
        rows += QStringLiteral("('201606%1','1430','0%2','%3'),")

                    .arg(10 + i % 20)
                    .arg(550 + i)
                    .arg(i % 3 == 0   ? QStringLiteral("환자%1").arg(i)
                         : i % 3 == 1 ? QStringLiteral("홍길동A%1").arg(i)
                                      : QStringLiteral("PID-%1").arg(i));
    }
    rows.chop(1);
    ToolRun inserted =
        RunWith(QStringLiteral("sqlite3"),
                {data + QStringLiteral("/Basis_HbA1c.sqlite"),
                 QStringLiteral("INSERT INTO HospitalTlb (DATE,TIME,HbA1c_VALUE,PID) "
                                "VALUES ") +
                     rows + QChar(';')},
                plain);
    ASSERT_EQ(inserted.exitCode, 0) << inserted.err.toStdString();

    QProcessEnvironment noto = plain;
    noto.insert(QStringLiteral("FONTCONFIG_FILE"), QStringLiteral(QA_NOTO_FONTS_CONF));
    const QString cffPath = dir.filePath(QStringLiteral("cff.pdf"));
    const QString nanumPath = dir.filePath(QStringLiteral("nanum.pdf"));
    for (const auto& [path, environment] :
         {std::pair{cffPath, noto}, std::pair{nanumPath, plain}}) {
        ToolRun report = RunWith(cli,
                                 {QStringLiteral("--data-dir"), data, QStringLiteral("report"),
                                  QStringLiteral("--out"), path},
                                 environment);
        ASSERT_EQ(report.exitCode, 0) << report.err.toStdString();
    }

    ToolRun check = RunToolFully(QStringLiteral("qpdf"), {QStringLiteral("--check"), cffPath});
    EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
    const QStringList fonts = RunTool(QStringLiteral("pdffonts"), {cffPath})
                                  .split(QChar('\n'))
                                  .mid(2)
                                  .filter(QStringLiteral("+"));
    ASSERT_GE(fonts.size(), 2) << "the body, headings and header fonts";
    for (const QString& font : fonts) {
        EXPECT_TRUE(font.contains(QStringLiteral("CJKKR")) &&
                    font.contains(QStringLiteral("CID Type 0C")) &&
                    font.simplified().contains(QStringLiteral("yes yes yes")))
            << font.toStdString();
    }

    const QStringList pages = PdfPageTexts(cffPath);
    ASSERT_FALSE(pages.isEmpty());
    const QString text = Normalized(pages.join(QChar(' ')));
    EXPECT_TRUE(text.contains(QStringLiteral("QuorinA1c 자가 보고서"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("번호 날짜 시간 결과 eAG 환자ID")));
    for (const QString& id : {QStringLiteral("환자0"), QStringLiteral("홍길동A58"),
                              QStringLiteral("PID-59"), QStringLiteral("환자57")}) {
        EXPECT_TRUE(text.contains(QChar(' ') + id + QChar(' '))) << id.toStdString();
    }
    // Row for row what the same report in the Nanum faces gives (the taller CJK face puts
    // fewer rows on a page).
    auto rowsOf = [](const QString& all) {
        QStringList found;
        static const QRegularExpression row(
            QStringLiteral("(?:^| )(\\d+ \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d [AP]M \\d\\.\\d % \\d+ "
                           "mg/dL \\S+)(?= |$)"));
        for (auto match = row.globalMatch(all); match.hasNext();) {
            found << match.next().captured(1);
        }
        return found;
    };
    const QStringList cffRows = rowsOf(text);
    EXPECT_EQ(cffRows.size(), 60);
    EXPECT_EQ(cffRows, rowsOf(Normalized(PdfPageTexts(nanumPath).join(QChar(' ')))));
}
