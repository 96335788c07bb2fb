#include "platform/TreeCtrl.h"

#include "platform/Dialog.h"

HTREEITEM const TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<intptr_t>(-0x10000));
HTREEITEM const TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<intptr_t>(-0x0FFFF));
HTREEITEM const TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<intptr_t>(-0x0FFFE));

uint64_t CTreeCtrl::NewGeneration()
{
    // Ranges of 2^32 ids: far more items than a tree can hold.
    static uint64_t next = 1;
    return (next++) << 32;
}

CTreeCtrl::Node* CTreeCtrl::Find(HTREEITEM item)
{
    return const_cast<Node*>(static_cast<const CTreeCtrl*>(this)->Find(item));
}

const CTreeCtrl::Node* CTreeCtrl::Find(HTREEITEM item) const
{
    uint64_t id = IdOf(item);
    if (item == nullptr || item == TVI_ROOT || item == TVI_FIRST || item == TVI_LAST) return nullptr;
    if (id < m_base || id - m_base >= m_nodes.size()) return nullptr;
    return &m_nodes[id - m_base];
}

HTREEITEM CTreeCtrl::InsertItem(const CString& text, HTREEITEM parent, HTREEITEM after)
{
    uint64_t parentId = 0;
    if (parent != nullptr && parent != TVI_ROOT) {
        if (!Find(parent)) return nullptr;
        parentId = IdOf(parent);
    }
    uint64_t id = m_base + m_nodes.size();
    m_nodes.push_back(Node {});
    Node& node = m_nodes.back();
    node.text = text;
    node.parent = parentId;

    Node* p = parentId ? Find(HandleOf(parentId)) : nullptr;
    uint64_t& first = p ? p->firstChild : m_firstTop;
    uint64_t& last = p ? p->lastChild : m_lastTop;

    Node* prevSibling = nullptr;
    if (after == TVI_FIRST) {
        prevSibling = nullptr;
    } else if (after == TVI_LAST || after == nullptr || after == TVI_ROOT) {
        prevSibling = last ? Find(HandleOf(last)) : nullptr;
    } else {
        prevSibling = Find(after);
        // A sibling from elsewhere: insert last, as the platform does.
        if (!prevSibling || prevSibling->parent != parentId) prevSibling = last ? Find(HandleOf(last)) : nullptr;
    }

    if (prevSibling) {
        uint64_t prevId = IdOf(HandleOf(m_base + static_cast<uint64_t>(prevSibling - m_nodes.data())));
        node.prev = prevId;
        node.next = prevSibling->next;
        if (prevSibling->next) Find(HandleOf(prevSibling->next))->prev = id;
        else last = id;
        prevSibling->next = id;
    } else {
        node.next = first;
        if (first) Find(HandleOf(first))->prev = id;
        else last = id;
        first = id;
    }
    ++m_liveCount;
    Changed();
    return HandleOf(id);
}

bool CTreeCtrl::DeleteAllItems()
{
    m_base = NewGeneration();
    m_nodes.clear();
    m_firstTop = m_lastTop = 0;
    m_liveCount = 0;
    m_selected = nullptr;
    Changed();
    return true;
}

bool CTreeCtrl::SelectItem(HTREEITEM item)
{
    if (item != nullptr && !Find(item)) return false;
    if (item == m_selected) return true;
    HTREEITEM old = m_selected;
    m_selected = item;
    Changed();
    OnSelectionChanged(old, item);
    return true;
}

bool CTreeCtrl::UserSelect(HTREEITEM item)
{
    if (!IsWindowEnabled() || item == nullptr || !Find(item)) return false;
    return SelectItem(item);
}

void CTreeCtrl::OnSelectionChanged(HTREEITEM oldItem, HTREEITEM newItem)
{
    CDialog* dialog = GetParentDialog();
    if (dialog == nullptr || !IsWindowCreated()) return;
    NMTREEVIEW notification;
    notification.hdr.hwndFrom = this;
    notification.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    notification.hdr.code = TVN_SELCHANGED;
    notification.itemOld.hItem = oldItem;
    notification.itemNew.hItem = newItem;
    dialog->SendNotify(&notification.hdr);
}

void CTreeCtrl::AdoptState(const CWnd& from)
{
    CWnd::AdoptState(from);
    const auto& other = static_cast<const CTreeCtrl&>(from);
    m_nodes = other.m_nodes;
    m_base = other.m_nodes.empty() ? NewGeneration() : other.m_base;
    m_firstTop = other.m_firstTop;
    m_lastTop = other.m_lastTop;
    m_liveCount = other.m_liveCount;
    m_selected = other.m_selected;
    m_bkColor = other.m_bkColor;
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const
{
    const Node* n = Find(item);
    return n ? n->text : CString();
}

bool CTreeCtrl::SetItemText(HTREEITEM item, const CString& text)
{
    Node* n = Find(item);
    if (!n) return false;
    n->text = text;
    Changed();
    return true;
}

HTREEITEM CTreeCtrl::GetRootItem() const { return HandleOf(m_firstTop); }

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM item) const
{
    const Node* n = Find(item);
    return n ? HandleOf(n->parent) : nullptr;
}

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const
{
    if (item == nullptr || item == TVI_ROOT) return HandleOf(m_firstTop);
    const Node* n = Find(item);
    return n ? HandleOf(n->firstChild) : nullptr;
}

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const
{
    const Node* n = Find(item);
    return n ? HandleOf(n->next) : nullptr;
}

HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM item) const
{
    const Node* n = Find(item);
    return n ? HandleOf(n->prev) : nullptr;
}

COLORREF CTreeCtrl::SetBkColor(COLORREF color)
{
    COLORREF old = m_bkColor;
    m_bkColor = color;
    Changed();
    return old;
}
