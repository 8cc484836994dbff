#pragma once

#include <QColor>

namespace qa {

// The Windows system colours the controls were designed around, taken from the application
// palette so the widgets follow the desktop theme.
enum class SysColor {
    BtnFace,        // button face
    BtnText,        // button text
    BtnHighlight,   // lit 3-D edge
    Light3D,        // inner lit 3-D edge
    BtnShadow,      // shadowed 3-D edge
    DkShadow3D,     // outer shadowed 3-D edge
    GrayText,       // disabled text
    WindowText,     // static text
    Window,         // window background
    Highlight,      // selection / progress bar
    InactiveBorder, // frame of an inactive window
};

QColor GetSysColor(SysColor which);

} // namespace qa
