// The items of a tree control's model, as a Qt item model for a QTreeView.
//
// The view reads a copy of the tree taken at the last Sync, so the model can
// change at any time (a handler that reloads the tree runs while the view
// is in the middle of a click) without the view seeing a half-built tree.
// Sync compares the copy with the tree: a tree that only changed texts or
// its selection keeps the view's items (and what the user expanded); a
// tree with other items replaces them all in one reset.
#pragma once

#include "platform/TreeCtrl.h"

#include <QAbstractItemModel>

#include <string>
#include <unordered_map>
#include <vector>

namespace qtpresenter {

class TreeModel : public QAbstractItemModel {
public:
    explicit TreeModel(QObject* parent = nullptr) : QAbstractItemModel(parent) {}

    // Takes the tree's items; true when the view's items were replaced.
    bool Sync(const CTreeCtrl& tree);
    QModelIndex IndexOf(HTREEITEM item) const;
    HTREEITEM HandleOf(const QModelIndex& index) const;
    int NodeCount() const { return static_cast<int>(m_nodes.size()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;

private:
    struct Node {
        HTREEITEM handle = nullptr;
        int parent = -1; // index into m_nodes; -1 at the top level
        int row = 0;
        std::string text;
        std::vector<int> children;
    };
    const std::vector<int>& ChildrenOf(const QModelIndex& parent) const;

    std::vector<Node> m_nodes; // in pre-order
    std::vector<int> m_top;
    std::unordered_map<const void*, int> m_byHandle;
};

} // namespace qtpresenter
