#include "shell/PasswordDialog.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QStyle>
#include <QWidget>

#include "shell/DialogSizes.h"
#include "shell/DocumentLoad.h"
#include "shell/frm_Main.h"

namespace lumerra {

std::unique_ptr<QInputDialog> CreatePasswordDialog(QWidget* Owner, const QString& FileName, int Attempt) {
    auto dialog = std::make_unique<QInputDialog>(Owner);
    dialog->setWindowTitle(QString::fromUtf8(AppTitle));
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setTextEchoMode(QLineEdit::Password);
    QString label = QString::fromUtf8("あと %1 回入力できます。").arg(PasswordAttempts - Attempt + 1) +
                    QLatin1Char('\n') + FileName + QString::fromUtf8(" のパスワード:");
    if (Attempt > 1) label = QString::fromUtf8("パスワードが正しくありません。") + QLatin1Char('\n') + label;
    dialog->setLabelText(label);
    // The dialog's layout sets its minimum size from the contents: the input
    // field is what widens it.
    if (auto* field = dialog->findChild<QLineEdit*>()) {
        const QStyle* style = dialog->style();
        const int margins =
            style->pixelMetric(QStyle::PM_LayoutLeftMargin) + style->pixelMetric(QStyle::PM_LayoutRightMargin);
        field->setMinimumWidth(TitleBarWidth(dialog->windowTitle()) - margins);
    }
    return dialog;
}

std::optional<QString> AskPassword(QWidget* Owner, const QString& FileName, int Attempt) {
    const std::unique_ptr<QInputDialog> dialog = CreatePasswordDialog(Owner, FileName, Attempt);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    // The keyboard goes back to the window, whether or not the window
    // manager hands it back.
    if (Owner != nullptr) Owner->activateWindow();
    if (!accepted) return std::nullopt;
    return dialog->textValue();
}

}  // namespace lumerra
