#include "widgets/program_palette.h"

#include <QWidget>

namespace qa {

QPalette ProgramPalette() {
    using namespace program_colour;
    const QColor button(0xDC, 0xE6, 0xF0);
    QPalette palette(button, kGround);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, kGround);
        palette.setColor(group, QPalette::WindowText, kText);
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::AlternateBase, QColor(0xE2, 0xF5, 0xF6));
        palette.setColor(group, QPalette::Text, kText);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::ButtonText, kNavyDark);
        palette.setColor(group, QPalette::Highlight, kTeal);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::Link, kNavy);
        palette.setColor(group, QPalette::Light, Qt::white);
        palette.setColor(group, QPalette::Midlight, QColor(0xEE, 0xF3, 0xF8));
        palette.setColor(group, QPalette::Mid, QColor(0xAE, 0xB9, 0xC4));
        palette.setColor(group, QPalette::Dark, QColor(0x7A, 0x88, 0x95));
        palette.setColor(group, QPalette::Shadow, kNavyDark);
    }
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x7A, 0x88, 0x95));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x7A, 0x88, 0x95));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x7A, 0x88, 0x95));
    palette.setColor(QPalette::Disabled, QPalette::Window, kGround);
    palette.setColor(QPalette::Disabled, QPalette::Base, kGround);
    return palette;
}

void ApplyProgramPalette(QWidget* dialog) {
    dialog->setPalette(ProgramPalette());
    dialog->setAutoFillBackground(true);
}

} // namespace qa
