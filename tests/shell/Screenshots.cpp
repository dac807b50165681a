// Takes the documentation's screenshots of the main window: after loading a
// document, after running it into a report, and the object browser at the
// first page's content stream. Run under an X server:
//   xvfb-run -a shell_screenshots examples/sample.pdf docs
#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QWindow>

#include "shell/ObjectBrowser.h"
#include "shell/Program.h"
#include "shell/ToolkitLanguage.h"
#include "shell/frm_Main.h"

namespace {

// Lets the window system and the program catch up for a while.
void Settle(int Milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < Milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Shoot(QWidget& Window, const QString& FileName) {
    Settle(500);
    QPixmap picture = Window.screen()->grabWindow(Window.winId());
    if (picture.isNull()) picture = Window.grab();
    const bool saved = picture.save(FileName, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(FileName));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    lumerra::UseJapaneseSystemLocale();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(lumerra::ApplicationTitle));
    const lumerra::TToolkitJapanese toolkitTexts;
    if (argc < 3) {
        std::fprintf(stderr, "usage: shell_screenshots <document.pdf> <output folder>\n");
        return 2;
    }
    const QString document = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString output = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir work;

    lumerra::TApplicationForms forms(work.filePath(QStringLiteral("pdf-lumerra.ini")));
    lumerra::TfrmMain& main = forms.Main();
    main.show();
    main.activateWindow();
    for (int i = 0; i < 100 && !(main.windowHandle() && main.windowHandle()->isExposed()); ++i) Settle(20);

    main.OpenFile(document);
    bool ok = Shoot(main, output + QStringLiteral("/screenshot-loaded.png"));

    const QString report = work.filePath(QFileInfo(document).completeBaseName() + QStringLiteral(".txt"));
    main.SaveDialog().Chooser = [&](lumerra::TOpenDialogEx& Dialog) {
        Dialog.FileName = report;
        return true;
    };
    main.N2->trigger();
    ok = Shoot(main, output + QStringLiteral("/screenshot-run.png")) && ok;

    lumerra::TfrmBrowser* browser = main.OpenBrowser();
    if (browser == nullptr) return 1;
    for (int i = 0; i < 100 && !(browser->windowHandle() && browser->windowHandle()->isExposed()); ++i) Settle(20);
    browser->GoToPath(QStringLiteral("trailer/Root/Pages/Kids/0/Contents"));
    ok = Shoot(*browser, output + QStringLiteral("/screenshot-browser.png")) && ok;
    return ok ? 0 : 1;
}
