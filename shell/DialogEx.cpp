#include "shell/DialogEx.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

#include "shell/DialogSizes.h"
#include "shell/ToolkitLanguage.h"
#include "shell/WindowPlacement.h"

namespace lumerra {

TOpenDialogEx::TOpenDialogEx(QWidget* Owner) : HelpText(QStringLiteral("ヘルプ(&H)")), FOwner(Owner) {}

TOpenDialogEx::~TOpenDialogEx() = default;

void TOpenDialogEx::DoHelp() {
    if (OnHelp) OnHelp(*this);
}

QStringList TOpenDialogEx::NameFilters() const {
    QStringList filters;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

std::unique_ptr<QFileDialog> TOpenDialogEx::CreateDialog() {
    auto dialog = std::make_unique<QFileDialog>(FOwner);
    // Qt's own dialog everywhere: the same behaviour on every desktop, and
    // room for the Help button.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setIconProvider(&FTypeNames);
    dialog->setAcceptMode(Mode());
    dialog->setFileMode(Mode() == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !(Options & ofOverwritePrompt));
    const QStringList filters = NameFilters();
    if (!filters.isEmpty()) dialog->setNameFilters(filters);
    QString suffix = DefaultExt;
    if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    dialog->setDefaultSuffix(suffix);
    if (!FileName.isEmpty()) dialog->selectFile(FileName);

    if (Options & ofShowHelp) {
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
            QPushButton* help = buttons->addButton(HelpText, QDialogButtonBox::HelpRole);
            help->setObjectName(QStringLiteral("HelpButton"));
            QObject::connect(help, &QPushButton::clicked, [this] { DoHelp(); });
        }
    }
    FitFileDialog(*dialog);
    return dialog;
}

bool TOpenDialogEx::Execute() {
    if (Chooser) return Chooser(*this);
    const std::unique_ptr<QFileDialog> dialog = CreateDialog();
    // Over the window it belongs to: the toolkit's own guess at the frame
    // puts it up and to the left, into the screen's corner.
    if (FOwner != nullptr) {
        if (!dialog->testAttribute(Qt::WA_Resized)) dialog->adjustSize();
        dialog->winId();  // its window, and so its frame where the platform knows it already
        CenterOver(*dialog, *FOwner);
    }
    // The show notification: once the dialog has come up.
    QTimer::singleShot(0, dialog.get(), [this] {
        if (OnShow) OnShow(*this);
    });
    if (dialog->exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty()) return false;
    FileName = chosen.first();
    return true;
}

}  // namespace lumerra
