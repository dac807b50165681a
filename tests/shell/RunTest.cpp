// The run commands: reports with and without comments, the completion and
// cancellation lines, cancelling through the progress dialog's button and
// the keyboard, errors going to the standard error box, and the checks'
// findings.
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

class RunTest : public TShellFixture {
protected:
    void DuringRun(std::function<bool()> Action) { test::DuringRun(Main(), Prog(), std::move(Action)); }
    void Open(const std::string& Name, const std::string& Bytes) { Main().OpenFile(Write(Name, Bytes)); }
    bool ReportExists(const std::string& Name) const { return QFileInfo::exists(QPath(Name)); }
};

// A run writes the report and the completion lines; the next one proposes
// the name accepted before and, while it runs, the window is disabled and
// cannot be closed, and the dialog starts with the bar at zero.
TEST_F(RunTest, ARunWritesTheReportAndTheCompletionLinesAndTheNextIsSeenWhileItRuns) {
    Main().show();
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

    // Looked at in the first page's progress report, before it updates.
    bool enabled = true, shown = false, closed = true;
    QStringList memo = {QStringLiteral("not looked at")};
    int value = -2;
    QString label;
    DuringRun([&] {
        enabled = Main().isEnabled();
        shown = Prog().isVisible();
        memo = Main().MemoLines();
        value = Prog().ProgressBar1->value();
        label = Prog().Label1->text();
        closed = Main().close();
        return true;
    });
    Main().N2->trigger();
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(memo.isEmpty());
    EXPECT_EQ(value, 0);
    EXPECT_EQ(label, QStringLiteral("100/100"));
    EXPECT_FALSE(closed);
    EXPECT_TRUE(Main().isVisible());
    EXPECT_EQ(Main().MemoLines(), CompletedLines("sample.pdf", "sample.txt"));
    EXPECT_EQ(FProposed, (std::vector<QString>{QString(), QPath("sample.txt")}));
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

TEST_F(RunTest, ACancelledSaveDialogStartsNoRun) {
    Open("sample.pdf", GoodPdf());
    Main().SaveDialog().Chooser = [](TOpenDialogEx&) { return false; };
    Main().N2->trigger();
    EXPECT_EQ(Main().MemoLines().size(), 3);
    EXPECT_FALSE(QFileInfo::exists(QPath("sample.txt")));
}

// The cancel button, Escape and Alt+N stop a run, and the checks' too. Escape goes to the main window, which keeps the keyboard while the
// dialog is shown; the dialog never takes the keyboard, so its button's key
// is watched from the main window's side.
TEST_F(RunTest, ARunIsCancelledByTheButtonEscapeAndAltN) {
    Main().show();
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    Open("sample.pdf", GoodPdf(5));
    struct TCase {
        const char* Name;
        QAction* Command;
        std::function<void()> Cancel;
        const char* Previous;  // the report the run would replace; null: none
    };
    const TCase cases[] = {
        {"the button", Main().N2, [this] { Prog().Button1->click(); }, "previous report"},
        {"Escape", Main().N2, [this] { QTest::keyClick(&Main(), Qt::Key_Escape); }, nullptr},
        {"Alt+N", Main().N2, [this] { QTest::keyClick(Main().Memo1, Qt::Key_N, Qt::AltModifier); }, nullptr},
        {"the content check's button", Main().N10, [this] { Prog().Button1->click(); }, nullptr},
        {"the object check's button", Main().N12, [this] { Prog().Button1->click(); }, nullptr},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        const std::string report = std::string("report-") + std::to_string(&test - cases) + ".txt";
        if (test.Previous) WriteFileBytes(Path(report), test.Previous);
        ChooseOutput(report);
        bool cancelled = false;
        DuringRun([&] {
            test.Cancel();
            return cancelled = true;
        });
        test.Command->trigger();
        EXPECT_TRUE(cancelled);
        EXPECT_EQ(Main().MemoLines(), CancelledLines());
        EXPECT_TRUE(Main().Cancel);
        // A cancelled run keeps the report it would have replaced.
        if (test.Previous) EXPECT_EQ(ReadFileBytes(Path(report)), test.Previous);
        else EXPECT_FALSE(ReportExists(report));
        // Escape reached neither the dialog's own closing nor the main
        // window's exit command.
        EXPECT_FALSE(Prog().isVisible());
        EXPECT_TRUE(Main().isEnabled());
        EXPECT_TRUE(Main().isVisible());
    }
    // Outside a run Alt+N does nothing.
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

// A report that cannot be written, and the decoder's refusal, go to the
// standard error box and change nothing else.
TEST_F(RunTest, ErrorsGoToTheStandardErrorBoxAndChangeNothingElse) {
    const QString inUse = QString::fromUtf8("このファイルは使用中です。別名で保存してください。.");
    WriteFileBytes(Path("readonly.txt"), "keep");
    ::chmod(Path("readonly.txt").c_str(), 0444);
    struct TCase {
        const char* Document;
        std::string Bytes;
        std::string Output;
        QString Box;
        qsizetype MemoLines;  // after the run
    };
    const TCase cases[] = {
        // The document itself is held open by the program.
        {"sample.pdf", GoodPdf(), "sample.pdf", inUse, 0},
        {"sample.pdf", GoodPdf(), "readonly.txt", inUse, 0},
        {"sample.pdf", GoodPdf(), "/dev/full", QString::fromUtf8("書き込みに失敗しました。\nディスクの空き容量が足りません。."), 0},
        // Unavailable from the menu; the handler itself still guards.
        {"broken.pdf", DamagedPdf(), "out.txt", QString::fromUtf8("対応できない形式です。."), 4},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Output);
        Open(test.Document, test.Bytes);
        const std::string target = test.Output.front() == '/' ? test.Output : Path(test.Output);
        const bool existed = QFileInfo::exists(QString::fromStdString(target));
        const std::string before = existed && test.Output.front() != '/' ? ReadFileBytes(target) : "";
        ChooseOutput(test.Output);
        FBoxes.Boxes.clear();
        Main().N2Click();
        ASSERT_EQ(FBoxes.Boxes.size(), 1u);
        EXPECT_EQ(FBoxes.Boxes[0].Kind, TMessageBoxKind::Error);
        EXPECT_EQ(FBoxes.Boxes[0].Caption, QStringLiteral("PDF Lumerra"));
        EXPECT_EQ(FBoxes.Boxes[0].Text, test.Box);
        EXPECT_EQ(Main().MemoLines().size(), test.MemoLines);
        EXPECT_TRUE(Main().isEnabled());
        EXPECT_FALSE(Prog().isVisible());
        if (test.Output.front() == '/') continue;
        EXPECT_EQ(QFileInfo::exists(QString::fromStdString(target)), existed);
        if (existed) {
            EXPECT_EQ(ReadFileBytes(target), before);
        }
    }
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

TEST_F(RunTest, AfterEveryRunTheKeyboardIsInTheTextAreaEvenWhenTheHiddenDialogIsActivatedLate) {
    Open("sample.pdf", GoodPdf(2));
    int runs = 0;
    Main().SaveDialog().Chooser = [&](TOpenDialogEx& Dialog) {
        Dialog.FileName = QPath("sample.txt");
        ++runs;
        return true;
    };
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
    // The next key reaches the window without a click into it first, and
    // runs once.
    EXPECT_EQ(runs, 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(Main().MemoLines(), CompletedLines("sample.pdf", "sample.txt"));
}

// 実行 → 内容の検査 and オブジェクトの検査: the findings in the text area,
// labelled in Japanese with the command line's codes.
TEST_F(RunTest, TheChecksFindingsAndCountsGoToTheTextArea) {
    PdfBuilder objects;
    objects.Set(1, "<< /Type /Catalog /Pages 2 0 R /Colour /Blue >>");
    objects.Set(2, "<< /Type /Pages /Kids [3 0 R] >>");
    objects.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << >> >>");
    objects.SetStream(4, "", "0 0 m 1 1 l S");
    const struct {
        const char* Name;
        std::string Bytes;
        QAction* Command;
        QStringList Lines;
    } cases[] = {
        {"faulty.pdf", PdfBuilder::SimpleDocument({"q Q", "Q BT", "0 0 m S"}).Build(), Main().N10,
         Lines({"% 内容の検査: faulty.pdf",
                "ページ 2、オブジェクト 6、オフセット 0: エラー save-restore (Q): 対応する q のない Q です。",
                "ページ 2、オブジェクト 6、オフセット 2: エラー text-object (BT): BT が ET で閉じられていません。",
                "エラー 2、警告 0、情報 0"})},
        {"objects.pdf", objects.Build(), Main().N12,
         Lines({"% オブジェクトの検査: objects.pdf",
                "オブジェクト 1、パス trailer/Root、キー Colour、型 Catalog: 情報 unknown-key: キー Colour は "
                "Catalog に定義されていません。",
                "オブジェクト 2、パス trailer/Root/Pages、キー Count、型 PageTreeNodeRoot: エラー missing-key: "
                "必須のキー Count がありません。",
                "エラー 1、警告 0、情報 1"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Open(c.Name, c.Bytes);
        c.Command->trigger();
        EXPECT_EQ(Main().MemoLines(), c.Lines);
        EXPECT_TRUE(Main().isEnabled());
        EXPECT_FALSE(Prog().isVisible());
    }
}

TEST_F(RunTest, ADocumentWithoutPagesIsToldSoAtLoadAndAfterEachRun) {
    const QString noPages = QString::fromUtf8("% このドキュメントにはページがありません。");
    Main().N8->setChecked(true);
    Open("empty.pdf", PdfBuilder::SimpleDocument({}).Build());
    EXPECT_EQ(Main().MemoLines().value(1), LoadedLines("empty.pdf").value(1));
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
