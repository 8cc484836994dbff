#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace qa {

// The colours of the pages (navy header band, teal accent, light blue-grey ground), for the
// dialogs that open over them.
namespace program_colour {
inline const QColor kNavy{0x1D, 0x56, 0x89};
inline const QColor kNavyDark{0x12, 0x3A, 0x5E};
inline const QColor kTeal{0x15, 0x9A, 0xA3};
inline const QColor kTealLight{0x7F, 0xD6, 0xD9};
inline const QColor kGround{0xE9, 0xEF, 0xF5};
inline const QColor kText{0x1B, 0x2B, 0x3A};
} // namespace program_colour

QPalette ProgramPalette();
// Gives a dialog (and the controls in it) the program's palette.
void ApplyProgramPalette(QWidget* dialog);

} // namespace qa
