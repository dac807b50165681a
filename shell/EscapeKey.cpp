#include "shell/EscapeKey.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace lumerra {

TEscapeKeyFilter::TEscapeKeyFilter() {
    if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
}

TEscapeKeyFilter::~TEscapeKeyFilter() {
    if (QCoreApplication* application = QCoreApplication::instance()) application->removeEventFilter(this);
}

bool TEscapeKeyFilter::Query() {
    const bool result = FPressed || FHeld;
    FPressed = false;
    return result;
}

void TEscapeKeyFilter::Reset() { FPressed = false; }

bool TEscapeKeyFilter::eventFilter(QObject* Watched, QEvent* Event) {
    // The same key event travels up the parent chain when nobody takes it;
    // only its first delivery matters, and each one is harmless anyway.
    if (Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(Event);
        if (key->key() == Qt::Key_Escape) {
            if (Event->type() == QEvent::KeyPress) {
                FPressed = true;
                FHeld = true;
            } else if (!key->isAutoRepeat()) {
                FHeld = false;
            }
        }
    }
    return QObject::eventFilter(Watched, Event);
}

}  // namespace lumerra
