// The fonts of the windows. The Windows names come first; IPA's Gothic
// fonts stand in for them elsewhere, then the desktop's generic family.
#pragma once

#include <QFont>

namespace lumerra {

// "ＭＳ Ｐゴシック", 12 pixels: the windows and their controls.
QFont WindowFont();
// "ＭＳ ゴシック" (fixed pitch), 15 pixels: the main window's text area.
QFont TextAreaFont();

}  // namespace lumerra
