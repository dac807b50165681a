// The object browser's tree: the trailer, and any object opened by number,
// at the top; a dictionary or array opens into its entries, a reference
// into its object. Children are read from the source only when a row is
// opened, and a reference's kind only when its row is shown. A reference
// to an object already open higher up the same branch is a link to that
// row: it does not open again, so cycles never loop.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractItemModel>

#include "model/ObjectSource.h"

namespace lumerra {

class TObjectTreeModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    // Source outlives the model.
    explicit TObjectTreeModel(TObjectSource& Source, QObject* Parent = nullptr);
    ~TObjectTreeModel() override;

    QModelIndex index(int Row, int Column, const QModelIndex& Parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& Child) const override;
    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& Parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& Parent) const override;
    void fetchMore(const QModelIndex& Parent) override;

    QModelIndex TrailerIndex() const;
    // Object Number's row at the top, added when it is not there yet.
    QModelIndex ObjectIndex(int32_t Number);
    // Parent's child by key (no slash, decoded) or index; its children are
    // read first. Invalid when it has none such.
    QModelIndex Child(const QModelIndex& Parent, const std::string& Step);

    // The value the row shows: a reference's object, else the value itself.
    const TValue* ValueAt(const QModelIndex& Index) const;
    // The object the row's value is (a reference's target, an object at the
    // top, -1 for the trailer), or none when it lies inside one.
    std::optional<int32_t> ObjectAt(const QModelIndex& Index) const;
    // The object the row lies in (-1 for the trailer) and where inside it
    // ("/Resources/Font"); for a reference, where the reference stands.
    int32_t OwnerAt(const QModelIndex& Index) const;
    std::string InsideAt(const QModelIndex& Index) const;
    // "trailer/Root/Pages/Kids/0", or "12/Kids/0" below an object at the top.
    std::string PathAt(const QModelIndex& Index) const;
    // The row higher up that a link row jumps to; invalid for other rows.
    QModelIndex LinkTarget(const QModelIndex& Index) const;

private:
    struct TNode;
    TNode* NodeAt(const QModelIndex& Index) const;
    QModelIndex IndexOf(const TNode* Node) const;
    void ReadChildren(TNode& Node);
    const TValue* Shown(TNode& Node) const;
    std::unique_ptr<TNode> NewTop(int32_t Number);

    TObjectSource& FSource;
    std::vector<std::unique_ptr<TNode>> FTop;
};

// What a value is, in a few words, for a reference's row: "/Type /Page",
// "/Type /Font /Subtype /Type1", or "辞書", "配列", "ストリーム", ...
std::string ValueKindText(const TValue& Value);

}  // namespace lumerra
