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

    QString ToolTipText() const { return tipText_; }
    bool IsToolTipActive() const { return tipActive_; }

private:
    void applyToolTip();

    QString tipText_;
    bool tipActive_ = false;
};

} // namespace qa
