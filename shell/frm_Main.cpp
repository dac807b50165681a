#include "shell/frm_Main.h"

#include <algorithm>
#include <thread>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/StrUtils.h"
#include "decoder/PDFLumerra.h"
#include "shell/ContentCheckRun.h"
#include "shell/DocumentLoad.h"
#include "shell/DocumentSummary.h"
#include "shell/FindingJump.h"
#include "shell/Fonts.h"
#include "shell/MessageBoxes.h"
#include "shell/ObjectBrowser.h"
#include "shell/ObjectCheckRun.h"
#include "shell/PasswordDialog.h"
#include "shell/RunSession.h"
#include "shell/ScopeExit.h"
#include "shell/Settings.h"
#include "shell/ShellCommands.h"
#include "shell/ShellLink.h"
#include "shell/frm_Prog.h"

// The images live in the shell library; registering them here keeps the
// linker from dropping them.
static void InitResources() { Q_INIT_RESOURCE(lumerra); }

namespace lumerra {


namespace {

QString Text(const char* Utf8) { return QString::fromUtf8(Utf8); }

bool HasExtension(const QString& Path, const char* Extension) {
    return SameText(ExtractFileExt(Path.toStdString()), Extension);
}

QFrame* NewToolSeparator(QWidget* Parent, const char* Name) {
    auto* separator = new QFrame(Parent);
    separator->setObjectName(Text(Name));
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setFixedSize(8, 22);
    return separator;
}

QToolButton* NewToolButton(QWidget* Parent, const char* Name, const QIcon& Icon, const char* Hint) {
    auto* button = new QToolButton(Parent);
    button->setObjectName(Text(Name));
    button->setIcon(Icon);
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFixedSize(24, 22);
    button->setToolTip(Text(Hint));
    button->setStatusTip(Text(Hint));
    return button;
}

QAction* NewAction(QObject* Parent, const char* Name, const char* Caption, const char* Hint) {
    auto* action = new QAction(Text(Caption), Parent);
    action->setObjectName(Text(Name));
    action->setStatusTip(Text(Hint));
    return action;
}

QAction* NewSeparator(QMenu* Menu, const char* Name) {
    QAction* separator = Menu->addSeparator();
    separator->setObjectName(Text(Name));
    return separator;
}

// Said at load time and after each run of a document whose page tree holds
// no page: the run then has nothing to decode or check.
constexpr char NoPagesLine[] = "% このドキュメントにはページがありません。";

// What the text area shows after a load.
QStringList LoadResultLines(const TLoadResult& Result, const QString& Name) {
    using TOutcome = TLoadResult::TOutcome;
    QStringList lines{QString()};
    switch (Result.Outcome) {
        case TOutcome::Loaded:
            lines << QStringLiteral("% ") + Name + Text(" の読み込みが完了しました。")
                  << Text("% ストリームを展開するにはメニューの「実行」を選択してください。");
            return lines;
        case TOutcome::PasswordNotGiven:
            lines << Text("% パスワードが入力されなかったため、読み込みを中止しました。");
            return lines;
        case TOutcome::SecurityRefused:
            lines << Text(SeparatorLine) << Text("  ") + QString::fromStdString(Result.Message) << Text(SeparatorLine);
            if (Result.PasswordsUsedUp)
                lines << Text("% パスワードを %1 回まちがえたため、読み込みを中止しました。").arg(PasswordAttempts)
                      << Text("% 正しいパスワードを確かめてから、もう一度ファイルを開いてください。");
            return lines;
        case TOutcome::Damaged:
            lines << Text(SeparatorLine) << Text(" このファイルは破損しているか対応できない形式です。")
                  << Text(SeparatorLine);
            break;
        case TOutcome::EncryptedRefused:
            lines << Text(SeparatorLine) << Text("  暗号化されているファイルには対応していません。")
                  << Text(SeparatorLine) << QString();
            break;
    }
    if (Result.ExtendedReadingOpens)
        lines << Text("% オプションの「拡張読み込み（PDF 1.5 以降など）」で読み込めます。");
    return lines;
}

}  // namespace

// Qt's parent-child ownership: every widget and action below is created
// with a parent, which destroys it.
TfrmMain::TfrmMain(const QString& SettingsFile, QWidget* Parent)
    : QMainWindow(Parent), FSettingsFile(SettingsFile.isEmpty() ? DefaultSettingsFileName() : SettingsFile) {
    setObjectName(QStringLiteral("frmMain"));
    InitResources();
    CreateComponents();
    FormCreate();
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::CreateComponents() {
    setFont(WindowFont());
    setBackgroundRole(QPalette::Button);
    setWindowIcon(QIcon(QStringLiteral(":/images/pdf-lumerra.png")));

    ImageList1[0] = QIcon(QStringLiteral(":/images/open.png"));
    ImageList1[2] = QIcon(QStringLiteral(":/images/help.png"));
    ImageList1[3] = QIcon(QStringLiteral(":/images/home.png"));
    ImageList1[4] = QIcon(QStringLiteral(":/images/run.png"));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    CreateToolBar();
    layout->addWidget(CoolBar1);

    Memo1 = new QPlainTextEdit(client);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(TextAreaFont());
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Files dropped on the text area go to the window.
    Memo1->setAcceptDrops(false);
    layout->addWidget(Memo1, 1);
    FFindingJump = new TFindingJump(*Memo1, [this](const TFindingMark& Mark) { OpenBrowser(&Mark); });
    setCentralWidget(client);

    CreateMenus();
    CreateStatusBar();
}

void TfrmMain::CreateToolBar() {
    CoolBar1 = new QWidget(this);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    CoolBar1->setFixedHeight(28);
    auto* band = new QVBoxLayout(CoolBar1);
    band->setContentsMargins(0, 0, 0, 0);
    band->setSpacing(0);
    auto* line = new QFrame(CoolBar1);
    line->setObjectName(QStringLiteral("CoolBar1Line"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedHeight(2);
    band->addWidget(line);

    ToolBar1 = new QToolBar(CoolBar1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setSpacing(0);
    ToolBar1->setStyleSheet(QStringLiteral("QToolBar { border: 0px; background: transparent; }"));
    band->addWidget(ToolBar1, 1);

    ToolButton1 = NewToolButton(ToolBar1, "ToolButton1", ImageList1[0], "ファイルを開く");
    ToolButton5 = NewToolSeparator(ToolBar1, "ToolButton5");
    Run1 = NewToolButton(ToolBar1, "Run1", ImageList1[4], "名前を付けて実行する");
    ToolButton11 = NewToolSeparator(ToolBar1, "ToolButton11");
    ToolButton3 = NewToolButton(ToolBar1, "ToolButton3", ImageList1[2], "ヘルプ");
    ToolButton13 = NewToolSeparator(ToolBar1, "ToolButton13");
    ToolButton4 = NewToolButton(ToolBar1, "ToolButton4", ImageList1[3], "ホームページへ");
    ToolButton2 = NewToolSeparator(ToolBar1, "ToolButton2");
    for (QWidget* item : {static_cast<QWidget*>(ToolButton1), static_cast<QWidget*>(ToolButton5),
                          static_cast<QWidget*>(Run1), static_cast<QWidget*>(ToolButton11),
                          static_cast<QWidget*>(ToolButton3), static_cast<QWidget*>(ToolButton13),
                          static_cast<QWidget*>(ToolButton4), static_cast<QWidget*>(ToolButton2)})
        ToolBar1->addWidget(item);

    connect(ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    connect(Run1, &QToolButton::clicked, this, [this] { N2Click(); });
    connect(ToolButton3, &QToolButton::clicked, this, [this] { Contents1Click(); });
    connect(ToolButton4, &QToolButton::clicked, this, [this] { GoHomeClick(); });
}

void TfrmMain::CreateMenus() {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(MainMenu1);

    File1 = MainMenu1->addMenu(Text("ファイル(&F)"));
    File1->setObjectName(QStringLiteral("File1"));
    PDF1 = NewAction(this, "PDF1", "ファイルを開く", "PDFファイルを開く");
    PDF1->setIcon(ImageList1[0]);
    PDF1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    File1->addAction(PDF1);
    N1 = NewSeparator(File1, "N1");
    Exit1 = NewAction(this, "Exit1", "アプリケーションの終了(&E)", "アプリケーションの終了");
    Exit1->setShortcut(QKeySequence(Qt::Key_Escape));
    File1->addAction(Exit1);

    R1 = MainMenu1->addMenu(Text("実行(&R)"));
    R1->setObjectName(QStringLiteral("R1"));
    N2 = NewAction(this, "N2", "実行(&R)", "名前をつけて実行する");
    N2->setShortcut(QKeySequence(Qt::Key_F9));
    R1->addAction(N2);
    N10 = NewAction(this, "N10", "内容の検査(&C)", "各ページの内容ストリームを検査する");
    R1->addAction(N10);
    N11 = NewAction(this, "N11", "オブジェクトの表示(&O)", "ファイルのオブジェクトを表示する");
    N11->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    R1->addAction(N11);
    N12 = NewAction(this, "N12", "オブジェクトの検査(&B)", "オブジェクトを Arlington PDF Model で検査する");
    R1->addAction(N12);
    N4 = NewSeparator(R1, "N4");
    N7 = R1->addMenu(Text("オプション"));
    N7->setObjectName(QStringLiteral("N7"));
    N7->menuAction()->setStatusTip(Text("オプション"));
    N5 = NewAction(this, "N5", "コメントなし", "出力時にコメントを付加しない");
    N6 = NewAction(this, "N6", "コメントあり (推奨)", "出力時にコメントを付加する");
    auto* group1 = new QActionGroup(this);
    group1->setObjectName(QStringLiteral("Group1"));
    group1->setExclusive(true);
    for (QAction* item : {N5, N6}) {
        item->setCheckable(true);
        group1->addAction(item);
        N7->addAction(item);
    }
    N6->setChecked(true);
    N9 = NewSeparator(N7, "N9");
    N8 = NewAction(this, "N8", "拡張読み込み（PDF 1.5 以降など）",
                   "PDF 1.5 以降の構造や、その他のフィルタも読み込む");
    N8->setCheckable(true);
    N7->addAction(N8);

    Help1 = MainMenu1->addMenu(Text("ヘルプ(&H)"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Contents1 = NewAction(this, "Contents1", "ReadMe.txt", "ヘルプファイルを開く");
    Contents1->setShortcut(QKeySequence(Qt::Key_F1));
    Help1->addAction(Contents1);
    N3 = NewSeparator(Help1, "N3");
    GoHome = NewAction(this, "GoHome", "最新版の入手", "最新版を入手する");
    GoHome->setIcon(ImageList1[3]);
    Help1->addAction(GoHome);

    connect(PDF1, &QAction::triggered, this, [this] { ToolButton1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(R1, &QMenu::aboutToShow, this, [this] { R1Click(); });
    connect(N2, &QAction::triggered, this, [this] { N2Click(); });
    connect(N10, &QAction::triggered, this, [this] { N10Click(); });
    connect(N11, &QAction::triggered, this, [this] { N11Click(); });
    connect(N12, &QAction::triggered, this, [this] { N12Click(); });
    connect(N5, &QAction::triggered, this, [this] { N5Click(); });
    connect(N6, &QAction::triggered, this, [this] { N6Click(); });
    connect(N8, &QAction::triggered, this, [this] { N8Click(); });
    connect(Contents1, &QAction::triggered, this, [this] { Contents1Click(); });
    connect(GoHome, &QAction::triggered, this, [this] { GoHomeClick(); });
}

void TfrmMain::CreateStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(20);
    setStatusBar(StatusBar1);
    // Panel 0: the hints, no bevel. Panel 1: the date of start-up.
    FStatusPanel0 = new QLabel(StatusBar1);
    FStatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    // 420 pixels; it gives way first when the window is narrower, so the
    // date stays whole.
    FStatusPanel0->setMinimumWidth(0);
    FStatusPanel0->setMaximumWidth(420);
    FStatusPanel0->setFrameShape(QFrame::NoFrame);
    FStatusPanel1 = new QLabel(StatusBar1);
    FStatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    FStatusPanel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusBar1->addWidget(FStatusPanel0, 1);
    StatusBar1->addWidget(FStatusPanel1);
}

void TfrmMain::FormCreate() {
    FAnalyst.reset();
    setWindowTitle(Text(AppTitle));
    FStatusPanel1->setText(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    // 50 pixels, or wider when the date needs it: a clipped date helps no one.
    FStatusPanel1->setFixedWidth(std::max(50, FStatusPanel1->sizeHint().width()));

    FOpenDialog = std::make_unique<TOpenDialogEx>(this);
    FOpenDialog->Filter = QStringLiteral("PDF - Portable Document Format|*.pdf");
    FSaveDialog = std::make_unique<TSaveDialogEx>(this);
    FSaveDialog->Filter = QStringLiteral("TXT - Text File|*.txt");
    FSaveDialog->DefaultExt = QStringLiteral(".txt");
    FSaveDialog->Options |= ofOverwritePrompt;

    setAcceptDrops(true);
    FEscapeKey = std::make_unique<TEscapeKeyFilter>();

    // The client area is 524 x 289 below the menu bar.
    resize(524, MainMenu1->sizeHint().height() + 289);
    const TWindowPosition position = ReadWindowPosition(FSettingsFile);
    move(position.Left, position.Top);
    N8->setChecked(ReadExtendedReading(FSettingsFile));
    R1Click();
}

void TfrmMain::FormShow() { setWindowTitle(Text(AppTitle)); }

void TfrmMain::FormClose() {
    WriteWindowPosition(FSettingsFile, {x(), y()});
    // The browser goes with the window it belongs to.
    if (FBrowser) FBrowser->close();
}

void TfrmMain::FormDestroy() {
    FOpenDialog.reset();
    FSaveDialog.reset();
    FBrowser.reset();
    FAnalyst.reset();
    FEscapeKey.reset();
}

void TfrmMain::showEvent(QShowEvent* Event) {
    QMainWindow::showEvent(Event);
    // Only when the program shows the window, not when the desktop
    // restores it.
    if (!Event->spontaneous()) FormShow();
}

void TfrmMain::closeEvent(QCloseEvent* Event) {
    // A run is under way inside the progress handling: its analyser must
    // outlive it.
    if (FRunning) {
        Event->ignore();
        return;
    }
    FormClose();
    Event->accept();
}

bool TfrmMain::event(QEvent* Event) {
    // The automatic hint display: hints go to status panel 0.
    if (Event->type() == QEvent::StatusTip) {
        FStatusPanel0->setText(static_cast<QStatusTipEvent*>(Event)->tip());
        return true;
    }
    return QMainWindow::event(Event);
}

QString TfrmMain::StatusPanelText(int Index) const {
    return Index == 0 ? FStatusPanel0->text() : FStatusPanel1->text();
}

// ---- The text area

void TfrmMain::ClearMemo() { Memo1->clear(); }

void TfrmMain::AddLine(const QString& Line) {
    // Every added line ends with a line break, as in a list of lines; text
    // the user typed without one gets it first.
    QTextCursor cursor(Memo1->document());
    cursor.movePosition(QTextCursor::End);
    const QString text = Memo1->toPlainText();
    QString insert;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) insert += QLatin1Char('\n');
    insert += Line + QLatin1Char('\n');
    cursor.insertText(insert);
}

QStringList TfrmMain::MemoLines() const {
    QString text = Memo1->toPlainText();
    if (text.isEmpty()) return {};
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text.split(QLatin1Char('\n'));
}

// ---- Opening files

void TfrmMain::OpenFile(const QString& FileName) {
    const QString path = HasExtension(FileName, ".lnk")
                             ? QString::fromStdString(GetShortcutTarget(FileName.toStdString()))
                             : FileName;
    if (!QFileInfo(path).isFile()) return;
    if (!HasExtension(path, ".pdf")) return;

    const QString name = QFileInfo(path).fileName();
    setWindowTitle(Text(AppTitle) + QStringLiteral(" - ") + name);
    // From here on the previous document is gone whatever happens, and the
    // run commands follow the new state.
    TScopeExit refreshRunMenu([this] { R1Click(); });
    FBrowser.reset();
    FAnalyst.reset();
    FRefusedFile.clear();

    FAnalyst = NewAnalyst(ReadingFor(N8->isChecked()));
    const TLoadResult result = LoadDocument(*FAnalyst, path.toStdString(), [this, &name](int Attempt) {
        return AskPassword(this, name, Attempt);
    });
    // A refusal of the default reading is read again when the user turns on
    // extended reading.
    FRefusedFile = result.Outcome == TLoadResult::TOutcome::Loaded || N8->isChecked() ? QString() : path;
    if (result.Outcome == TLoadResult::TOutcome::Loaded && FAnalyst->ObjectCount() == 0) return;
    ClearMemo();
    for (const QString& line : LoadResultLines(result, name)) AddLine(line);
    if (result.Outcome == TLoadResult::TOutcome::Loaded) {
        for (const QString& line : DocumentSummaryLines(*FAnalyst)) AddLine(line);
        if (!HasPages()) AddLine(Text(NoPagesLine));
        for (const TMessage& warning : FAnalyst->WarningMessages())
            AddLine(QStringLiteral("% ") + QString::fromStdString(JapaneseText(warning)));
    }
}

void TfrmMain::DropFiles(const QStringList& FileNames) {
    if (FileNames.isEmpty()) return;
    setEnabled(false);
    try {
        OpenFile(FileNames.first());
    } catch (const std::exception& Error) {
        setEnabled(true);
        ShowExceptionBox(this, Error);
        return;
    }
    setEnabled(true);
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* Event) {
    if (Event->mimeData()->hasUrls()) Event->acceptProposedAction();
}

void TfrmMain::dragMoveEvent(QDragMoveEvent* Event) {
    if (Event->mimeData()->hasUrls()) Event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* Event) {
    QStringList names;
    for (const QUrl& url : Event->mimeData()->urls())
        if (url.isLocalFile()) names << url.toLocalFile();
    Event->acceptProposedAction();
    DropFiles(names);
}

// ---- Commands

void TfrmMain::ToolButton1Click() {
    if (!isEnabled()) return;
    RunCommand(this, [this] {
        if (FOpenDialog->Execute()) OpenFile(FOpenDialog->FileName);
    });
}

void TfrmMain::Exit1Click() {
    if (!isEnabled()) return;
    close();
}

bool TfrmMain::HasPages() const {
    TIDList pages;
    FAnalyst->GetPageList(&pages);
    return !pages.empty();
}

bool TfrmMain::RunAvailable() const {
    // An encrypted file runs once extended reading has opened its encryption.
    return FAnalyst != nullptr && FAnalyst->Loaded() && FAnalyst->ObjectCount() > 0 &&
           (!FAnalyst->Encrypted() || FAnalyst->Security() != nullptr);
}

void TfrmMain::R1Click() {
    N2->setEnabled(RunAvailable());
    N10->setEnabled(RunAvailable());
    N11->setEnabled(RunAvailable());
    N12->setEnabled(RunAvailable());
    Run1->setEnabled(RunAvailable());
}

void TfrmMain::N5Click() { N5->setChecked(true); }

void TfrmMain::N6Click() { N6->setChecked(true); }

void TfrmMain::N8Click() {
    WriteExtendedReading(FSettingsFile, N8->isChecked());
    // The refusal on screen would no longer be true.
    if (N8->isChecked() && !FRefusedFile.isEmpty()) RunCommand(this, [this] { OpenFile(FRefusedFile); });
}

void TfrmMain::SetProgressDialog(TfrmProg* Dialog) {
    if (FProg != nullptr) FProg->OnCancel = nullptr;
    FProg = Dialog;
    if (FProg != nullptr) FProg->OnCancel = [this] { Cancel = true; };
}

void TfrmMain::N2Click() {
    if (!isEnabled() || FRunning) return;
    RunCommand(this, [this] { RunToFile(); });
}

void TfrmMain::RunToFile() {
    if (!FSaveDialog->Execute()) return;
    TPDFLumerra decoder(FAnalyst.get());
    decoder.EscapeKeyQuery = [this] { return FEscapeKey->Query(); };
    decoder.Threads = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));

    Cancel = false;
    ClearMemo();
    {
        const TRunSession session(*this, *Memo1, FProg, FRunning);
        // Escape pressed before the run (in the save dialog, say) does not
        // stop it.
        FEscapeKey->Reset();
        // After each page: pending window messages are handled (a press of
        // the cancel button sets Cancel), then the dialog shows the progress.
        const TDecodeProgressProc progress = [this](int32_t Min, int32_t Max, int32_t Position, bool Done) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (FProg != nullptr) FProg->ShowProgress(Min, Max, Position, Done);
        };
        // Every page the page tree gives, as the command line decodes,
        // whatever the catalog's /Count claims.
        decoder.DecodeToFile(FSaveDialog->FileName.toStdString(), 1, TPDFLumerra::ToLastPage, N6->isChecked(),
                             progress, Cancel);
    }

    if (Cancel) {
        AddLine(QString());
        AddLine(Text("% キャンセルされました。m(_ _)m"));
        return;
    }
    AddLine(QString());
    if (HasPages())
        AddLine(Text("% 「ストリームの展開」が完了しました。"));
    else
        AddLine(Text("% 「ストリームの展開」が終わりましたが、ページがないため展開したストリームはありません。"));
    AddLine(Text(DashLine));
    AddLine(QString());
    AddLine(QString());
    AddLine(QString::fromStdString(ExtractFileName(FAnalyst->FileName())) + QStringLiteral(" ---> ") +
            QFileInfo(FSaveDialog->FileName).fileName());
    AddLine(QString());
    AddLine(QString());
    AddLine(Text(DashLine));
}

void TfrmMain::N10Click() {
    if (!isEnabled() || !RunAvailable()) return;
    RunCommand(this, [this] { RunContentCheck(); });
}

void TfrmMain::RunContentCheck() {
    Cancel = false;
    ClearMemo();
    std::optional<std::vector<std::string>> lines;
    std::vector<TFindingMark> marks;
    {
        const TRunSession session(*this, *Memo1, FProg, FRunning);
        FEscapeKey->Reset();
        // Before each page, as the report's run does: window messages (the
        // cancel button), then the progress.
        lines = ContentCheckLines(*FAnalyst, [this](int32_t Done, int32_t Total) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (FEscapeKey->Query()) Cancel = true;
            if (FProg != nullptr) FProg->ShowProgress(0, Total, Done, false);
            return !Cancel;
        }, &marks);
        if (FProg != nullptr) FProg->ShowProgress(0, 1, 1, true);
    }
    if (!lines) {
        AddLine(QString());
        AddLine(Text("% キャンセルされました。m(_ _)m"));
        return;
    }
    AddLine(Text("% 内容の検査: ") + QString::fromStdString(ExtractFileName(FAnalyst->FileName())));
    const int firstLine = Memo1->document()->blockCount() - 1;
    for (const std::string& line : *lines) AddLine(QString::fromStdString(line));
    FFindingJump->SetMarks(firstLine, marks);
    if (!HasPages()) AddLine(Text(NoPagesLine));
}

void TfrmMain::N12Click() {
    if (!isEnabled() || !RunAvailable()) return;
    RunCommand(this, [this] { RunObjectCheck(); });
}

// As the content check runs: the same progress dialog, cancel and lines.
void TfrmMain::RunObjectCheck() {
    Cancel = false;
    ClearMemo();
    std::optional<std::vector<std::string>> lines;
    {
        const TRunSession session(*this, *Memo1, FProg, FRunning);
        FEscapeKey->Reset();
        lines = ObjectCheckLines(*FAnalyst, [this](int64_t Done, int64_t Total) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (FEscapeKey->Query()) Cancel = true;
            if (FProg != nullptr) FProg->ShowProgress(0, static_cast<int32_t>(Total), static_cast<int32_t>(Done), false);
            return !Cancel;
        });
        if (FProg != nullptr) FProg->ShowProgress(0, 1, 1, true);
    }
    if (!lines) {
        AddLine(QString());
        AddLine(Text("% キャンセルされました。m(_ _)m"));
        return;
    }
    AddLine(Text("% オブジェクトの検査: ") + QString::fromStdString(ExtractFileName(FAnalyst->FileName())));
    for (const std::string& line : *lines) AddLine(QString::fromStdString(line));
}

void TfrmMain::N11Click() {
    if (!isEnabled() || !RunAvailable()) return;
    RunCommand(this, [this] { OpenBrowser(); });
}

TfrmBrowser* TfrmMain::OpenBrowser(const TFindingMark* Mark) {
    if (!RunAvailable()) return nullptr;
    if (!FBrowser) {
        std::string why;
        std::optional<TBrowserDocument> document = BrowserDocumentFor(*FAnalyst, why);
        if (!document) {
            ShowStandardErrorBox(this, QString::fromStdString(why));
            return nullptr;
        }
        FBrowser = std::make_unique<TfrmBrowser>(std::move(*document));
    }
    FBrowser->show();
    FBrowser->raise();
    FBrowser->activateWindow();
    if (Mark != nullptr) FBrowser->ShowStreamAt(Mark->Object, Mark->Offset, Mark->Length);
    return FBrowser.get();
}

void TfrmMain::Contents1Click() {
    if (!isEnabled()) return;
    RunCommand(this, [this] { OpenReadMe(this); });
}

void TfrmMain::GoHomeClick() {
    if (!isEnabled()) return;
    RunCommand(this, [this] { OpenHomePage(this, FSettingsFile); });
}

}  // namespace lumerra
