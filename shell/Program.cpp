#include "shell/Program.h"

#include <iostream>

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include "shell/MemCheck.h"
#include "shell/MessageBoxes.h"
#include "shell/ToolkitLanguage.h"
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

namespace {

constexpr char UsageText[] =
    "Usage: pdf-lumerra [FILE]\n"
    "       pdf-lumerra --help | --version\n";

constexpr char HelpText[] =
    "pdf-lumerra - the desktop program of PDF Lumerra (Japanese user interface):\n"
    "opens a PDF file and writes a text report of its decoded content streams.\n"
    "\n"
    "The default reading takes PDF 1.0 to 1.4 (classic cross-reference tables,\n"
    "unencrypted) and decodes /FlateDecode, /ASCIIHexDecode and /ASCII85Decode.\n"
    "Extended reading (menu 実行 > オプション > 拡張読み込み, remembered) also\n"
    "takes PDF 1.5 to 2.0 (cross-reference and object streams), every standard\n"
    "filter, damaged files (the object table is rebuilt) and files encrypted by\n"
    "the standard security handler (RC4, AES-128, AES-256): the empty password\n"
    "is tried first, then the program asks for one, up to three times.\n"
    "\n"    "  FILE        open FILE once the window is shown, as if it had been dropped\n"
    "              on the window (a PDF file or a Windows shortcut to one)\n"
    "  -h, --help  print this help and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "Qt's own options (-platform NAME, -display DISPLAY, ...) are understood too.\n"
    "The command-line tool is lumerra(1).\n";

constexpr int ExitUsage = 2;

// Prints what --help and --version ask for.
int PrintInformation(TProgramArguments::TAction Action) {
    if (Action == TProgramArguments::TAction::Help)
        std::cout << UsageText << '\n' << HelpText;
    else
        std::cout << "pdf-lumerra " LUMERRA_VERSION "\n";
    std::cout.flush();
    return std::cout ? 0 : 1;
}

// A drop names files by their full paths.
QStringList AbsolutePaths(const QStringList& Names) {
    QStringList paths;
    for (const QString& name : Names) paths << QFileInfo(name).absoluteFilePath();
    return paths;
}

// The arguments as the program was given them, the toolkit's own included.
QStringList GivenArguments(int ArgC, char** ArgV) {
    QStringList arguments;
    for (int i = 1; i < ArgC; ++i) arguments << QString::fromLocal8Bit(ArgV[i]);
    return arguments;
}

bool IsInformation(TProgramArguments::TAction Action) {
    return Action == TProgramArguments::TAction::Help || Action == TProgramArguments::TAction::Version;
}

}  // namespace

TProgramArguments ParseProgramArguments(const QStringList& Arguments) {
    TProgramArguments result;
    const qsizetype optionsEnd = Arguments.indexOf(QStringLiteral("--"));
    const QStringList options = Arguments.mid(0, optionsEnd);
    if (options.contains(QStringLiteral("--help")) || options.contains(QStringLiteral("-h"))) {
        result.Action = TProgramArguments::TAction::Help;
        return result;
    }
    if (options.contains(QStringLiteral("--version"))) {
        result.Action = TProgramArguments::TAction::Version;
        return result;
    }
    for (qsizetype i = 0; i < Arguments.size(); ++i) {
        if (i == optionsEnd) continue;
        const QString& argument = Arguments[i];
        const bool option = (optionsEnd < 0 || i < optionsEnd) && argument.size() > 1 &&
                            argument.startsWith(QLatin1Char('-'));
        if (option) {
            result.Action = TProgramArguments::TAction::Wrong;
            result.Error = QStringLiteral("unknown option: ") + argument;
            return result;
        }
        result.Files << argument;
    }
    return result;
}

int ProgramMain(int& ArgC, char** ArgV, const TProgramOptions& Options) {
    // --help and --version need no display.
    if (const TProgramArguments early = ParseProgramArguments(GivenArguments(ArgC, ArgV));
        IsInformation(early.Action))
        return PrintInformation(early.Action);

    // Qt's system locale stays for the whole process: made before the
    // counting starts.
    UseJapaneseSystemLocale();
    // First of all: from here on the program's own allocations are counted.
    MemCheck::Start();
    int exitCode = 0;
    {
        QApplication application(ArgC, ArgV);
        QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
        // The whole interface is Japanese, so the toolkit's own texts are too.
        const TToolkitJapanese toolkitTexts;
        // Now without the toolkit's own options.
        const TProgramArguments arguments = ParseProgramArguments(QApplication::arguments().mid(1));
        if (arguments.Action == TProgramArguments::TAction::Wrong) {
            std::cerr << "pdf-lumerra: " << arguments.Error.toStdString() << '\n' << UsageText;
            exitCode = ExitUsage;
        } else {
            TApplicationForms forms(Options.SettingsFile);
            forms.Main().show();
            QTimer::singleShot(0, &forms.Main(), [&] {
                if (!arguments.Files.isEmpty()) forms.Main().DropFiles(AbsolutePaths(arguments.Files));
                if (Options.OnStarted) Options.OnStarted(forms);
            });
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
