#include "shell/Program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include "shell/MemCheck.h"
#include "shell/MessageBoxes.h"
#include "shell/frm_Main.h"
#include "shell/frm_Prog.h"

namespace lumerra {

TApplicationForms::TApplicationForms(const QString& SettingsFile)
    : FMain(std::make_unique<TfrmMain>(SettingsFile)), FProg(std::make_unique<TfrmProg>()) {
    FMain->SetProgressDialog(FProg.get());
}

TApplicationForms::~TApplicationForms() {
    FMain->SetProgressDialog(nullptr);
    FProg.reset();
    FMain.reset();
}

int ProgramMain(int& ArgC, char** ArgV, const TProgramOptions& Options) {
    // First of all: from here on the program's own allocations are counted.
    MemCheck::Start();
    int exitCode = 0;
    {
        QApplication application(ArgC, ArgV);
        QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
        // The toolkit's own texts (file dialogs, buttons of the boxes) in the
        // desktop's language, as the platform's dialogs would be.
        QTranslator toolkitTexts;
        if (toolkitTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(&toolkitTexts);
        {
            TApplicationForms forms(Options.SettingsFile);
            forms.Main().show();
            if (Options.OnStarted) QTimer::singleShot(0, &forms.Main(), [&] { Options.OnStarted(forms); });
            exitCode = QApplication::exec();
        }
        // Everything of the program is gone; what it still holds was never
        // released. The box needs the application object, so it comes
        // before the toolkit's own teardown.
        const int64_t leaked = MemCheck::Stop();
        if (leaked > 0) ShowLeakWarning(leaked);
    }
    return exitCode;
}

}  // namespace lumerra
