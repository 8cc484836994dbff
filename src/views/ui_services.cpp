#include "views/ui_services.h"

#include "widgets/program_palette.h"

#include "i18n/message_text.h"

#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <cstdio>

namespace qa {

QString ImagePath(int id) {
    static const QHash<int, QString> paths = [] {
        QHash<int, QString> found;
        const QDir dir(":/images");
        for (const QString& name : dir.entryList({"*.png"}, QDir::Files)) {
            int underscore = name.lastIndexOf('_');
            bool ok = false;
            int number = name.mid(underscore + 1, name.size() - underscore - 5).toInt(&ok);
            if (underscore > 0 && ok && !found.contains(number)) {
                found.insert(number, dir.filePath(name));
            }
        }
        return found;
    }();
    return paths.value(id);
}

QString ImagePath(int id, Language language) {
    const QString path = ImagePath(id);
    if (language == Language::English && path.endsWith(QLatin1String(".png"))) {
        QString english = path;
        english.insert(english.size() - 4, QLatin1String("_en"));
        if (QFile::exists(english)) {
            return english;
        }
    }
    return path;
}

QIcon AppIcon() {
    QIcon icon;
    const QDir dir(":/images");
    for (const QString& name : dir.entryList({"app_icon_128_*.png"}, QDir::Files)) {
        // QIcon adds the "@2x" file of each size itself.
        if (!name.contains(QLatin1Char('@'))) {
            icon.addFile(dir.filePath(name));
        }
    }
    return icon;
}

namespace {

// Support and scripts read what the operator was told from the error stream, one line each.
void Log(const std::string& caption, const std::string& text) {
    QString line = QString::fromStdString(text);
    line.replace("\r\n", " ").replace('\n', ' ');
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), line.toUtf8().constData());
}

} // namespace

std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* parent, const std::string& text,
                                             const std::string& caption, bool defaultNo) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QString::fromStdString(caption),
                                             QString::fromStdString(text),
                                             QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    box->setEscapeButton(QMessageBox::No);
    ApplyProgramPalette(box.get());
    return box;
}

bool QtPrompter::Confirm(const Message& text, const Message& caption) {
    const std::string t = MessageUtf8(text);
    const std::string c = MessageUtf8(caption);
    Log(c, t);
    return MakeQuestionBox(parent_, t, c, false)->exec() == QMessageBox::Yes;
}

bool QtPrompter::ConfirmDefaultNo(const Message& text, const Message& caption) {
    const std::string t = MessageUtf8(text);
    const std::string c = MessageUtf8(caption);
    Log(c, t);
    return MakeQuestionBox(parent_, t, c, true)->exec() == QMessageBox::Yes;
}

void QtPrompter::Inform(const Message& text, const Message& caption, Severity severity) {
    Log(MessageUtf8(caption), MessageUtf8(text));
    QString t = MessageText(text);
    QString c = MessageText(caption);
    const QMessageBox::Icon icon = severity == Severity::Information ? QMessageBox::Information
                                   : severity == Severity::Warning   ? QMessageBox::Warning
                                                                     : QMessageBox::Critical;
    QMessageBox box(icon, c, t, QMessageBox::Ok, parent_);
    ApplyProgramPalette(&box);
    box.exec();
}

std::unique_ptr<QMessageBox> MakeRetryBox(QWidget* parent, const QString& text,
                                          const QString& caption) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, caption, text,
                                             QMessageBox::NoButton, parent);
    // The program's own words, so the buttons follow the operator's language like the text.
    QPushButton* retry = box->addButton(QCoreApplication::translate("qa::QtPrompter", "다시 시도"),
                                        QMessageBox::AcceptRole);
    QPushButton* cancel = box->addButton(QCoreApplication::translate("qa::QtPrompter", "취소"),
                                         QMessageBox::RejectRole);
    retry->setObjectName("retry");
    cancel->setObjectName("cancel");
    box->setDefaultButton(retry);
    box->setEscapeButton(cancel);
    ApplyProgramPalette(box.get());
    return box;
}

bool QtPrompter::AskRetry(const Message& text, const Message& caption) {
    Log(MessageUtf8(caption), MessageUtf8(text));
    std::unique_ptr<QMessageBox> box =
        MakeRetryBox(parent_, MessageText(text), MessageText(caption));
    box->exec();
    return box->clickedButton() == box->defaultButton();
}

QString DesktopFileService::AskSavePath(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QCoreApplication::translate("qa::DesktopFileService", "CSV File (*.csv)"));
    dialog.setDefaultSuffix("csv");
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

QString DesktopFileService::AskBackupPath(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(
        QCoreApplication::translate("qa::DesktopFileService", "QuorinA1c backup (*.tar)"));
    dialog.setDefaultSuffix("tar");
    dialog.selectFile("QuorinA1c-backup-" + QDate::currentDate().toString("yyyyMMdd") + ".tar");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

bool DesktopFileService::OpenFile(const QString& path) {
    // The path travels as one URL, so blanks in it reach the program as one argument.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace qa
