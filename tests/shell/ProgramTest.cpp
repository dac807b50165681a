// The whole program, as its entry runs it, with the allocation accounting
// of the real executable: a normal session warns about nothing, a block
// left unreleased on purpose is reported at exit.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <QAction>
#include <QDate>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPushButton>
#include <QSettings>

#include "ShellTestSupport.h"
#include "shell/MemCheck.h"
#include "shell/ToolkitLanguage.h"

namespace lumerra::test {
namespace {

int RunProgram(const TProgramOptions& Options, std::vector<std::string> Arguments = {}) {
    Arguments.insert(Arguments.begin(), "pdf-lumerra");
    std::vector<char*> argv;
    for (std::string& argument : Arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int count = static_cast<int>(Arguments.size());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return ProgramMain(count, argv.data(), Options);
}

// The threads of this process that carry its own name: the program's,
// where the toolkit names its own.
size_t OwnThreadCount() {
    const auto name = [](const std::filesystem::path& Task) {
        std::string comm;
        std::getline(std::ifstream(Task / "comm"), comm);
        return comm;
    };
    const std::string own = name("/proc/self");
    size_t count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) count += name(task.path()) == own;
    return count;
}

TEST(ProgramTest, TheToolkitSpeaksJapaneseWhateverTheDesktopsLanguage) {
    // Each test runs in a process of its own: Qt reads the system locale
    // here for the first time.
    qputenv("LC_ALL", "C.UTF-8");
    QString systemLocale;
    QString defaultLocale;
    QString folder;
    QString dateOrder;
    TProgramOptions options;
    options.OnStarted = [&](TApplicationForms& Forms) {
        systemLocale = QLocale::system().name();
        defaultLocale = QLocale().name();
        folder = FolderTypeName();
        dateOrder = QLocale::system().toString(QDate(2026, 12, 8), QLocale::ShortFormat);
        Forms.Main().close();
    };
    EXPECT_EQ(RunProgram(options), 0);
    EXPECT_EQ(systemLocale, QStringLiteral("ja_JP"));
    EXPECT_EQ(defaultLocale, QStringLiteral("ja_JP"));
    EXPECT_EQ(dateOrder, QStringLiteral("2026/12/08"));
    // Qt's Japanese texts, where they are installed.
    if (QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm"))) {
        EXPECT_NE(folder, QStringLiteral("Folder"));
    }
    // Programs started from the window keep the user's language.
    EXPECT_EQ(qgetenv("LC_ALL"), QByteArray("C.UTF-8"));
}

TEST(ProgramTest, ASessionOpensRunsCancelsAndClosesWithoutAWarning) {
    TempFile document(GoodPdf(4), "sample.pdf");
    const QString settings = QString::fromStdString(document.Sibling("pdf-lumerra.ini"));
    const QString report = QString::fromStdString(document.Sibling("sample.txt"));
    TMessageBoxRecorder boxes;
    TUrlRecorder urls;
    urls.Urls.reserve(4);  // the recorder's own storage, made before the session
    // Results are kept in Qt containers: their storage is the toolkit's,
    // not counted, so it may outlive the accounting.
    QStringList completed;
    QStringList cancelled;
    qint64 reportWritten = 0;
    int64_t liveWhileOpen = 0;

    TProgramOptions options;
    options.SettingsFile = settings;
    options.OnStarted = [&](TApplicationForms& Forms) {
        TfrmMain& main = Forms.Main();
        main.OpenFile(QString::fromStdString(document.Path()));
        liveWhileOpen = MemCheck::LiveBlockCount();
        main.SaveDialog().Chooser = [&](TOpenDialogEx& Dialog) {
            Dialog.FileName = report;
            return true;
        };
        main.N2->trigger();
        completed = main.MemoLines();
        reportWritten = QFileInfo(report).size();

        DuringRun(main, Forms.Prog(), [&Forms] {
            Forms.Prog().Button1->click();
            return true;
        });
        main.N2->trigger();
        cancelled = main.MemoLines();
        main.Contents1->trigger();
        main.move(70, 80);
        // The run that replaced the report let a thread of its own reap the
        // helper that keeps the old one; a user never closes the window
        // within those milliseconds, so the session ends once it has gone.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (OwnThreadCount() > 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        main.Exit1->trigger();
    };
    EXPECT_EQ(RunProgram(options), 0);

    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes.front().Text.toStdString();
    // The windows, their components and the analyser were counted while
    // they lived (the count is not idle).
    if (MemCheck::HooksInstalled()) {
        EXPECT_GT(liveWhileOpen, 50);
    }
    EXPECT_GT(reportWritten, 0);
    EXPECT_EQ(completed.value(5), QStringLiteral("sample.pdf ---> sample.txt"));
    EXPECT_EQ(cancelled, CancelledLines());
    // The cancelled run left the completed run's report as it was.
    EXPECT_EQ(QFileInfo(report).size(), reportWritten);
    EXPECT_EQ(urls.Urls.size(), 1u);
    QSettings stored(settings, QSettings::IniFormat);
    EXPECT_EQ(stored.value("frmMain/Left").toInt(), 70);
    EXPECT_EQ(stored.value("frmMain/Top").toInt(), 80);
}

TEST(ProgramTest, TheCommandLineOpensAFileOrAnswersWithoutAWindow) {
    TempFile document(GoodPdf(2), "sample.pdf");
    TLinkFields link;
    link.LocalBasePath = document.Path();
    const std::string shortcut = document.Sibling("sample.lnk");
    WriteFileBytes(shortcut, BuildShellLink(link));
    const QString opened = QString::fromUtf8(AppTitle) + QStringLiteral(" - sample.pdf");
    const std::string usage = "Usage: pdf-lumerra [FILE]\n";

    struct TCase {
        std::vector<std::string> Arguments;
        int ExitCode;
        std::string Out;  // what standard output starts with
        std::string Err;  // what standard error contains
        QString Title;    // empty: no window was shown
    };
    const std::vector<TCase> cases = {
        {{}, 0, "", "", QString::fromUtf8(AppTitle)},
        {{document.Path()}, 0, "", "", opened},
        {{shortcut}, 0, "", "", opened},
        {{document.Sibling("missing.pdf")}, 0, "", "", QString::fromUtf8(AppTitle)},
        {{"--version"}, 0, "pdf-lumerra " LUMERRA_VERSION "\n", "", {}},
        {{document.Path(), "--help"}, 0, usage, "", {}},
        {{"-h"}, 0, usage, "", {}},
        {{"--frobnicate", document.Path()}, 2, "", "pdf-lumerra: unknown option: --frobnicate\n" + usage, {}},
    };
    TempFile folder("", "unused");
    for (const TCase& test : cases) {
        const std::string arguments = ::testing::PrintToString(test.Arguments);
        TProgramOptions options;
        options.SettingsFile = QString::fromStdString(folder.Sibling("pdf-lumerra.ini"));
        QString title;
        options.OnStarted = [&](TApplicationForms& Forms) {
            title = Forms.Main().windowTitle();
            Forms.Main().close();
        };
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int exitCode = RunProgram(options, test.Arguments);
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(exitCode, test.ExitCode) << arguments;
        EXPECT_EQ(out.substr(0, test.Out.size()), test.Out) << arguments;
        EXPECT_EQ(out.empty(), test.Out.empty()) << arguments;
        EXPECT_NE(err.find(test.Err), std::string::npos) << arguments;
        EXPECT_EQ(title, test.Title) << arguments;
    }
}

TEST(ProgramTest, ABlockLeftUnreleasedIsReportedAtExit) {
    if (!MemCheck::HooksInstalled()) GTEST_SKIP() << "sanitizer build: the sanitizer's leak checker counts instead";
    TempFile folder("", "unused");
    TMessageBoxRecorder boxes;
    int* forgotten = nullptr;
    TProgramOptions options;
    options.SettingsFile = QString::fromStdString(folder.Sibling("pdf-lumerra.ini"));
    options.OnStarted = [&](TApplicationForms& Forms) {
        forgotten = new int(42);
        Forms.Main().close();
    };
    RunProgram(options);
    delete forgotten;

    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Kind, TMessageBoxKind::Warning);
    EXPECT_EQ(boxes.Boxes[0].Caption, QString::fromUtf8("メモリーリークエラー"));
    EXPECT_EQ(boxes.Boxes[0].Text, QString::fromUtf8("1 回メモリーを解放し忘れています"));
}

}  // namespace
}  // namespace lumerra::test
