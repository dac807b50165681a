// TfrmMain: the main window. Opens one PDF file at a time (menu, tool bar,
// drop, shortcut), shows the load result in its text area and runs the
// decoding of every page into a report chosen in the save dialog, or the
// content check of every page into the text area.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include "pdf/PDFAnalyst.h"
#include "shell/DialogEx.h"
#include "shell/EscapeKey.h"

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace lumerra {
class TfrmBrowser;
class TFindingJump;
class TfrmProg;
struct TFindingMark;
}

namespace lumerra {

// The caption with no file open, and the first part of it with one.
inline constexpr char AppTitle[] = "PDF Lumerra v" LUMERRA_VERSION;

// The separator of the load messages ("=-" 25 times and "=") and the dash
// line of the completion message (51 "-").
inline constexpr char SeparatorLine[] = "=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=";
inline constexpr char DashLine[] = "---------------------------------------------------";

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    // SettingsFile: where the window position is kept; empty for the
    // program's own settings file.
    explicit TfrmMain(const QString& SettingsFile = QString(), QWidget* Parent = nullptr);
    ~TfrmMain() override;

    // ---- Components, under their form names (also their object names)
    QWidget* CoolBar1;
    QToolBar* ToolBar1;
    QToolButton* ToolButton1;
    QFrame* ToolButton11;
    QToolButton* ToolButton3;
    QFrame* ToolButton13;
    QToolButton* ToolButton4;
    std::array<QIcon, 5> ImageList1;
    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* PDF1;
    QAction* N1;
    QAction* Exit1;
    QMenu* R1;
    QAction* N2;
    QAction* N10;  // 内容の検査: the content check into the text area
    QAction* N11;  // オブジェクトの表示: the object browser
    QAction* N12;  // オブジェクトの検査: the object check into the text area
    QAction* N4;
    QMenu* N7;
    QMenu* Help1;
    QAction* Contents1;
    QAction* N3;
    QAction* GoHome;
    QAction* N5;
    QAction* N6;
    QAction* N9;  // separator
    QAction* N8;  // extended reading, a checkable item of its own
    QStatusBar* StatusBar1;
    QPlainTextEdit* Memo1;
    QToolButton* Run1;
    QFrame* ToolButton5;
    QFrame* ToolButton2;

    // The cancel request of a run: cleared before each run, set by the
    // progress dialog's button and by the run when it stops early.
    bool Cancel = false;

    // ---- Operations
    void OpenFile(const QString& FileName);
    // Opens the first of the dropped files; the window is disabled meanwhile.
    void DropFiles(const QStringList& FileNames);

    // ---- Command handlers
    void ToolButton1Click();
    void Exit1Click();
    void R1Click();
    void N2Click();
    void N10Click();
    void N11Click();
    void N12Click();
    void N5Click();
    void N6Click();
    void N8Click();
    void Contents1Click();
    void GoHomeClick();

    // The progress dialog of the runs (not owned); its cancel button then
    // sets Cancel.
    void SetProgressDialog(TfrmProg* Dialog);

    // ---- For the program and its tests
    TOpenDialogEx& OpenDialog() { return *FOpenDialog; }
    TSaveDialogEx& SaveDialog() { return *FSaveDialog; }
    TPDFAnalyst* Analyst() const { return FAnalyst.get(); }
    // The object browser of the loaded file, opened (at Mark, when given)
    // and shown; null when no file is loaded or it cannot be read.
    TfrmBrowser* OpenBrowser(const TFindingMark* Mark = nullptr);
    TfrmBrowser* Browser() const { return FBrowser.get(); }
    TFindingJump& FindingJump() { return *FFindingJump; }
    bool Running() const { return FRunning; }
    const QString& SettingsFileName() const { return FSettingsFile; }
    // The text area's lines, as a list of lines (the last line break ends
    // the last line, it does not start an empty one).
    QStringList MemoLines() const;
    // The texts of the two status panels.
    QString StatusPanelText(int Index) const;

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    bool event(QEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    void CreateComponents();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void ClearMemo();
    void AddLine(const QString& Line);
    void RunToFile();
    void RunContentCheck();
    void RunObjectCheck();
    bool RunAvailable() const;
    bool HasPages() const;

    std::unique_ptr<TPDFAnalyst> FAnalyst;
    // Reads FAnalyst: goes before it.
    std::unique_ptr<TfrmBrowser> FBrowser;
    TFindingJump* FFindingJump = nullptr;  // owned by Memo1
    std::unique_ptr<TOpenDialogEx> FOpenDialog;
    std::unique_ptr<TSaveDialogEx> FSaveDialog;
    std::unique_ptr<TEscapeKeyFilter> FEscapeKey;
    QString FSettingsFile;
    QLabel* FStatusPanel0 = nullptr;
    QLabel* FStatusPanel1 = nullptr;
    bool FRunning = false;
    TfrmProg* FProg = nullptr;
    // The file the default reading refused last, while it is the one shown.
    QString FRefusedFile;
};

}  // namespace lumerra
