// TfrmBrowser: the object browser (実行 → オブジェクトの表示). On the left
// the tree from the trailer and the objects that refer to the selected one;
// on the right the selected value (TObjectView).
// Moving around: a path bar, go to object, back and forward, find by key or
// name. The document is read as extended reading reads, whatever the
// option says.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QPersistentModelIndex>

#include "model/ObjectSource.h"
#include "pdf/PDFAnalyst.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QTreeView;
class QWidget;

namespace lumerra {

class TObjectTreeModel;
class TObjectView;

// What the browser reads: the objects, and what owns them.
struct TBrowserDocument {
    std::unique_ptr<TPDFAnalyst> Reloaded;  // the file read again by extended reading, when needed
    std::unique_ptr<TObjectSource> Source;
    std::string FileName;
    bool ReadAgain = false;  // the window's document was loaded by the default reading
};

// Loaded as the browser reads it: Loaded itself under extended reading, else
// the same file loaded again that way. None when that load fails (Why then
// says why).
std::optional<TBrowserDocument> BrowserDocumentFor(TPDFAnalyst& Loaded, std::string& Why);

class TfrmBrowser final : public QMainWindow {
    Q_OBJECT

public:
    explicit TfrmBrowser(TBrowserDocument Document, QWidget* Parent = nullptr);
    ~TfrmBrowser() override;

    // ---- Moving around; each says in the status bar why it cannot go.
    // A path ("trailer/Root/Pages/Kids/0", "12/Resources"), "N", "N G",
    // "page/P" or "refs/N".
    bool GoToPath(const QString& Path);
    bool GoToObject(int32_t Number);
    void Back();
    void Forward();
    // The next object holding Text as a key or a name value, after the
    // selected one.
    bool FindNext(const QString& Text);
    // Fills the list with the objects that refer to the selected one.
    void ShowReferrers();
    // Stream object Number, its decoded data as text, scrolled to Offset
    // with Length bytes there (the operator) marked.
    bool ShowStreamAt(int32_t Number, int64_t Offset, int64_t Length);
    void SetHexView(bool Hex);

    // ---- For the tests
    TObjectTreeModel& Model() { return *FModel; }
    QTreeView* Tree() const { return FTree; }
    std::string CurrentPath() const;
    QString PlaceText() const;
    QString ValueText() const;
    QString StreamInfoText() const;
    QString DataText() const;
    QString NoteText() const;
    QString StatusText() const;
    QStringList ReferrerLines() const;
    // The marked part of the data view.
    QString MarkedData() const;

private:
    void CreateWidgets();
    void CreateActions();
    void Select(const QModelIndex& Index);
    void Selected(const QModelIndex& Index);
    void Activated(const QModelIndex& Index);
    // True when the file holds object Number; else says so.
    bool HasObject(int32_t Number);
    bool WalkSteps(QModelIndex At, const std::vector<std::string>& Steps);
    void Say(const QString& Text);

    TBrowserDocument FDocument;
    std::unique_ptr<TObjectTreeModel> FModel;
    QLabel* FNote = nullptr;
    QLineEdit* FPathBar = nullptr;
    QLineEdit* FFindBox = nullptr;
    QTreeView* FTree = nullptr;
    QLabel* FReferrersLabel = nullptr;
    QListWidget* FReferrers = nullptr;
    TObjectView* FView = nullptr;
    QAction* FBackAction = nullptr;
    QAction* FForwardAction = nullptr;

    std::vector<QPersistentModelIndex> FHistory;
    size_t FAt = 0;
    bool FMoving = false;  // back or forward: the history stays as it is
};

}  // namespace lumerra
