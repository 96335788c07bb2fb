// The tree view control's model: items with texts under parents, in
// insertion order, known by handles that are never reused in a run.
#pragma once

#include "platform/CString.h"
#include "platform/TreeHandle.h"

#include <cstdint>
#include <vector>

using COLORREF = uint32_t; // 0x00BBGGRR
constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b)
{
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// Special insertion places.
extern HTREEITEM const TVI_ROOT;
extern HTREEITEM const TVI_FIRST;
extern HTREEITEM const TVI_LAST;

class CTreeCtrl {
public:
    CTreeCtrl() = default;
    virtual ~CTreeCtrl() = default;

    // Inserts a new item under parent (TVI_ROOT or null: the top level),
    // after the sibling `after` (TVI_LAST, TVI_FIRST or an item of parent).
    // Returns null when the parent is not an item of this tree.
    HTREEITEM InsertItem(const CString& text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    bool DeleteAllItems();

    HTREEITEM GetSelectedItem() const { return m_selected; }
    // Selects an item (null clears the selection); false for a foreign handle.
    bool SelectItem(HTREEITEM item);

    bool IsItem(HTREEITEM item) const { return Find(item) != nullptr; }
    CString GetItemText(HTREEITEM item) const;
    bool SetItemText(HTREEITEM item, const CString& text);
    HTREEITEM GetRootItem() const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
    bool ItemHasChildren(HTREEITEM item) const { return GetChildItem(item) != nullptr; }
    unsigned GetCount() const { return static_cast<unsigned>(m_liveCount); }

    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const { return m_bkColor; }

    // Grows with every change, so a presenter can tell when to rebuild its view.
    uint64_t Revision() const { return m_revision; }

protected:
    // Called after a selection made through SelectItem (by code or by the
    // user through a presenter); the dialog layer turns it into a notification.
    virtual void OnSelectionChanged(HTREEITEM /*oldItem*/, HTREEITEM /*newItem*/) {}

private:
    struct Node {
        CString text;
        uint64_t parent = 0; // 0: top level
        uint64_t firstChild = 0, lastChild = 0, next = 0, prev = 0;
    };
    Node* Find(HTREEITEM item);
    const Node* Find(HTREEITEM item) const;
    uint64_t IdOf(HTREEITEM item) const { return reinterpret_cast<uintptr_t>(item); }
    HTREEITEM HandleOf(uint64_t id) const { return id ? reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(id)) : nullptr; }

    std::vector<Node> m_nodes;   // item id = m_base + index
    uint64_t m_base = 0x1000;    // ids of earlier generations are never valid again
    uint64_t m_firstTop = 0, m_lastTop = 0;
    size_t m_liveCount = 0;
    HTREEITEM m_selected = nullptr;
    COLORREF m_bkColor = RGB(255, 255, 255);
    uint64_t m_revision = 0;
};
