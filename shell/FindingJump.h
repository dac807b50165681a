// The jump from a finding's line in the main window's text area to its
// place in the object browser: a double-click on the line, or Ctrl+Enter
// with the cursor on it.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include <QObject>
#include <QString>

#include "shell/ContentCheckRun.h"

class QPlainTextEdit;

namespace lumerra {

class TFindingJump final : public QObject {
public:
    using TOpen = std::function<void(const TFindingMark& Mark)>;

    // Area outlives this.
    TFindingJump(QPlainTextEdit& Area, TOpen Open);

    // The marks of the lines that start at block FirstBlock of the area.
    // A mark holds while its line still reads as it did.
    void SetMarks(int FirstBlock, const std::vector<TFindingMark>& Marks);
    // Jumps from the area's block Block; false when it is no finding's line.
    bool JumpFrom(int Block);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TPlaced {
        TFindingMark Mark;
        QString Line;
    };
    QPlainTextEdit& FArea;
    TOpen FOpen;
    std::map<int, TPlaced> FMarks;  // by block
};

}  // namespace lumerra
