// The tree view control's model: items with texts under parents, in
// insertion order, known by handles that are never reused in a run.
#pragma once

//
// In a dialog the tree is a control (bound to a member with DDX_Control);
// a change of selection there reaches the dialog's message map as the
// notification TVN_SELCHANGED. Emptying the tree clears the selection
// without a notification, so handlers never run for a vanished item.
#include "platform/CString.h"
#include "platform/TreeHandle.h"
#include "platform/Types.h" // COLORREF, RGB
#include "platform/Wnd.h"

#include <cstdint>
#include <vector>

// Special insertion places.
extern HTREEITEM const TVI_ROOT;
extern HTREEITEM const TVI_FIRST;
extern HTREEITEM const TVI_LAST;

class CTreeCtrl : public CWnd {
public:
    CTreeCtrl() = default;
    ~CTreeCtrl() override = default;

    // Inserts a new item under parent (TVI_ROOT or null: the top level),
    // after the sibling `after` (TVI_LAST, TVI_FIRST or an item of parent).
    // Returns null when the parent is not an item of this tree.
    HTREEITEM InsertItem(const CString& text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    bool DeleteAllItems();

    HTREEITEM GetSelectedItem() const { return m_selected; }
    // Selects an item (null clears the selection); false for a foreign handle.
    // A change of selection notifies, whether code or the user made it.
    bool SelectItem(HTREEITEM item);
    // The user selects an item (click or arrow keys); false when the tree
    // is disabled or the handle is not one of its items.
    bool UserSelect(HTREEITEM item);

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

    // Revision() (of CWnd) grows with every change, so a presenter can tell
    // when to rebuild its view.

protected:
    // Called after a selection made through SelectItem (by code or by the
    // user through a presenter). In a running dialog it sends TVN_SELCHANGED
    // to the dialog's message map.
    virtual void OnSelectionChanged(HTREEITEM oldItem, HTREEITEM newItem);

    bool AcceptsKind(ControlKind kind) const override { return kind == ControlKind::TreeView; }
    void AdoptState(const CWnd& from) override;

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

    // Item id = m_base + index. Every generation of every tree takes its own
    // range of ids, so a handle is never valid again after its tree was
    // emptied, nor in another tree.
    static uint64_t NewGeneration();
    std::vector<Node> m_nodes;
    uint64_t m_base = NewGeneration();
    uint64_t m_firstTop = 0, m_lastTop = 0;
    size_t m_liveCount = 0;
    HTREEITEM m_selected = nullptr;
    COLORREF m_bkColor = RGB(255, 255, 255);
};
