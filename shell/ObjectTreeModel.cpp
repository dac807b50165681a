#include "shell/ObjectTreeModel.h"

#include "model/ObjectPath.h"
#include "syntax/ValueWriter.h"

namespace lumerra {

namespace {

constexpr int32_t BelowTop = -2;

// A scalar as its row shows it: written, and cut short.
std::string ShortValue(const TValue& Value) {
    std::string text = WrittenValue(Value);
    if (text.size() > 80) text = text.substr(0, 77) + "...";
    return text;
}

std::string CountText(size_t Count) { return " (" + std::to_string(Count) + " 項目)"; }

}  // namespace

struct TObjectTreeModel::TNode {
    TNode* Parent = nullptr;
    int Row = 0;
    std::string Step;  // a key (decoded) or an index; an object's label at the top
    bool IsIndex = false;
    TValuePtr Owner;  // keeps Value alive
    const TValue* Value = nullptr;  // as it stands: a reference stays one
    int32_t Object = -1;            // the object it lies in (-1: the trailer)
    std::string Inside;
    int32_t Top = BelowTop;  // at the top: its object (-1: the trailer)
    int32_t Opens = -1;      // a reference's object
    const TNode* Link = nullptr;
    bool Read = false;
    TValuePtr Target;  // a reference's object, once read
    std::vector<std::unique_ptr<TNode>> Children;

    // The object this row is, if it is one.
    std::optional<int32_t> Is() const {
        if (Top != BelowTop) return Top;
        if (Opens >= 0) return Opens;
        return std::nullopt;
    }
};

std::string ValueKindText(const TValue& Value) {
    switch (Value.Kind()) {
        case TValue::TKind::Dictionary:
        case TValue::TKind::Stream: {
            std::string text;
            for (const char* key : {"Type", "Subtype", "S", "FT"}) {
                const TValue* item = Value.Find(key);
                if (item != nullptr && item->Is(TValue::TKind::Name))
                    text += (text.empty() ? "" : " ") + WrittenName(key) + " " + WrittenName(item->Text());
            }
            if (!text.empty()) return Value.Is(TValue::TKind::Stream) ? "ストリーム " + text : text;
            return (Value.Is(TValue::TKind::Stream) ? "ストリーム" : "辞書") + CountText(Value.Entries().size());
        }
        case TValue::TKind::Array: return "配列" + CountText(Value.Items().size());
        default: return ShortValue(Value);
    }
}

TObjectTreeModel::TObjectTreeModel(TObjectSource& Source, QObject* Parent) : QAbstractItemModel(Parent), FSource(Source) {
    auto trailer = std::make_unique<TNode>();
    trailer->Top = -1;
    trailer->Owner = FSource.Trailer();
    trailer->Value = trailer->Owner.get();
    FTop.push_back(std::move(trailer));
}

TObjectTreeModel::~TObjectTreeModel() = default;

TObjectTreeModel::TNode* TObjectTreeModel::NodeAt(const QModelIndex& Index) const {
    return Index.isValid() ? static_cast<TNode*>(Index.internalPointer()) : nullptr;
}

QModelIndex TObjectTreeModel::IndexOf(const TNode* Node) const {
    return Node == nullptr ? QModelIndex() : createIndex(Node->Row, 0, const_cast<TNode*>(Node));
}

const TValue* TObjectTreeModel::Shown(TNode& Node) const {
    if (Node.Opens < 0) return Node.Value;
    if (!Node.Target) Node.Target = FSource.Object(Node.Opens);
    return Node.Target.get();
}

QModelIndex TObjectTreeModel::index(int Row, int Column, const QModelIndex& Parent) const {
    if (Column != 0 || Row < 0) return {};
    const auto& rows = Parent.isValid() ? NodeAt(Parent)->Children : FTop;
    if (static_cast<size_t>(Row) >= rows.size()) return {};
    return IndexOf(rows[static_cast<size_t>(Row)].get());
}

QModelIndex TObjectTreeModel::parent(const QModelIndex& Child) const {
    const TNode* node = NodeAt(Child);
    return node == nullptr ? QModelIndex() : IndexOf(node->Parent);
}

int TObjectTreeModel::rowCount(const QModelIndex& Parent) const {
    return static_cast<int>(Parent.isValid() ? NodeAt(Parent)->Children.size() : FTop.size());
}

int TObjectTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TObjectTreeModel::hasChildren(const QModelIndex& Parent) const {
    TNode* node = NodeAt(Parent);
    if (node == nullptr) return !FTop.empty();
    if (node->Read) return !node->Children.empty();
    if (node->Link != nullptr) return false;
    // A reference is not read to know: it is read when shown or opened.
    if (node->Opens >= 0 && !node->Target) return true;
    const TValue* value = node->Opens >= 0 ? node->Target.get() : node->Value;
    if (value->IsDictionary()) return !value->Entries().empty();
    if (value->Is(TValue::TKind::Array)) return !value->Items().empty();
    return false;
}

bool TObjectTreeModel::canFetchMore(const QModelIndex& Parent) const {
    const TNode* node = NodeAt(Parent);
    return node != nullptr && !node->Read && hasChildren(Parent);
}

void TObjectTreeModel::fetchMore(const QModelIndex& Parent) {
    TNode* node = NodeAt(Parent);
    if (node == nullptr || node->Read) return;
    ReadChildren(*node);
}

void TObjectTreeModel::ReadChildren(TNode& Node) {
    Node.Read = true;
    if (Node.Link != nullptr) return;
    const TValue* container = Shown(Node);
    const TValuePtr owner = Node.Opens >= 0 ? Node.Target : Node.Owner;
    const bool isObject = Node.Is().has_value();
    std::vector<std::unique_ptr<TNode>> children;
    auto add = [&](std::string Step, bool IsIndex, const TValue& Value, std::string Inside) {
        auto child = std::make_unique<TNode>();
        child->Parent = &Node;
        child->Row = static_cast<int>(children.size());
        child->Step = std::move(Step);
        child->IsIndex = IsIndex;
        child->Owner = owner;
        child->Value = &Value;
        child->Object = isObject ? *Node.Is() : Node.Object;
        child->Inside = (isObject ? std::string() : Node.Inside) + Inside;
        if (Value.Is(TValue::TKind::Reference)) {
            child->Opens = Value.AsReference().Number;
            for (const TNode* above = &Node; above != nullptr && child->Link == nullptr; above = above->Parent)
                if (above->Is() == child->Opens) child->Link = above;
        }
        children.push_back(std::move(child));
    };
    if (container->IsDictionary())
        for (const auto& [key, item] : container->Entries()) add(key, false, item, InsideStep(key));
    else if (container->Is(TValue::TKind::Array))
        for (size_t i = 0; i < container->Items().size(); ++i)
            add(std::to_string(i), true, container->Items()[i], InsideIndex(i));
    if (children.empty()) return;
    beginInsertRows(IndexOf(&Node), 0, static_cast<int>(children.size()) - 1);
    Node.Children = std::move(children);
    endInsertRows();
}

QVariant TObjectTreeModel::data(const QModelIndex& Index, int Role) const {
    TNode* node = NodeAt(Index);
    if (node == nullptr || (Role != Qt::DisplayRole && Role != Qt::ToolTipRole)) return {};
    std::string text;
    if (node->Top == -1) {
        text = "trailer";
    } else if (node->Top >= 0) {
        text = node->Step + "  " + ValueKindText(*node->Value);
    } else {
        text = node->IsIndex ? "[" + node->Step + "]" : WrittenName(node->Step);
        text += "  ";
        if (node->Opens >= 0) {
            text += WrittenValue(*node->Value) + "  ";
            text += node->Link != nullptr ? "（上で開いています）" : ValueKindText(*Shown(*node));
        } else {
            text += ValueKindText(*node->Value);
        }
    }
    return QString::fromStdString(text);
}

QModelIndex TObjectTreeModel::TrailerIndex() const { return IndexOf(FTop.front().get()); }

std::unique_ptr<TObjectTreeModel::TNode> TObjectTreeModel::NewTop(int32_t Number) {
    auto node = std::make_unique<TNode>();
    node->Top = Number;
    node->Object = Number;
    // The row's label, "12 0 obj", read once.
    node->Step = std::to_string(Number) + " " + std::to_string(FSource.Place(Number).Generation) + " obj";
    node->Owner = FSource.Object(Number);
    node->Value = node->Owner.get();
    node->Row = static_cast<int>(FTop.size());
    return node;
}

QModelIndex TObjectTreeModel::ObjectIndex(int32_t Number) {
    for (const auto& top : FTop)
        if (top->Top == Number) return IndexOf(top.get());
    const int row = static_cast<int>(FTop.size());
    auto node = NewTop(Number);
    beginInsertRows(QModelIndex(), row, row);
    FTop.push_back(std::move(node));
    endInsertRows();
    return IndexOf(FTop.back().get());
}

QModelIndex TObjectTreeModel::Child(const QModelIndex& Parent, const std::string& Step) {
    TNode* node = NodeAt(Parent);
    if (node == nullptr) return {};
    if (!node->Read) ReadChildren(*node);
    for (const auto& child : node->Children)
        if (child->Step == Step) return IndexOf(child.get());
    return {};
}

const TValue* TObjectTreeModel::ValueAt(const QModelIndex& Index) const {
    TNode* node = NodeAt(Index);
    return node == nullptr ? nullptr : Shown(*node);
}

std::optional<int32_t> TObjectTreeModel::ObjectAt(const QModelIndex& Index) const {
    const TNode* node = NodeAt(Index);
    return node == nullptr ? std::nullopt : node->Is();
}

int32_t TObjectTreeModel::OwnerAt(const QModelIndex& Index) const {
    const TNode* node = NodeAt(Index);
    return node == nullptr ? -1 : node->Object;
}

std::string TObjectTreeModel::InsideAt(const QModelIndex& Index) const {
    const TNode* node = NodeAt(Index);
    return node == nullptr ? std::string() : node->Inside;
}

std::string TObjectTreeModel::PathAt(const QModelIndex& Index) const {
    std::string path;
    for (const TNode* node = NodeAt(Index); node != nullptr; node = node->Parent) {
        if (node->Top == -1) return "trailer" + path;
        if (node->Top >= 0) return std::to_string(node->Top) + path;
        path.insert(0, "/" + (node->IsIndex ? node->Step : WrittenName(node->Step).substr(1)));
    }
    return path;
}

QModelIndex TObjectTreeModel::LinkTarget(const QModelIndex& Index) const {
    const TNode* node = NodeAt(Index);
    return node == nullptr ? QModelIndex() : IndexOf(node->Link);
}

}  // namespace lumerra
