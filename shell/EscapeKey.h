// Watches the Escape key for the whole application, so that a run can ask
// "was Escape pressed since the last look, or is it held now?" between
// pages, whichever window has the keyboard.
#pragma once

#include <QObject>

namespace lumerra {

class TEscapeKeyFilter : public QObject {
public:
    // Installs itself on the application object; removed when destroyed.
    TEscapeKeyFilter();
    ~TEscapeKeyFilter() override;

    // True when Escape was pressed since the last query or is held down;
    // forgets the press.
    bool Query();
    // Forgets presses made before now (a run starts clean).
    void Reset();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool FPressed = false;
    bool FHeld = false;
};

}  // namespace lumerra
