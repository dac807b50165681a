#include "shell/FindingJump.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace lumerra {

TFindingJump::TFindingJump(QPlainTextEdit& Area, TOpen Open) : QObject(&Area), FArea(Area), FOpen(std::move(Open)) {
    FArea.installEventFilter(this);
    FArea.viewport()->installEventFilter(this);
}

void TFindingJump::SetMarks(int FirstBlock, const std::vector<TFindingMark>& Marks) {
    FMarks.clear();
    for (const TFindingMark& mark : Marks) {
        const int block = FirstBlock + static_cast<int>(mark.Line);
        FMarks[block] = {mark, FArea.document()->findBlockByNumber(block).text()};
    }
}

bool TFindingJump::JumpFrom(int Block) {
    const auto found = FMarks.find(Block);
    // A line rewritten since (another file, another run) is no finding's.
    if (found == FMarks.end() || FArea.document()->findBlockByNumber(Block).text() != found->second.Line) return false;
    FOpen(found->second.Mark);
    return true;
}

bool TFindingJump::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::MouseButtonDblClick && Watched == FArea.viewport()) {
        const auto* click = static_cast<QMouseEvent*>(Event);
        if (JumpFrom(FArea.cursorForPosition(click->position().toPoint()).blockNumber())) return true;
    } else if (Event->type() == QEvent::KeyPress && Watched == &FArea) {
        const auto* key = static_cast<QKeyEvent*>(Event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && key->modifiers().testFlag(Qt::ControlModifier) && JumpFrom(FArea.textCursor().blockNumber()))
            return true;
    }
    return QObject::eventFilter(Watched, Event);
}

}  // namespace lumerra
