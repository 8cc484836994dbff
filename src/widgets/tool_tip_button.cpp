#include "widgets/tool_tip_button.h"

namespace qa {

ToolTipButton::ToolTipButton(QWidget* parent) : QPushButton(parent) {}

void ToolTipButton::SetToolTipText(const QString& text, bool activate) {
    if (text.isNull()) {
        return;
    }
    tipText_ = text;
    tipActive_ = activate;
    applyToolTip();
}

void ToolTipButton::ActivateToolTip(bool activate) {
    tipActive_ = activate;
    applyToolTip();
}

void ToolTipButton::applyToolTip() {
    setToolTip(tipActive_ ? tipText_ : QString());
}

} // namespace qa
