#include "shell/ObjectBrowser.h"

#include <algorithm>

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "history/AnalystObjectSource.h"
#include "model/ObjectPath.h"
#include "model/ObjectSearch.h"
#include "shell/ExtendedDocument.h"
#include "shell/Fonts.h"
#include "shell/ObjectTreeModel.h"
#include "shell/ObjectView.h"

namespace lumerra {

namespace {

QString Text(const char* Utf8) { return QString::fromUtf8(Utf8); }
QString Text(const std::string& Utf8) { return QString::fromStdString(Utf8); }

}  // namespace

std::optional<TBrowserDocument> BrowserDocumentFor(TPDFAnalyst& Loaded, std::string& Why) {
    TBrowserDocument document;
    document.FileName = Loaded.FileName();
    document.ReadAgain = Loaded.Reading() != TReading::Extended;
    TPDFAnalyst* analyst = nullptr;
    try {
        analyst = &ExtendedDocumentOf(Loaded, document.Reloaded);
    } catch (const std::exception& error) {
        Why = error.what();
        return std::nullopt;
    }
    document.Source = std::make_unique<TAnalystObjectSource>(*analyst);
    return document;
}

TfrmBrowser::TfrmBrowser(TBrowserDocument Document, QWidget* Parent)
    : QMainWindow(Parent), FDocument(std::move(Document)), FModel(std::make_unique<TObjectTreeModel>(*FDocument.Source)) {
    setObjectName(QStringLiteral("frmBrowser"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFont(WindowFont());
    const QString name = Text(FDocument.FileName.substr(FDocument.FileName.find_last_of("/\\") + 1));
    setWindowTitle(Text("オブジェクトの表示 - ") + name);
    CreateWidgets();
    CreateActions();
    // 900 x 600, within the screen's room at any scale.
    const QSize room = screen()->availableSize() * 9 / 10;
    resize(std::min(900, room.width()), std::min(600, room.height()));
    FNote->setText(FDocument.ReadAgain
                       ? Text("拡張読み込みで読み直して表示しています（オプションの「拡張読み込み」がオフでも、この画面はそう読みます）。")
                       : Text("拡張読み込みで読み込んだ内容を表示しています。"));
    Select(FModel->TrailerIndex());
    FTree->expand(FModel->TrailerIndex());
}

TfrmBrowser::~TfrmBrowser() {
    // The views go before the model they show.
    FTree->setModel(nullptr);
}

void TfrmBrowser::CreateWidgets() {
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(6, 6, 6, 6);

    FNote = new QLabel(client);
    FNote->setObjectName(QStringLiteral("ReadingNote"));
    FNote->setWordWrap(true);
    layout->addWidget(FNote);

    auto* bar = new QHBoxLayout();
    auto* pathLabel = new QLabel(Text("パス(&P):"), client);
    FPathBar = new QLineEdit(client);
    FPathBar->setObjectName(QStringLiteral("PathBar"));
    FPathBar->setPlaceholderText(Text("trailer/Root/Pages/Kids/0、またはオブジェクト番号"));
    pathLabel->setBuddy(FPathBar);
    auto* findLabel = new QLabel(Text("検索(&S):"), client);
    FFindBox = new QLineEdit(client);
    FFindBox->setObjectName(QStringLiteral("FindBox"));
    FFindBox->setPlaceholderText(Text("キーまたは名前"));
    findLabel->setBuddy(FFindBox);
    bar->addWidget(pathLabel);
    bar->addWidget(FPathBar, 3);
    bar->addWidget(findLabel);
    bar->addWidget(FFindBox, 1);
    layout->addLayout(bar);

    auto* split = new QSplitter(Qt::Horizontal, client);
    auto* left = new QWidget(split);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    FTree = new QTreeView(left);
    FTree->setObjectName(QStringLiteral("Tree"));
    FTree->setHeaderHidden(true);
    FTree->setUniformRowHeights(true);
    // Long rows scroll sideways instead of being cut short.
    FTree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    FTree->header()->setStretchLastSection(false);
    FTree->setModel(FModel.get());
    FReferrersLabel = new QLabel(Text("参照元(&R):"), left);
    FReferrersLabel->setWordWrap(true);
    FReferrers = new QListWidget(left);
    FReferrers->setObjectName(QStringLiteral("Referrers"));
    FReferrersLabel->setBuddy(FReferrers);
    leftLayout->addWidget(FTree, 3);
    leftLayout->addWidget(FReferrersLabel);
    leftLayout->addWidget(FReferrers, 1);

    FView = new TObjectView(*FDocument.Source, split);
    split->addWidget(left);
    split->addWidget(FView);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    layout->addWidget(split, 1);
    setCentralWidget(client);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& Index) { Selected(Index); });
    connect(FTree, &QTreeView::activated, this, [this](const QModelIndex& Index) { Activated(Index); });
    connect(FPathBar, &QLineEdit::returnPressed, this, [this] { GoToPath(FPathBar->text()); });
    connect(FFindBox, &QLineEdit::returnPressed, this, [this] { FindNext(FFindBox->text()); });
    connect(FReferrers, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* Item) { GoToPath(Item->data(Qt::UserRole).toString()); });
}

void TfrmBrowser::CreateActions() {
    auto add = [this](QMenu* Menu, const char* Name, const char* Caption, const QKeySequence& Keys, auto Slot) {
        auto* action = new QAction(Text(Caption), this);
        action->setObjectName(Text(Name));
        action->setShortcut(Keys);
        Menu->addAction(action);
        connect(action, &QAction::triggered, this, Slot);
        return action;
    };
    QMenu* go = menuBar()->addMenu(Text("移動(&G)"));
    FBackAction = add(go, "Back", "戻る(&B)", QKeySequence(Qt::ALT | Qt::Key_Left), [this] { Back(); });
    FForwardAction = add(go, "Forward", "進む(&F)", QKeySequence(Qt::ALT | Qt::Key_Right), [this] { Forward(); });
    go->addSeparator();
    add(go, "GoToObject", "オブジェクトへ移動(&G)...", QKeySequence(Qt::CTRL | Qt::Key_G), [this] {
        FPathBar->setFocus();
        FPathBar->selectAll();
    });
    add(go, "Find", "検索(&S)...", QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
        FFindBox->setFocus();
        FFindBox->selectAll();
    });
    add(go, "FindNext", "次を検索(&N)", QKeySequence(Qt::Key_F3), [this] { FindNext(FFindBox->text()); });
    add(go, "Referrers", "参照元の一覧(&R)", QKeySequence(Qt::CTRL | Qt::Key_R), [this] {
        ShowReferrers();
        FReferrers->setFocus();
    });
    add(go, "TreeFocus", "ツリーへ(&L)", QKeySequence(Qt::CTRL | Qt::Key_L), [this] { FTree->setFocus(); });
    go->addSeparator();
    add(go, "CloseBrowser", "閉じる(&C)", QKeySequence(Qt::Key_Escape), [this] { close(); });
    QMenu* view = menuBar()->addMenu(Text("表示(&V)"));
    add(view, "TextView", "ストリームをテキストで(&T)", QKeySequence(Qt::CTRL | Qt::Key_1), [this] { SetHexView(false); });
    add(view, "HexView", "ストリームを 16 進ダンプで(&X)", QKeySequence(Qt::CTRL | Qt::Key_2), [this] { SetHexView(true); });
}

void TfrmBrowser::Say(const QString& Text) { statusBar()->showMessage(Text); }

void TfrmBrowser::Select(const QModelIndex& Index) {
    if (!Index.isValid()) return;
    for (QModelIndex above = Index.parent(); above.isValid(); above = above.parent()) FTree->expand(above);
    FTree->setCurrentIndex(Index);
    FTree->scrollTo(Index);
    // Selecting the row already current shows it all the same.
    Selected(Index);
}

void TfrmBrowser::Selected(const QModelIndex& Index) {
    if (!Index.isValid()) return;
    if (!FMoving && (FHistory.empty() || FHistory[FAt] != QPersistentModelIndex(Index))) {
        if (!FHistory.empty()) FHistory.resize(FAt + 1);
        FHistory.emplace_back(Index);
        FAt = FHistory.size() - 1;
    }
    FBackAction->setEnabled(FAt > 0);
    FForwardAction->setEnabled(FAt + 1 < FHistory.size());
    FPathBar->setText(Text(FModel->PathAt(Index)));

    FView->Show(FModel->ValueAt(Index), FModel->ObjectAt(Index), FModel->OwnerAt(Index), FModel->InsideAt(Index),
                FModel->LinkTarget(Index).isValid());
}

void TfrmBrowser::Activated(const QModelIndex& Index) {
    const QModelIndex link = FModel->LinkTarget(Index);
    if (link.isValid()) {
        Select(link);
        return;
    }
    FTree->setExpanded(Index, !FTree->isExpanded(Index));
}

void TfrmBrowser::SetHexView(bool Hex) { FView->SetHexView(Hex); }

bool TfrmBrowser::WalkSteps(QModelIndex At, const std::vector<std::string>& Steps) {
    for (const std::string& step : Steps) {
        if (const QModelIndex link = FModel->LinkTarget(At); link.isValid()) At = link;
        const QModelIndex next = FModel->Child(At, step);
        if (!next.isValid()) {
            Select(At);
            Say(Text("%1 に「%2」はありません。").arg(Text(FModel->PathAt(At)), Text(step)));
            return false;
        }
        At = next;
    }
    Select(At);
    return true;
}

bool TfrmBrowser::HasObject(int32_t Number) {
    if (Number >= 0 && Number < FDocument.Source->ObjectCount() && FDocument.Source->Place(Number).Location.Found())
        return true;
    Say(Text("オブジェクト %1 はこのファイルにありません。").arg(Number));
    return false;
}

bool TfrmBrowser::GoToObject(int32_t Number) {
    if (!HasObject(Number)) return false;
    Select(FModel->ObjectIndex(Number));
    Say(QString());
    return true;
}

bool TfrmBrowser::GoToPath(const QString& Path) {
    const std::optional<TShowTarget> target = ParseShowTarget(Path.trimmed().toStdString());
    if (!target) {
        Say(Text("「%1」はパスとして読めません。").arg(Path.trimmed()));
        return false;
    }
    using TKind = TShowTarget::TKind;
    switch (target->Kind) {
        case TKind::Trailer: Select(FModel->TrailerIndex()); return true;
        case TKind::Object: return GoToObject(target->Number);
        case TKind::Path:
            if (target->Number >= 0 && !HasObject(target->Number)) return false;
            Say(QString());
            return WalkSteps(target->Number < 0 ? FModel->TrailerIndex() : FModel->ObjectIndex(target->Number),
                             target->Steps);
        case TKind::Page: {
            const std::optional<int32_t> object = FDocument.Source->PageObject(target->Number);
            if (!object) {
                Say(Text("ページ %1 はありません。").arg(target->Number));
                return false;
            }
            return GoToObject(*object);
        }
        case TKind::Refs:
            if (!GoToObject(target->Number)) return false;
            ShowReferrers();
            return true;
        case TKind::Xref: break;
    }
    Say(Text("相互参照表はここでは表示しません（コマンドラインの lumerra show FILE xref で表示できます）。"));
    return false;
}

void TfrmBrowser::Back() {
    if (FAt == 0 || FHistory.empty()) return;
    FMoving = true;
    Select(FHistory[--FAt]);
    FMoving = false;
}

void TfrmBrowser::Forward() {
    if (FAt + 1 >= FHistory.size()) return;
    FMoving = true;
    Select(FHistory[++FAt]);
    FMoving = false;
}

bool TfrmBrowser::FindNext(const QString& Wanted) {
    const QModelIndex current = FTree->currentIndex();
    const int32_t from = FModel->ObjectAt(current).value_or(FModel->OwnerAt(current));
    const std::optional<TReferrer> found = FindKeyOrName(*FDocument.Source, Wanted.trimmed().toStdString(), from);
    if (!found) {
        Say(Text("「%1」は見つかりませんでした。").arg(Wanted.trimmed()));
        return false;
    }
    const std::string inside = InsideAsPath(found->Inside);
    return GoToPath(Text(std::to_string(found->Object) + (inside.empty() ? "" : "/" + inside)));
}

void TfrmBrowser::ShowReferrers() {
    const QModelIndex current = FTree->currentIndex();
    const int32_t number = FModel->ObjectAt(current).value_or(FModel->OwnerAt(current));
    FReferrers->clear();
    if (number < 0) {
        FReferrersLabel->setText(Text("参照元(&R): trailer を参照するオブジェクトはありません。"));
        return;
    }
    for (const TReferrer& referrer : FindReferrers(*FDocument.Source, number)) {
        const std::string at = referrer.Object < 0 ? "trailer" : std::to_string(referrer.Object);
        const std::string inside = InsideAsPath(referrer.Inside);
        auto* item = new QListWidgetItem(Text(at + ": " + referrer.Inside), FReferrers);
        item->setData(Qt::UserRole, Text(at + (inside.empty() ? "" : "/" + inside)));
    }
    FReferrersLabel->setText(Text("参照元(&R): オブジェクト %1 を参照している場所 %2 件")
                                 .arg(number)
                                 .arg(FReferrers->count()));
    if (FReferrers->count() > 0) FReferrers->setCurrentRow(0);
}

bool TfrmBrowser::ShowStreamAt(int32_t Number, int64_t Offset, int64_t Length) {
    return GoToObject(Number) && FView->StreamObject() == Number && FView->MarkData(Offset, Length);
}

std::string TfrmBrowser::CurrentPath() const { return FModel->PathAt(FTree->currentIndex()); }
QString TfrmBrowser::PlaceText() const { return FView->PlaceText(); }
QString TfrmBrowser::ValueText() const { return FView->ValueText(); }
QString TfrmBrowser::StreamInfoText() const { return FView->StreamInfoText(); }
QString TfrmBrowser::DataText() const { return FView->DataText(); }
QString TfrmBrowser::NoteText() const { return FNote->text(); }
QString TfrmBrowser::StatusText() const { return statusBar()->currentMessage(); }
QString TfrmBrowser::MarkedData() const { return FView->MarkedData(); }

QStringList TfrmBrowser::ReferrerLines() const {
    QStringList lines;
    for (int i = 0; i < FReferrers->count(); ++i) lines << FReferrers->item(i)->text();
    return lines;
}

}  // namespace lumerra
