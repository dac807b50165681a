#include "shell/MessageBoxes.h"

#include <cerrno>
#include <utility>

#include <QMessageBox>

#include "common/OutputFile.h"
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

// The reasons in the desktop's words: the core's context gives them in
// English.
QString SystemErrorReason(int Error) {
    switch (Error) {
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("ディスクの空き容量が足りません。");
        case EROFS:
            return QStringLiteral("読み込み専用のファイルシステムです。");
        case EACCES:
        case EPERM:
            return QStringLiteral("アクセスが拒否されました。");
        case EFBIG:
            return QStringLiteral("ファイルが大きすぎます。");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("保存先のフォルダが見つかりません。");
        case ENAMETOOLONG:
            return QStringLiteral("ファイル名が長すぎます。");
        default:
            return QStringLiteral("システムエラーが発生しました (エラー番号 %1)。").arg(Error);
    }
}

// The errno value behind a failure of the report file, 0 for all else.
int SystemErrorOf(const std::exception& Error) {
    if (const auto* refused = dynamic_cast<const EOutputRefused*>(&Error)) return refused->SystemError();
    if (const auto* failed = dynamic_cast<const EOutputWriteError*>(&Error)) return failed->SystemError();
    return 0;
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

QString ErrorBoxMessage(const std::exception& Error) {
    const QString message = QString::fromUtf8(Error.what());
    const int error = SystemErrorOf(Error);
    return error == 0 ? message : message + QLatin1Char('\n') + SystemErrorReason(error);
}

void ShowExceptionBox(QWidget* Owner, const std::exception& Error) {
    ShowStandardErrorBox(Owner, ErrorBoxMessage(Error));
}

void ShowNotOpenedBox(QWidget* Owner, const QString& Message) {
    Show(TMessageBoxKind::Warning, Owner, QString::fromUtf8(ApplicationTitle), Message);
}

void ShowLeakWarning(int64_t Count) {
    Show(TMessageBoxKind::Warning, nullptr, QString::fromStdString(MemCheck::LeakWarningCaption()),
         QString::fromStdString(MemCheck::LeakWarningText(Count)));
}

}  // namespace lumerra
