#include "widgets/retranslate.h"

#include "widgets/tool_tip_button.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace qa {

void RetranslateWidget(QWidget* widget, const TextAgain& translateAgain) {
    if (widget->isWindow() || !widget->windowTitle().isEmpty()) {
        const QString title = widget->windowTitle();
        const QString again = translateAgain(title);
        if (again != title) {
            widget->setWindowTitle(again);
        }
    }
    if (!widget->toolTip().isEmpty()) {
        widget->setToolTip(translateAgain(widget->toolTip()));
    }
    if (auto* tip = qobject_cast<ToolTipButton*>(widget)) {
        if (!tip->ToolTipText().isEmpty()) {
            tip->SetToolTipText(translateAgain(tip->ToolTipText()), tip->IsToolTipActive());
        }
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(translateAgain(label->text()));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(translateAgain(button->text()));
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(translateAgain(group->title()));
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setPlaceholderText(translateAgain(edit->placeholderText()));
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        // Only items that came from the catalogue change (a list of IDs stays as it is).
        for (int i = 0; i < combo->count(); ++i) {
            const QString text = combo->itemText(i);
            const QString again = translateAgain(text);
            if (again != text) {
                combo->setItemText(i, again);
            }
        }
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setTabText(i, translateAgain(tabs->tabText(i)));
        }
    } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
        // Headings are looked up when painted; the sections only need to be drawn again.
        if (QAbstractItemModel* model = header->model()) {
            const int count =
                header->orientation() == Qt::Horizontal ? model->columnCount() : model->rowCount();
            if (count > 0) {
                emit model->headerDataChanged(header->orientation(), 0, count - 1);
            }
        }
    }
    for (QAction* action : widget->actions()) {
        action->setText(translateAgain(action->text()));
        action->setToolTip(translateAgain(action->toolTip()));
    }
}

} // namespace qa
