// The main window: start-up state, opening files in every outcome, drops,
// the availability of the run command, hints, the read-me and home-page
// commands, and the settings file at close and start.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>

#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QMenuBar>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QDropEvent>
#include <QDir>

#include "ShellTestSupport.h"
#include "support/SignedDocument.h"
#include "shell/Settings.h"
#include "shell/DialogEx.h"

namespace lumerra::test {
namespace {

const QStringList DamagedLines = Lines({"", Separator, " このファイルは破損しているか対応できない形式です。", Separator});
const QStringList EncryptedLines =
    Lines({"", Separator, "  暗号化されているファイルには対応していません。", Separator, ""});

using MainWindowTest = TShellFixture;

// As the form was designed: no file, the run unavailable, the sizes and
// fonts of the form; showing the window restores the bare title.
TEST_F(MainWindowTest, StartsWithNoFileTheRunUnavailableAndTheFormsLayout) {
    EXPECT_EQ(WindowTitle(), Title());
    EXPECT_FALSE(Main().Run1->isEnabled());
    EXPECT_FALSE(Main().N2->isEnabled());
    EXPECT_TRUE(Main().MemoLines().isEmpty());
    EXPECT_TRUE(Main().N6->isChecked());
    EXPECT_FALSE(Main().N5->isChecked());
    EXPECT_EQ(Main().StatusPanelText(1), QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    EXPECT_EQ(Main().pos(), QPoint(50, 50));
    EXPECT_FALSE(Prog().isVisible());
    Main().setWindowTitle(QStringLiteral("something else"));
    Main().show();
    EXPECT_EQ(WindowTitle(), Title());
    EXPECT_EQ(Main().CoolBar1->height(), 28);
    EXPECT_EQ(Main().StatusBar1->height(), 20);
    EXPECT_EQ(Main().width(), 524);
    EXPECT_EQ(Main().height() - Main().MainMenu1->height(), 289);
    EXPECT_EQ(Main().font().families().first(), QString::fromUtf8("ＭＳ Ｐゴシック"));
    EXPECT_EQ(Main().font().pixelSize(), 12);
    EXPECT_EQ(Main().Memo1->font().families().first(), QString::fromUtf8("ＭＳ ゴシック"));
    EXPECT_EQ(Main().Memo1->font().pixelSize(), 15);
    EXPECT_EQ(Main().Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

TEST_F(MainWindowTest, MenusCarryTheirCaptionsHintsAndShortcuts) {
    struct Item {
        QAction* Action;
        const char* Caption;
        const char* Hint;
        QKeySequence Shortcut;
    };
    const Item items[] = {
        {Main().PDF1, "ファイルを開く", "PDFファイルを開く", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {Main().Exit1, "アプリケーションの終了(&E)", "アプリケーションの終了", QKeySequence(Qt::Key_Escape)},
        {Main().N2, "実行(&R)", "名前をつけて実行する", QKeySequence(Qt::Key_F9)},
        {Main().N5, "コメントなし", "出力時にコメントを付加しない", QKeySequence()},
        {Main().N6, "コメントあり (推奨)", "出力時にコメントを付加する", QKeySequence()},
        {Main().Contents1, "ReadMe.txt", "ヘルプファイルを開く", QKeySequence(Qt::Key_F1)},
        {Main().GoHome, "最新版の入手", "最新版を入手する", QKeySequence()},
    };
    for (const Item& item : items) {
        EXPECT_EQ(item.Action->text(), QString::fromUtf8(item.Caption));
        EXPECT_EQ(item.Action->statusTip(), QString::fromUtf8(item.Hint)) << item.Caption;
        EXPECT_EQ(item.Action->shortcut(), item.Shortcut) << item.Caption;
    }
    EXPECT_EQ(Main().File1->title(), QString::fromUtf8("ファイル(&F)"));
    EXPECT_EQ(Main().R1->title(), QString::fromUtf8("実行(&R)"));
    EXPECT_EQ(Main().N7->title(), QString::fromUtf8("オプション"));
    EXPECT_EQ(Main().Help1->title(), QString::fromUtf8("ヘルプ(&H)"));
    EXPECT_FALSE(Main().PDF1->icon().isNull());
    EXPECT_FALSE(Main().GoHome->icon().isNull());
    EXPECT_TRUE(Main().N1->isSeparator() && Main().N3->isSeparator() && Main().N4->isSeparator());
}

TEST_F(MainWindowTest, ToolButtonsShowTheirHintsAsTipAndInStatusPanel0) {
    struct Button {
        QToolButton* Widget;
        const char* Hint;
    };
    for (const Button& button : {Button{Main().ToolButton1, "ファイルを開く"}, Button{Main().Run1, "名前を付けて実行する"},
                                 Button{Main().ToolButton3, "ヘルプ"}, Button{Main().ToolButton4, "ホームページへ"}}) {
        EXPECT_EQ(button.Widget->toolTip(), QString::fromUtf8(button.Hint));
        EXPECT_FALSE(button.Widget->icon().isNull());
        EXPECT_EQ(button.Widget->size(), QSize(24, 22));
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(button.Widget, &enter);
        EXPECT_EQ(Main().StatusPanelText(0), QString::fromUtf8(button.Hint));
    }
    // A menu item under the pointer reports through the menu bar.
    Main().N2->showStatusText(Main().MainMenu1);
    EXPECT_EQ(Main().StatusPanelText(0), QString::fromUtf8("名前をつけて実行する"));
}

// Opening a file: its lines, the title and whether it can run, for a good
// file whatever its extension's case, a shortcut under its target's name, a
// damaged file, and a file that cannot even be opened: another program
// writes it, so the open fails before the analyser reads anything and its
// own failure mark stays unset. A drop opens only its first file; the open
// command, the name chosen.
TEST_F(MainWindowTest, OpeningAFileShowsItsLinesItsTitleAndWhetherItRuns) {
    Write("target.pdf", GoodPdf());
    const auto drop = [this](const QString& Name) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Name), QUrl::fromLocalFile(Write("second.pdf", GoodPdf())),
                      QUrl::fromLocalFile(Write("third.pdf", GoodPdf()))});
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Main(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Main(), &event);
    };
    const auto choose = [this](const QString& Name) {
        Main().OpenDialog().Chooser = [Name](TOpenDialogEx& Dialog) {
            Dialog.FileName = Name;
            return true;
        };
        Main().PDF1->trigger();
    };
    const struct {
        const char* Name;
        std::string Bytes;
        const char* Shown;
        QStringList MemoLines;
        bool Locked = false;
        std::function<void(const QString&)> Open{};  // OpenFile when empty
    } cases[] = {
        {"sample.pdf", GoodPdf(), "sample.pdf", LoadedLines("sample.pdf")},
        {"first.pdf", GoodPdf(), "first.pdf", LoadedLines("first.pdf"), false, drop},
        {"chosen.pdf", GoodPdf(), "chosen.pdf", LoadedLines("chosen.pdf"), false, choose},
        {"broken.pdf", DamagedPdf(), "broken.pdf", DamagedLines},
        {"SAMPLE.PDF", GoodPdf(), "SAMPLE.PDF", LoadedLines("SAMPLE.PDF")},
        {"busy.pdf", GoodPdf(), "busy.pdf", DamagedLines, true},
        {"link.LNK", BuildShellLink({.LocalBasePath = Path("target.pdf")}), "target.pdf", LoadedLines("target.pdf")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString name = Write(c.Name, c.Bytes);
        const int writer = c.Locked ? ::open(name.toLocal8Bit().constData(), O_RDWR) : -1;
        ASSERT_TRUE(!c.Locked || ::flock(writer, LOCK_EX) == 0);
        if (c.Open) {
            c.Open(name);
        } else {
            Main().OpenFile(name);
        }
        if (c.Locked) ::close(writer);
        EXPECT_TRUE(Main().isEnabled());
        EXPECT_EQ(Main().MemoLines(), c.MemoLines);
        EXPECT_EQ(WindowTitle(), Title(c.Shown));
        const bool runs = c.MemoLines == LoadedLines(c.Shown);
        EXPECT_EQ(Main().Run1->isEnabled(), runs);
        EXPECT_EQ(Main().N2->isEnabled(), runs);
        ASSERT_NE(Main().Analyst(), nullptr);
        EXPECT_EQ(Main().Analyst()->Failed(), !runs && !c.Locked);
    }
}

// Under extended reading, what the document went through and what in it
// acts is told in one line below the load lines (objects in object streams
// too), and where a signed revision was changed afterwards, a line says so;
// the default reading's lines stay as they were.
TEST_F(MainWindowTest, RevisionsActiveContentAndChangesAfterSigningAreToldAfterTheLoad) {
    const auto acting = [](bool Compressed) {
        PdfBuilder::Options options;
        options.XrefStreams = options.ObjectStreams = Compressed;
        PdfBuilder pdf(options);
        pdf.Add("<< /Type /Catalog /Pages 2 0 R /OpenAction 4 0 R >>");
        pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
        pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] /AA << /O 5 0 R >> >>");
        pdf.Add("<< /S /J#61vaScript /JS (app.alert\\(1\\)) >>");
        pdf.Add("<< /S /JavaScript /JS (1) >>");
        return pdf.Build();
    };
    SignedDocument signedDocument({}, [](std::vector<long long>&) {});
    signedDocument.Builder.NewRevision().Root(1).SetStream(4, "", "BT (changed) Tj ET");
    const std::string changedAfterSigning = signedDocument.Builder.Build();
    const struct {
        const char* Name;
        std::string Bytes;
        bool Extended;
        QStringList Told;  // below the load lines
    } cases[] = {
        {"acting.pdf", acting(false), false, {}},
        {"acting.pdf", acting(true), true, Lines({"% 改訂: 1、JavaScript: 2 か所、OpenAction: 1 か所、AA: 1 か所"})},
        {"signed.pdf", changedAfterSigning, true,
         Lines({"% 改訂: 2、AcroForm: 1 か所",
                "% 署名（オブジェクト 5）の後に文書が変更されています。改訂 1 に署名した後、"
                "オブジェクト 4 が追加または変更されました。",
                "% 署名（オブジェクト 5、承認）の後の改訂 2 はページ 1 の内容が変更されており、"
                "許可の範囲は宣言されていません。"})},
        {"signed.pdf", changedAfterSigning, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Name) + (c.Extended ? ", extended reading" : ", default reading"));
        Main().N8->setChecked(c.Extended);
        Main().OpenFile(Write(c.Name, c.Bytes));
        EXPECT_EQ(Main().MemoLines(), LoadedLines(c.Name) + c.Told);
    }
}

// The default reading refuses encrypted files and newer versions. Where
// extended reading would open the file, a line says so; turning the option
// on reads the refused file again.
TEST_F(MainWindowTest, ARefusedFileNamesExtendedReadingAndIsReadAgainWhenItIsTurnedOn) {
    std::string newer = GoodPdf();
    newer.replace(0, 8, "%PDF-1.7");
    const QString hint = QString::fromUtf8("% オプションの「拡張読み込み（PDF 1.5 以降など）」で読み込めます。");
    const QString loaded = QString::fromUtf8(" の読み込みが完了しました。");
    struct TCase {
        QString File;  // empty: qpdf is missing
        QStringList Refused;
        const char* Answer;     // to the password dialog once extended reading is on
        QString AfterTurningOn;  // the text area's second line
    };
    const TCase cases[] = {
        {Write("newer.pdf", newer), DamagedLines + QStringList{hint}, nullptr, QStringLiteral("% newer.pdf") + loaded},
        // A damaged encryption dictionary: extended reading refuses it too.
        {Write("broken.pdf", EncryptedPdf()), EncryptedLines, nullptr, QString::fromUtf8(Separator)},
        {WriteEncrypted("rc4.pdf", "'' owner 40"), EncryptedLines + QStringList{hint}, nullptr,
         QStringLiteral("% rc4.pdf") + loaded},
        {WriteEncrypted("aes.pdf", "'' owner 256"), DamagedLines + QStringList{hint}, nullptr,
         QStringLiteral("% aes.pdf") + loaded},
        {WriteEncrypted("secret.pdf", "user owner 40"), EncryptedLines + QStringList{hint}, "user",
         QStringLiteral("% secret.pdf") + loaded},
    };
    for (const TCase& test : cases) {
        if (test.File.isEmpty()) continue;
        SCOPED_TRACE(test.File.toStdString());
        Main().N8->setChecked(false);
        Main().OpenFile(test.File);
        EXPECT_EQ(Main().MemoLines(), test.Refused);
        EXPECT_FALSE(Main().Run1->isEnabled());
        EXPECT_FALSE(Main().N2->isEnabled());
        TPasswordAnswers answers({test.Answer});
        Main().N8->trigger();
        EXPECT_EQ(Main().MemoLines().value(1), test.AfterTurningOn);
        EXPECT_EQ(Main().N2->isEnabled(), test.AfterTurningOn.endsWith(loaded));
    }
    // A file that loaded is not read again.
    Main().N8->setChecked(false);
    const QString good = Write("good.pdf", GoodPdf());
    Main().OpenFile(good);
    Write("good.pdf", DamagedPdf());
    Main().N8->trigger();
    EXPECT_EQ(Main().MemoLines(), LoadedLines("good.pdf"));
}

// Names that are no PDF, opened or dropped, and an open dialog cancelled,
// change nothing, with or without a file loaded, and leave the window
// enabled.
TEST_F(MainWindowTest, NonPdfMissingFolderAndShortcutNamesChangeNothing) {
    QDir().mkpath(QPath("folder.pdf"));
    const QString text = Write("notes.txt", "%PDF-1.4 but not named so");
    const QString toText = Write("text.lnk", BuildShellLink({.LocalBasePath = text.toStdString()}));
    const QString junk = Write("junk.lnk", "not a shortcut at all");
    const struct {
        const char* Name;
        std::function<void()> Attempt;
    } attempts[] = {
        {"text", [&] { Main().OpenFile(text); }},
        {"missing", [&] { Main().OpenFile(QPath("missing.pdf")); }},
        {"folder", [&] { Main().OpenFile(QPath("folder.pdf")); }},
        {"no name", [&] { Main().OpenFile(QString()); }},
        {"shortcut to text", [&] { Main().OpenFile(toText); }},
        {"damaged shortcut", [&] { Main().OpenFile(junk); }},
        {"dropped text and folder", [&] { Main().DropFiles({text, QPath("folder.pdf")}); }},
        {"dropped folder", [&] { Main().DropFiles({QPath("folder.pdf")}); }},
        {"the open dialog cancelled", [&] {
             Main().OpenDialog().Chooser = [](TOpenDialogEx&) { return false; };
             Main().ToolButton1->click();
         }},
    };
    for (const char* loaded : {static_cast<const char*>(nullptr), "sample.pdf"}) {
        if (loaded) Main().OpenFile(Write(loaded, GoodPdf()));
        const QStringList before = Main().MemoLines();
        for (const auto& attempt : attempts) {
            SCOPED_TRACE(std::string(attempt.Name) + (loaded ? " after a file" : ""));
            attempt.Attempt();
            EXPECT_EQ(WindowTitle(), Title(loaded));
            EXPECT_EQ(Main().MemoLines(), before);
            EXPECT_EQ(Main().Run1->isEnabled(), loaded != nullptr);
            EXPECT_EQ(Main().N2->isEnabled(), loaded != nullptr);
            EXPECT_TRUE(Main().isEnabled());
        }
    }
}

// The comment options are a radio pair; extended reading is a checkable
// item below them, remembered in the settings file.
TEST_F(MainWindowTest, TheOptionsAreACommentRadioPairAndARememberedExtendedReadingItem) {
    Main().N5->trigger();
    EXPECT_TRUE(Main().N5->isChecked());
    EXPECT_FALSE(Main().N6->isChecked());
    Main().N6->trigger();
    EXPECT_TRUE(Main().N6->isChecked());
    EXPECT_FALSE(Main().N5->isChecked());

    const QList<QAction*> options = Main().N7->actions();
    ASSERT_EQ(options.size(), 4);
    EXPECT_TRUE(options[2]->isSeparator());
    EXPECT_EQ(options[3], Main().N8);
    EXPECT_EQ(Main().N8->text(), QString::fromUtf8("拡張読み込み（PDF 1.5 以降など）"));
    EXPECT_TRUE(Main().N8->isCheckable());
    EXPECT_FALSE(Main().N8->isChecked());
    Main().N8->trigger();
    EXPECT_TRUE(Main().N8->isChecked());
    QSettings stored(Main().SettingsFileName(), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Options/ExtendedReading").toInt(), 1);
    EXPECT_TRUE(ReadExtendedReading(Main().SettingsFileName()));
}

TEST_F(MainWindowTest, ReadMeAndHomePageGoToTheDesktopOrSayWhatCouldNotBeOpened) {
    const QString guide = QDir::toNativeSeparators(InstalledUserGuideFileName());
    struct TCase {
        const char* Name;
        const char* HomePage;  // in the settings file; null: none
        bool DesktopOpens;
        QString Opened;  // the URL handed to the desktop; empty: none
        QString Box;     // the warning shown; empty: none
    };
    const TCase cases[] = {
        {"an address", "https://example.net/lumerra/", true, QStringLiteral("https://example.net/lumerra/"), {}},
        {"a path", "/srv/guide/index.html", true, QStringLiteral("file:///srv/guide/index.html"), {}},
        {"no address, the guide not installed", nullptr, true, {},
         QString::fromUtf8("ユーザーガイドが見つかりません。\n") + guide},
        {"no program for the address", "https://example.net/", false, QStringLiteral("https://example.net/"),
         QString::fromUtf8("設定ファイルのアドレスを開くプログラムが見つかりません。\nhttps://example.net/\n設定ファイル: ") +
             QDir::toNativeSeparators(FSettings)},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        WriteFileBytes(FSettings.toStdString(),
                       test.HomePage ? std::string("[Help]\nHomePage=") + test.HomePage + "\n" : std::string());
        FUrls.Urls.clear();
        FUrls.Opens = test.DesktopOpens;
        FBoxes.Boxes.clear();
        Main().ToolButton4->click();
        Main().GoHome->trigger();
        ASSERT_EQ(FUrls.Urls.size(), test.Opened.isEmpty() ? 0u : 2u);
        if (!test.Opened.isEmpty()) {
            EXPECT_EQ(FUrls.Urls[0].toString(), test.Opened);
        }
        ASSERT_EQ(FBoxes.Boxes.size(), test.Box.isEmpty() ? 0u : 2u);
        if (test.Box.isEmpty()) continue;
        EXPECT_EQ(FBoxes.Boxes[0].Kind, TMessageBoxKind::Warning);
        EXPECT_EQ(FBoxes.Boxes[0].Caption, QStringLiteral("PDF Lumerra"));
        EXPECT_EQ(FBoxes.Boxes[0].Text, test.Box);
    }

    // F1: the read-me beside the program, or a box with its path when the
    // desktop has nothing to show it with.
    for (const bool opens : {true, false}) {
        FUrls.Urls.clear();
        FUrls.Opens = opens;
        FBoxes.Boxes.clear();
        Main().Contents1->trigger();
        ASSERT_EQ(FUrls.Urls.size(), 1u);
        EXPECT_EQ(QFileInfo(FUrls.Urls[0].toLocalFile()).fileName(), QStringLiteral("readme.txt"));
        ASSERT_EQ(FBoxes.Boxes.size(), opens ? 0u : 1u);
        if (!opens) {
            EXPECT_EQ(FBoxes.Boxes[0].Text, QString::fromUtf8("このファイルを開くプログラムが見つかりません。\n") +
                                                QDir::toNativeSeparators(FUrls.Urls[0].toLocalFile()));
        }
    }
}

// Closing writes the position: into a new settings file, or into the one
// there, keeping its other sections; the next start reads it back.
TEST_F(MainWindowTest, ClosingWritesThePositionCreatingTheFileOrKeepingOtherSections) {
    ASSERT_FALSE(QFileInfo::exists(FSettings));
    Main().show();
    Main().close();
    const std::string created = ReadFileBytes(FSettings.toStdString());
    for (const char* line : {"[frmMain]", "Left=50", "Top=50"}) EXPECT_NE(created.find(line), std::string::npos) << line;

    WriteFileBytes(FSettings.toStdString(), "[Other]\nKey=kept\n\n[frmMain]\nLeft=200\nTop=150\n");
    Recreate();
    EXPECT_EQ(Main().pos(), QPoint(200, 150));
    Main().move(123, 77);
    Main().Exit1->trigger();
    EXPECT_FALSE(Main().isVisible());
    QSettings settings(FSettings, QSettings::IniFormat);
    EXPECT_EQ(settings.value("frmMain/Left").toString(), QStringLiteral("123"));
    EXPECT_EQ(settings.value("frmMain/Top").toString(), QStringLiteral("77"));
    EXPECT_EQ(settings.value("Other/Key").toString(), QStringLiteral("kept"));
    Recreate();
    EXPECT_EQ(Main().pos(), QPoint(123, 77));
}

}  // namespace
}  // namespace lumerra::test
