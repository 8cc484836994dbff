#pragma once

#include "i18n/language.h"
#include "store/prompter.h"

#include <QIcon>
#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

namespace qa {

// The picture of a resource id from the generated artwork (":/images/<role>_<id>.png");
// an empty path when there is none.
QString ImagePath(int id);
// The same picture with its words in `language`: the generator draws every picture with
// words in English too, as "<name>_en.png"; a picture without words is one file for both.
QString ImagePath(int id, Language language);
// The program's icon (resource 128) in every size drawn for it: task bar, caption, About box.
QIcon AppIcon();

// Message boxes for the window.
// The yes/no box the prompter shows (built apart so that it can be looked at offscreen).
std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* parent, const std::string& text,
                                             const std::string& caption, bool defaultNo);

// The Retry/Cancel box of AskRetry: Retry is the default, Esc cancels.
std::unique_ptr<QMessageBox> MakeRetryBox(QWidget* parent, const QString& text,
                                          const QString& caption);

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    bool Confirm(const Message& text, const Message& caption) override;
    bool ConfirmDefaultNo(const Message& text, const Message& caption) override;
    void Inform(const Message& text, const Message& caption, Severity severity) override;
    bool AskRetry(const Message& text, const Message& caption) override;

private:
    QWidget* parent_;
};

// Where an export goes and what opens it afterwards; scripted in tests.
class FileService {
public:
    virtual ~FileService() = default;
    // A save dialog for a CSV file; empty when the operator cancelled.
    virtual QString AskSavePath(QWidget* parent) = 0;
    // Opens a written file with the desktop's program for it.
    virtual bool OpenFile(const QString& path) = 0;
    // A save dialog for a backup archive; empty when the operator cancelled. Stand-ins
    // that script one answer for every save dialog need not override it.
    virtual QString AskBackupPath(QWidget* parent) { return AskSavePath(parent); }
};

class DesktopFileService : public FileService {
public:
    QString AskSavePath(QWidget* parent) override;
    bool OpenFile(const QString& path) override;
    QString AskBackupPath(QWidget* parent) override;
};

} // namespace qa
