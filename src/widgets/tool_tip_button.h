#pragma once

#include <QPushButton>
#include <QString>

namespace qa {

// A push button with one tool tip over its whole area that can be switched off without
// forgetting its text.
class ToolTipButton : public QPushButton {
    Q_OBJECT
public:
    explicit ToolTipButton(QWidget* parent = nullptr);

    // A null text leaves the tip as it is, so callers can pass a lookup that found nothing.
    void SetToolTipText(const QString& text, bool activate = true);
    void ActivateToolTip(bool activate);

    QString ToolTipText() const { return m_tipText; }
    bool IsToolTipActive() const { return m_tipActive; }

private:
    void applyToolTip();

    QString m_tipText;
    bool m_tipActive = false;
};

} // namespace qa
