#include "shell/MessageBoxes.h"

#include <utility>

#include <QMessageBox>

#include "shell/MemCheck.h"
#include "shell/Program.h"

namespace lumerra {

namespace {

void ShowRealBox(TMessageBoxKind Kind, QWidget* Owner, const QString& Caption, const QString& Text) {
    QMessageBox box(Kind == TMessageBoxKind::Error ? QMessageBox::Critical : QMessageBox::Warning, Caption, Text,
                    QMessageBox::Ok, Owner);
    box.exec();
}

TMessageBoxHandler& Handler() {
    static TMessageBoxHandler handler;
    return handler;
}

void Show(TMessageBoxKind Kind, QWidget* Owner, const QString& Caption, const QString& Text) {
    if (Handler())
        Handler()(Kind, Owner, Caption, Text);
    else
        ShowRealBox(Kind, Owner, Caption, Text);
}

}  // namespace

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler NewHandler) {
    return std::exchange(Handler(), std::move(NewHandler));
}

QString StandardErrorText(const QString& Message) {
    if (Message.isEmpty()) return Message;
    // Compare whole characters, so a surrogate pair counts as one.
    const QList<uint> characters = Message.toUcs4();
    return characters.last() > U'.' ? Message + QLatin1Char('.') : Message;
}

void ShowStandardErrorBox(QWidget* Owner, const QString& Message) {
    Show(TMessageBoxKind::Error, Owner, QString::fromUtf8(ApplicationTitle), StandardErrorText(Message));
}

void ShowExceptionBox(QWidget* Owner, const std::exception& Error) {
    ShowStandardErrorBox(Owner, QString::fromUtf8(Error.what()));
}

void ShowLeakWarning(int64_t Count) {
    Show(TMessageBoxKind::Warning, nullptr, QString::fromStdString(MemCheck::LeakWarningCaption()),
         QString::fromStdString(MemCheck::LeakWarningText(Count)));
}

}  // namespace lumerra
