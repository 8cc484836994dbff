#include "widgets/date_typing.h"

#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>

namespace qa {

namespace {

class SeparatorFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* edit = qobject_cast<QDateTimeEdit*>(watched);
        if (edit == nullptr || event->type() != QEvent::KeyPress) {
            return false;
        }
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() != 1 || typed.front().isLetterOrNumber() || !typed.front().isPrint()) {
            return false;
        }
        const int section = edit->currentSectionIndex();
        if (section <= 0) {
            return false;
        }
        // At the very start of a part that the edit has just moved to: the separator is
        // the one between the parts, already passed.
        const QLineEdit* line = edit->findChild<QLineEdit*>();
        const int cursor = line != nullptr ? line->cursorPosition() : -1;
        const QString text = edit->text();
        return cursor > 0 && cursor <= text.size() && !text.at(cursor - 1).isLetterOrNumber() &&
               (line->selectedText().isEmpty() || line->selectionStart() == cursor ||
                line->selectionStart() + line->selectedText().size() == cursor);
    }
};

} // namespace

void AcceptTypedDates(QDateTimeEdit* edit) {
    edit->installEventFilter(new SeparatorFilter(edit));
}

} // namespace qa
