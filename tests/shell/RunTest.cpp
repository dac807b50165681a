// The run command: reports with and without comments, the completion and
// cancellation lines, cancelling through the progress dialog's button and
// the Escape key, and errors going to the standard error box.
#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTextCursor>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "ShellTestSupport.h"

namespace lumerra::test {
namespace {

const char* const Dashes = "---------------------------------------------------";

QStringList CompletedLines(const char* Pdf, const char* Report) {
    return {QString(),
            QString::fromUtf8("% 「ストリームの展開」が完了しました。"),
            QString::fromLatin1(Dashes),
            QString(),
            QString(),
            QString::fromUtf8(Pdf) + QStringLiteral(" ---> ") + QString::fromUtf8(Report),
            QString(),
            QString(),
            QString::fromLatin1(Dashes)};
}

const QStringList CancelledLines = Lines({"", "% キャンセルされました。m(_ _)m"});

class RunTest : public TShellFixture {
protected:
    // Runs Action at each page's progress report until it returns true.
    void DuringRun(std::function<bool()> Action) {
        auto* timer = new QTimer(&Main());  // deletes itself once done, or goes with the window
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, [this, timer, Action] {
            if (!Prog().isVisible() || !Action()) return;
            timer->stop();
            timer->deleteLater();
        });
        timer->start();
    }
    void Open(const std::string& Name, const std::string& Bytes) { Main().OpenFile(Write(Name, Bytes)); }
    bool ReportExists(const std::string& Name) const { return QFileInfo::exists(QPath(Name)); }
};

TEST_F(RunTest, ARunWithCommentsWritesTheReportAndTheCompletionLines) {
    Open("sample.pdf", GoodPdf(2));
    ChooseOutput("sample.txt");
    Main().N2->trigger();
    EXPECT_EQ(Main().MemoLines(), CompletedLines("sample.pdf", "sample.txt"));
    const std::string report = ReadFileBytes(Path("sample.txt"));
    EXPECT_EQ(report.rfind("% Decode File : sample.pdf\n\n% ---", 0), 0u) << report;
    EXPECT_NE(report.find("%  Page 2/2 - Contents 1/1\n"), std::string::npos);
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_FALSE(Prog().isVisible());
    EXPECT_EQ(Prog().ProgressBar1->value(), 0);
    EXPECT_EQ(Prog().Label1->text(), QStringLiteral("100/100"));
    EXPECT_TRUE(Main().Run1->isEnabled());
    EXPECT_EQ(WindowTitle(), Title("sample.pdf"));
}

// The desktop run and "lumerra decode" go through the same run: the same
// report, also when the catalog's /Count claims pages the page tree does not
// give (the page list is decoded, not 1../Count).
TEST_F(RunTest, TheReportIsTheCommandLinesReport) {
    PdfBuilder overcounted = PdfBuilder::SimpleDocument({PageContent, "0 0 m S"});
    overcounted.Set(2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 7 >>");
    struct Case {
        const char* Name;
        std::string Bytes;
        bool WithComments;
    };
    const std::vector<Case> cases = {
        {"plain", GoodPdf(), false},
        {"two pages", GoodPdf(2), true},
        {"count beyond the tree", overcounted.Build(), true},
        {"count beyond the tree, plain", overcounted.Build(), false},
    };
    int run = 0;
    for (const Case& c : cases) {
        const std::string pdf = "doc" + std::to_string(run) + ".pdf";
        const std::string report = "report" + std::to_string(run++) + ".txt";
        Open(pdf, c.Bytes);
        if (c.WithComments) Main().N6->trigger();
        else Main().N5->trigger();
        ChooseOutput(report);
        Main().Run1->click();
        EXPECT_EQ(Main().MemoLines(), CompletedLines(pdf.c_str(), report.c_str())) << c.Name;
        const std::string command = std::string(LUMERRA_CLI_PATH) + " decode --quiet" +
                                    (c.WithComments ? "" : " --no-comments") + " -o '" + Path("cli-" + report) +
                                    "' '" + Path(pdf) + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(ReadFileBytes(Path(report)), ReadFileBytes(Path("cli-" + report))) << c.Name;
    }
    EXPECT_EQ(ReadFileBytes(Path("report0.txt")), "\n\n" + PageContent + "\n\n");
    EXPECT_NE(ReadFileBytes(Path("report2.txt")).find("%  Page 2/7 - Contents 1/1\n"), std::string::npos);
}

TEST_F(RunTest, TheSaveDialogProposesTheNameAcceptedBefore) {
    Open("sample.pdf", GoodPdf());
    ChooseOutput("first.txt");
    Main().N2->trigger();
    Main().N2->trigger();
    ASSERT_EQ(FProposed.size(), 2u);
    EXPECT_TRUE(FProposed[0].isEmpty());
    EXPECT_EQ(FProposed[1], QPath("first.txt"));
}

TEST_F(RunTest, ACancelledSaveDialogStartsNoRun) {
    Open("sample.pdf", GoodPdf());
    Main().SaveDialog().Chooser = [](TOpenDialogEx&) { return false; };
    Main().N2->trigger();
    EXPECT_EQ(Main().MemoLines().size(), 3);
    EXPECT_FALSE(QFileInfo::exists(QPath("sample.txt")));
}

TEST_F(RunTest, TheCancelButtonStopsTheRunAfterThePageInProgress) {
    Open("sample.pdf", GoodPdf(5));
    WriteFileBytes(Path("sample.txt"), "previous report");
    ChooseOutput("sample.txt");
    int reports = 0;
    DuringRun([&] {
        ++reports;
        Prog().Button1->click();
        return true;
    });
    Main().N2->trigger();
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(Main().MemoLines(), CancelledLines);
    EXPECT_TRUE(Main().Cancel);
    // A cancelled run keeps the report it would have replaced.
    EXPECT_EQ(ReadFileBytes(Path("sample.txt")), "previous report");
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_FALSE(Prog().isVisible());
}

TEST_F(RunTest, EscapeDuringARunCancelsIt) {
    // Escape goes to the main window, which keeps the keyboard while the
    // dialog is shown.
    Main().show();
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    Open("sample.pdf", GoodPdf(5));
    ChooseOutput("sample.txt");
    DuringRun([&] {
        QTest::keyClick(&Main(), Qt::Key_Escape);
        return true;
    });
    Main().N2->trigger();
    EXPECT_EQ(Main().MemoLines(), CancelledLines);
    EXPECT_FALSE(ReportExists("sample.txt"));
    // Escape reached neither the dialog's own closing nor the main window's
    // exit command.
    EXPECT_FALSE(Prog().isVisible());
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_TRUE(Main().isVisible());
}

TEST_F(RunTest, AltNDuringARunPressesTheCancelButton) {
    // The dialog never takes the keyboard, so its button's key is watched
    // from the main window's side.
    Main().show();
    Open("sample.pdf", GoodPdf(5));
    ChooseOutput("sample.txt");
    DuringRun([&] {
        QTest::keyClick(Main().Memo1, Qt::Key_N, Qt::AltModifier);
        return true;
    });
    Main().N2->trigger();
    EXPECT_EQ(Main().MemoLines(), CancelledLines);
    EXPECT_FALSE(ReportExists("sample.txt"));
    // Outside a run the key does nothing.
    EXPECT_FALSE(Prog().isVisible());
    Main().Cancel = false;
    QTest::keyClick(Main().Memo1, Qt::Key_N, Qt::AltModifier);
    EXPECT_FALSE(Main().Cancel);
}

TEST_F(RunTest, EscapePressedBeforeTheRunDoesNotCancelIt) {
    Open("sample.pdf", GoodPdf(3));
    Main().SaveDialog().Chooser = [this](TOpenDialogEx& Dialog) {
        // Escape pressed while the dialog was up (its own cancel key).
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(Main().Memo1, &press);
        QCoreApplication::sendEvent(Main().Memo1, &release);
        Dialog.FileName = QPath("sample.txt");
        return true;
    };
    Main().N2->trigger();
    EXPECT_EQ(Main().MemoLines(), CompletedLines("sample.pdf", "sample.txt"));
}

TEST_F(RunTest, TheWindowCannotBeClosedDuringARun) {
    Open("sample.pdf", GoodPdf(3));
    Main().show();
    ChooseOutput("sample.txt");
    bool closed = true;
    DuringRun([&] {
        closed = Main().close();
        return true;
    });
    Main().N2->trigger();
    EXPECT_FALSE(closed);
    EXPECT_TRUE(Main().isVisible());
    EXPECT_EQ(Main().MemoLines(), CompletedLines("sample.pdf", "sample.txt"));
}

TEST_F(RunTest, TheWindowIsDisabledAndTheDialogShownWhileRunning) {
    Open("sample.pdf", GoodPdf(3));
    ChooseOutput("sample.txt");
    bool enabled = true;
    bool shown = false;
    QStringList memo = {QStringLiteral("not looked at")};
    DuringRun([&] {
        enabled = Main().isEnabled();
        shown = Prog().isVisible();
        memo = Main().MemoLines();
        return true;
    });
    Main().N2->trigger();
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(memo.isEmpty());
}

TEST_F(RunTest, AnOutputFileInUseGoesToTheStandardErrorBox) {
    Open("sample.pdf", GoodPdf());
    const std::string before = ReadFileBytes(Path("sample.pdf"));
    // The document itself is held open by the program.
    ChooseOutput("sample.pdf");
    Main().N2->trigger();
    ASSERT_EQ(FBoxes.Boxes.size(), 1u);
    EXPECT_EQ(FBoxes.Boxes[0].Kind, TMessageBoxKind::Error);
    EXPECT_EQ(FBoxes.Boxes[0].Caption, QStringLiteral("PDF Lumerra"));
    EXPECT_EQ(FBoxes.Boxes[0].Text, QString::fromUtf8("このファイルは使用中です。別名で保存してください。."));
    EXPECT_TRUE(Main().MemoLines().isEmpty());
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_FALSE(Prog().isVisible());
    EXPECT_EQ(ReadFileBytes(Path("sample.pdf")), before);

    // A read-only file of another name is in use too.
    WriteFileBytes(Path("readonly.txt"), "keep");
    ::chmod(Path("readonly.txt").c_str(), 0444);
    ChooseOutput("readonly.txt");
    Main().N2->trigger();
    ASSERT_EQ(FBoxes.Boxes.size(), 2u);
    EXPECT_EQ(FBoxes.Boxes[1].Text, FBoxes.Boxes[0].Text);
    EXPECT_EQ(ReadFileBytes(Path("readonly.txt")), "keep");
}

TEST_F(RunTest, AFullDiskIsToldInJapanese) {
    Open("sample.pdf", GoodPdf());
    ChooseOutput("/dev/full");
    Main().N2->trigger();
    ASSERT_EQ(FBoxes.Boxes.size(), 1u);
    EXPECT_EQ(FBoxes.Boxes[0].Text, QString::fromUtf8("書き込みに失敗しました。\nディスクの空き容量が足りません。."));
    EXPECT_TRUE(Main().MemoLines().isEmpty());
}

TEST_F(RunTest, EveryRunShowsTheProgressDialogRestoredAndCentredOverTheMainWindow) {
    Open("sample.pdf", GoodPdf(2));
    ChooseOutput("sample.txt");
    Main().show();
    for (const QPoint where : {QPoint(40, 30), QPoint(200, 150)}) {
        Main().move(where);
        bool minimized = true;
        bool transient = false;
        QPoint offset(-1000, -1000);
        DuringRun([&] {
            minimized = Prog().isMinimized();
            transient = Prog().windowHandle()->transientParent() == Main().windowHandle();
            offset = Prog().frameGeometry().center() - Main().frameGeometry().center();
            // The user hides it away; the next run must bring it back.
            Prog().showMinimized();
            return true;
        });
        Main().N2->trigger();
        EXPECT_FALSE(minimized) << where.x();
        EXPECT_TRUE(transient) << where.x();
        EXPECT_LE(offset.manhattanLength(), 2) << where.x();
    }
}

TEST_F(RunTest, TheKeyboardWorksInTheMainWindowAfterARun) {
    Open("sample.pdf", GoodPdf(2));
    Main().show();
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    Main().Memo1->setFocus();
    int runs = 0;
    Main().SaveDialog().Chooser = [&](TOpenDialogEx& Dialog) {
        Dialog.FileName = QPath("sample.txt");
        return ++runs <= 2;
    };
    QTest::keyClick(&Main(), Qt::Key_F9);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &Main(); }, 1000));
    EXPECT_EQ(QApplication::focusWidget(), Main().Memo1);
    // The next key reaches the window without a click into it first.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(Main().MemoLines(), CompletedLines("sample.pdf", "sample.txt"));
}

TEST_F(RunTest, AfterEveryRunTheKeyboardIsInTheTextAreaEvenWhenTheHiddenDialogIsActivatedLate) {
    Open("sample.pdf", GoodPdf(2));
    ChooseOutput("sample.txt");
    Main().show();
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    struct TCase {
        const char* Name;
        std::function<void()> Run;
    };
    const TCase cases[] = {
        {"F9", [this] { QTest::keyClick(&Main(), Qt::Key_F9); }},
        {"cancelled",
         [this] {
             DuringRun([this] {
                 Prog().Button1->click();
                 return true;
             });
             QTest::keyClick(&Main(), Qt::Key_F9);
         }},
        {"content check", [this] { Main().N10->trigger(); }},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        Main().ToolButton1->setFocus();
        // The dialog takes no keyboard during the run: keys go on reaching
        // the main window, which gives them to the run (Escape) or keeps
        // them for later.
        bool dialogActive = true;
        DuringRun([&] {
            dialogActive = QApplication::activeWindow() == &Prog();
            return true;
        });
        test.Run();
        EXPECT_FALSE(dialogActive);
        // A run can end before the window manager maps the dialog; openbox
        // then maps and activates it after the run has hidden it.
        QApplication::setActiveWindow(&Prog());
        EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &Main(); }, 1000));
        EXPECT_EQ(QApplication::focusWidget(), Main().Memo1);
        // The text area reads the result from the keyboard: Ctrl+End.
        Main().Memo1->moveCursor(QTextCursor::Start);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        EXPECT_TRUE(Main().Memo1->textCursor().atEnd());
    }
}

TEST_F(RunTest, TheDecodersRefusalGoesToTheBoxAndChangesNothingElse) {
    Open("broken.pdf", DamagedPdf());
    ChooseOutput("out.txt");
    Main().N2Click();  // unavailable from the menu; the handler itself still guards
    ASSERT_EQ(FBoxes.Boxes.size(), 1u);
    EXPECT_EQ(FBoxes.Boxes[0].Text, QString::fromUtf8("対応できない形式です。."));
    EXPECT_EQ(Main().MemoLines().size(), 4);
    EXPECT_FALSE(QFileInfo::exists(QPath("out.txt")));
    EXPECT_TRUE(Main().isEnabled());
}

TEST_F(RunTest, ASecondRunStartsWithTheBarAtZeroAndTheLastLabel) {
    Open("sample.pdf", GoodPdf(2));
    ChooseOutput("sample.txt");
    Main().N2->trigger();
    // Looked at in the first page's progress report, before it updates.
    int value = -2;
    QString label;
    DuringRun([&] {
        value = Prog().ProgressBar1->value();
        label = Prog().Label1->text();
        return true;
    });
    Main().N2->trigger();
    EXPECT_EQ(value, 0);
    EXPECT_EQ(label, QStringLiteral("100/100"));
}

TEST_F(RunTest, ADocumentWithoutPagesIsToldSoAtLoadAndAfterEachRun) {
    const QString noPages = QString::fromUtf8("% このドキュメントにはページがありません。");
    Main().N8->setChecked(true);
    Open("empty.pdf", PdfBuilder::SimpleDocument({}).Build());
    EXPECT_EQ(Main().MemoLines().value(1), QString::fromUtf8("% empty.pdf の読み込みが完了しました。"));
    EXPECT_EQ(Main().MemoLines().last(), noPages);

    ChooseOutput("empty.txt");
    Main().N2->trigger();
    EXPECT_EQ(Main().MemoLines().value(1),
              QString::fromUtf8("% 「ストリームの展開」が終わりましたが、ページがないため展開したストリームはありません。"));

    Main().N10->trigger();
    EXPECT_EQ(Main().MemoLines().last(), noPages);

    // A document with pages says nothing of the kind.
    Open("sample.pdf", GoodPdf());
    Main().N10->trigger();
    EXPECT_FALSE(Main().MemoLines().contains(noPages));
}

}  // namespace
}  // namespace lumerra::test
