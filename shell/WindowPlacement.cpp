#include "shell/WindowPlacement.h"

#include <algorithm>

#include <QRect>
#include <QScreen>
#include <QWidget>

namespace lumerra {

void CenterOver(QWidget& Window, const QWidget& Owner) {
    QRect placed(QPoint(), Window.frameGeometry().size());
    placed.moveCenter(Owner.frameGeometry().center());
    if (const QScreen* screen = Owner.screen()) {
        const QRect area = screen->availableGeometry();
        placed.moveLeft(std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
        placed.moveTop(std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
    }
    Window.move(placed.topLeft());
}

}  // namespace lumerra
