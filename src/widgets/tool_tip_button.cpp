#include "tool_tip_button.h"

namespace qa {

ToolTipButton::ToolTipButton(QWidget* parent) : QPushButton(parent) {}

void ToolTipButton::SetToolTipText(const QString& text, bool activate) {
    if (text.isNull()) {
        return;
    }
    m_tipText = text;
    m_tipActive = activate;
    applyToolTip();
}

void ToolTipButton::ActivateToolTip(bool activate) {
    m_tipActive = activate;
    applyToolTip();
}

void ToolTipButton::applyToolTip() {
    setToolTip(m_tipActive ? m_tipText : QString());
}

} // namespace qa
