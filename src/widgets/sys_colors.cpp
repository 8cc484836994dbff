#include "widgets/sys_colors.h"

#include <QApplication>
#include <QPalette>

namespace qa {

QColor GetSysColor(SysColor which) {
    const QPalette pal = QApplication::palette();
    switch (which) {
    case SysColor::BtnFace:
        return pal.color(QPalette::Active, QPalette::Button);
    case SysColor::BtnText:
        return pal.color(QPalette::Active, QPalette::ButtonText);
    case SysColor::BtnHighlight:
        return pal.color(QPalette::Active, QPalette::Light);
    case SysColor::Light3D:
        return pal.color(QPalette::Active, QPalette::Midlight);
    case SysColor::BtnShadow:
        return pal.color(QPalette::Active, QPalette::Dark);
    case SysColor::DkShadow3D:
        return pal.color(QPalette::Active, QPalette::Shadow);
    case SysColor::GrayText:
        return pal.color(QPalette::Disabled, QPalette::Text);
    case SysColor::WindowText:
        return pal.color(QPalette::Active, QPalette::WindowText);
    case SysColor::Window:
        return pal.color(QPalette::Active, QPalette::Base);
    case SysColor::Highlight:
        return pal.color(QPalette::Active, QPalette::Highlight);
    case SysColor::InactiveBorder:
        return pal.color(QPalette::Active, QPalette::Mid);
    }
    return {};
}

} // namespace qa
