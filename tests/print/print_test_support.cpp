#include "print_test_support.h"

#include "print/print_dialog_service.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace qa::test {

int ScriptedPrintDialog::Exec(PrinterSelection& selection) {
    ++shown;
    seen = selection;
    if (answer == Answer::Cancel) {
        return kDialogCancel;
    }
    selection.printer = MakePdfPrinter(pdfPath_);
    selection.printer->setCopyCount(copies);
    selection.printToFile = answer == Answer::PrintToFile;
    lastPrinter = selection.printer;
    return kDialogOk;
}

bool ScriptedPrintDialog::AskOutputFile(QString& path) {
    ++namesAsked;
    if (!fileName) {
        return false;
    }
    path = *fileName;
    return true;
}

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

ToolRun RunToolFully(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

int PdfPageCount(const QString& path) {
    QString info = RunTool(QStringLiteral("pdfinfo"), {path});
    QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QStringList PdfPageTexts(const QString& path) {
    QString text = RunTool(QStringLiteral("pdftotext"),
                           {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QStringList pages = text.split(QChar('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

QString Normalized(const QString& text) {
    QString out = text;
    out.replace(QChar(0x01), QChar(' '));
    return out.simplified();
}

namespace {

QString HtmlUnescape(QString text) {
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

} // namespace

std::vector<PdfWord> PdfWords(const QString& path) {
    QString html =
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    std::vector<PdfWord> words;
    int page = -1;
    QRegularExpression pageStart(QStringLiteral("<page "));
    QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" "
                                           "xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">(.*)</word>"));
    for (const QString& line : html.split(QChar('\n'))) {
        if (line.contains(pageStart)) {
            ++page;
            continue;
        }
        QRegularExpressionMatch match = word.match(line);
        if (match.hasMatch()) {
            words.push_back(PdfWord{page, match.captured(1).toDouble(),
                                    match.captured(2).toDouble(), match.captured(3).toDouble(),
                                    match.captured(4).toDouble(), HtmlUnescape(match.captured(5))});
        }
    }
    return words;
}

double PdfPageWidth(const QString& path) {
    QString info = RunTool(QStringLiteral("pdfinfo"), {path});
    QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x")).match(info);
    return match.hasMatch() ? match.captured(1).toDouble() : 0;
}

namespace {

// Page `page` rendered in grey at 72 dpi: width, height and one byte per pixel.
struct GreyPage {
    int width = 0;
    int height = 0;
    QByteArray pixels;
};

GreyPage RenderGrey(const QString& path, int page) {
    QTemporaryDir dir;
    QString prefix = dir.filePath(QStringLiteral("page"));
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-gray"), QStringLiteral("-aaVector"), QStringLiteral("no"),
             QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
             QString::number(page), QStringLiteral("-l"), QString::number(page),
             QStringLiteral("-singlefile"), path, prefix});
    QFile file(prefix + QStringLiteral(".pgm"));
    GreyPage grey;
    if (!file.open(QIODevice::ReadOnly)) {
        return grey;
    }
    QByteArray data = file.readAll();
    // P5 header: magic, width, height, maximum, each separated by whitespace.
    QList<QByteArray> fields;
    int pos = 0;
    while (fields.size() < 4 && pos < data.size()) {
        while (pos < data.size() && QChar(data[pos]).isSpace()) {
            ++pos;
        }
        int start = pos;
        while (pos < data.size() && !QChar(data[pos]).isSpace()) {
            ++pos;
        }
        fields << data.mid(start, pos - start);
    }
    ++pos;
    int width = fields.value(1).toInt();
    int height = fields.value(2).toInt();
    if (fields.value(0) != "P5" || data.size() < pos + width * height) {
        return grey;
    }
    grey.width = width;
    grey.height = height;
    grey.pixels = data.mid(pos, width * height);
    return grey;
}

} // namespace

int DarkPixels(const QString& path, int page) {
    const GreyPage grey = RenderGrey(path, page);
    int dark = 0;
    for (char pixel : grey.pixels) {
        dark += static_cast<unsigned char>(pixel) < 128 ? 1 : 0;
    }
    return dark;
}

std::vector<double> HorizontalRules(const QString& path, int page, double fraction) {
    const GreyPage grey = RenderGrey(path, page);
    std::vector<double> rows;
    const auto* pixels = reinterpret_cast<const unsigned char*>(grey.pixels.constData());
    for (int y = 0; y < grey.height; ++y) {
        int dark = 0;
        for (int x = 0; x < grey.width; ++x) {
            dark += pixels[y * grey.width + x] < 200 ? 1 : 0;
        }
        if (dark >= fraction * grey.width) {
            rows.push_back(y);
        }
    }
    return rows;
}

} // namespace qa::test
