#include "platform/qt/TreeModel.h"

namespace qtpresenter {

namespace {

struct Walked {
    HTREEITEM handle;
    int parent;
};

// The tree's items in pre-order, each with its parent's position in the
// list; texts gets their texts in the same order.
std::vector<Walked> Walk(const CTreeCtrl& tree, std::vector<CString>& texts)
{
    std::vector<Walked> items;
    items.reserve(tree.GetCount());
    texts.clear();
    texts.reserve(tree.GetCount());
    struct Frame {
        HTREEITEM next;
        int parent;
    };
    std::vector<Frame> stack {{tree.GetChildItem(TVI_ROOT), -1}};
    while (!stack.empty()) {
        HTREEITEM item = stack.back().next;
        if (item == nullptr) {
            stack.pop_back();
            continue;
        }
        int parent = stack.back().parent;
        stack.back().next = tree.GetNextSiblingItem(item);
        texts.push_back(tree.GetItemText(item));
        items.push_back({item, parent});
        if (HTREEITEM child = tree.GetChildItem(item)) stack.push_back({child, static_cast<int>(items.size()) - 1});
    }
    return items;
}

} // namespace

bool TreeModel::Sync(const CTreeCtrl& tree)
{
    std::vector<CString> texts;
    std::vector<Walked> items = Walk(tree, texts);

    bool sameItems = items.size() == m_nodes.size();
    for (size_t i = 0; sameItems && i < items.size(); ++i)
        sameItems = items[i].handle == m_nodes[i].handle && items[i].parent == m_nodes[i].parent;

    if (sameItems) {
        for (size_t i = 0; i < items.size(); ++i) {
            Node& node = m_nodes[i];
            const std::string& text = texts[i].Bytes();
            if (node.text == text) continue;
            node.text = text;
            QModelIndex changed = createIndex(node.row, 0, static_cast<quintptr>(i));
            emit dataChanged(changed, changed, {Qt::DisplayRole});
        }
        return false;
    }

    beginResetModel();
    m_nodes.clear();
    m_top.clear();
    m_byHandle.clear();
    m_nodes.resize(items.size());
    m_byHandle.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        Node& node = m_nodes[i];
        node.handle = items[i].handle;
        node.parent = items[i].parent;
        node.text = std::move(texts[i].Bytes());
        std::vector<int>& siblings = node.parent < 0 ? m_top : m_nodes[static_cast<size_t>(node.parent)].children;
        node.row = static_cast<int>(siblings.size());
        siblings.push_back(static_cast<int>(i));
        m_byHandle.emplace(node.handle, static_cast<int>(i));
    }
    endResetModel();
    return true;
}

QModelIndex TreeModel::IndexOf(HTREEITEM item) const
{
    auto found = m_byHandle.find(item);
    if (found == m_byHandle.end()) return {};
    return createIndex(m_nodes[static_cast<size_t>(found->second)].row, 0, static_cast<quintptr>(found->second));
}

HTREEITEM TreeModel::HandleOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.internalId() >= m_nodes.size()) return nullptr;
    return m_nodes[static_cast<size_t>(index.internalId())].handle;
}

const std::vector<int>& TreeModel::ChildrenOf(const QModelIndex& parent) const
{
    if (!parent.isValid()) return m_top;
    return m_nodes[static_cast<size_t>(parent.internalId())].children;
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0) return {};
    const std::vector<int>& children = ChildrenOf(parent);
    if (static_cast<size_t>(row) >= children.size()) return {};
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex TreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid()) return {};
    int parent = m_nodes[static_cast<size_t>(child.internalId())].parent;
    if (parent < 0) return {};
    return createIndex(m_nodes[static_cast<size_t>(parent)].row, 0, static_cast<quintptr>(parent));
}

int TreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0) return 0;
    return static_cast<int>(ChildrenOf(parent).size());
}

int TreeModel::columnCount(const QModelIndex& /*parent*/) const { return 1; }

bool TreeModel::hasChildren(const QModelIndex& parent) const { return !ChildrenOf(parent).empty(); }

QVariant TreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    const std::string& text = m_nodes[static_cast<size_t>(index.internalId())].text;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace qtpresenter
