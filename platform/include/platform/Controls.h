// The models of the common controls. Each one holds what its control
// shows; dialog code changes it through the platform's operations, and a
// presenter changes it for the user through the User... operations, the
// same ones the headless presenter's steps call. User operations refuse
// (return false) where the real control would not react: disabled
// controls, read-only edits.
#pragma once

#include "platform/TreeCtrl.h"
#include "platform/Wnd.h"

#include <string>
#include <vector>

constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;

constexpr int CB_ERR = -1;
constexpr int LB_ERR = -1;

// Push buttons, check boxes and group boxes.
class CButton : public CWnd {
public:
    int GetCheck() const { return m_check; }
    void SetCheck(int check);

    // A click: a check box that toggles itself changes its check first;
    // then the dialog receives the button's command. Group boxes take no clicks.
    bool UserClick();

protected:
    bool AcceptsKind(ControlKind kind) const override;
    void AdoptState(const CWnd& from) override;

private:
    int m_check = BST_UNCHECKED;
};

class CEdit : public CWnd {
public:
    // The most characters the user may type; 0 for no limit. Text set by
    // code is not cut.
    void SetLimitText(UINT max);
    void LimitText(UINT max) { SetLimitText(max); }
    UINT GetLimitText() const { return m_limit; }
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    bool IsReadOnly() const { return m_readOnly; }

    // What the edit keeps of a text the user types in place of its content:
    // digits only for number edits, capitals for upper-case edits, at most
    // the limit.
    CString FilterTyped(const CString& typed) const;
    // The user replaces the whole text by typing. False (and no change)
    // when the edit is disabled or read-only.
    bool UserType(const CString& typed);
    // The user edits part of the text, as a real edit box is edited: the
    // `removed` characters from `start` give way to `inserted` (typed or
    // pasted). Only the inserted text is filtered (and cut to what the limit
    // leaves room for); the rest keeps its bytes, those no user could type
    // included. False (and no change) when disabled, read-only or out of range.
    bool UserEdit(int start, int removed, const CString& inserted);

protected:
    bool AcceptsKind(ControlKind kind) const override;
    void AdoptState(const CWnd& from) override;

private:
    std::string FilterChars(const CString& typed) const;

    UINT m_limit = 0;
    bool m_readOnly = false;
    friend class CDialog;
};

// A combo box: a list of entries (kept sorted, case ignored, when the style
// says so) and, for drop-down boxes, an edit field, which is the window text.
class CComboBox : public CWnd {
public:
    int AddString(const CString& text);
    int InsertString(int index, const CString& text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    int GetLBText(int index, CString& text) const;
    CString GetLBText(int index) const;
    int GetLBTextLen(int index) const;
    int GetCurSel() const { return m_curSel; }
    // Selecting an entry shows it in the edit field; -1 clears both.
    int SetCurSel(int index);
    // The first entry after startAfter (-1: from the top, wrapping round)
    // that begins with the text, case ignored; CB_ERR when none does.
    int FindString(int startAfter, const CString& prefix) const;
    int FindStringExact(int startAfter, const CString& text) const;
    // FindString, then selects the entry found.
    int SelectString(int startAfter, const CString& prefix);
    // The most characters the user may type into the edit field; 0: no limit.
    BOOL LimitText(int max);
    UINT GetLimitText() const { return m_limit; }
    const std::vector<CString>& Entries() const { return m_entries; }

    // The user types into the edit field (the list selection is dropped).
    bool UserType(const CString& typed);
    // The user picks an entry of the list.
    bool UserSelect(int index);

protected:
    bool AcceptsKind(ControlKind kind) const override;
    void AdoptState(const CWnd& from) override;

private:
    std::vector<CString> m_entries;
    int m_curSel = -1;
    UINT m_limit = 0;
};

constexpr int LVNI_ALL = 0x0;
constexpr int LVNI_SELECTED = 0x2;

// A list view in list mode: one text a item, kept sorted (case ignored)
// when the style says so, single selection.
class CListCtrl : public CWnd {
public:
    // Returns the item's index, which sorting may change; -1 on failure.
    int InsertItem(int index, const CString& text);
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    CString GetItemText(int item, int subItem) const;
    // The next item after start (-1: from the top) that has the state flags.
    int GetNextItem(int start, int flags) const;
    const std::vector<CString>& Items() const { return m_items; }
    int GetSelectedIndex() const { return m_selected; }

    bool UserSelect(int index);

protected:
    bool AcceptsKind(ControlKind kind) const override;
    void AdoptState(const CWnd& from) override;

private:
    std::vector<CString> m_items;
    int m_selected = -1;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) { SetRange32(lower, upper); }
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const { lower = m_lower; upper = m_upper; }
    // Positions are kept inside the range. Each returns the previous position.
    int SetPos(int pos);
    int GetPos() const { return m_pos; }
    int OffsetPos(int delta);
    int SetStep(int step);
    int StepIt();

protected:
    bool AcceptsKind(ControlKind kind) const override;
    void AdoptState(const CWnd& from) override;

private:
    int Clamp(int pos) const;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    int m_step = 10;
};

// Static texts and icons.
class CStatic : public CWnd {
public:
    HICON SetIcon(HICON icon);
    HICON GetIcon() const { return m_icon; }

protected:
    bool AcceptsKind(ControlKind kind) const override;
    void AdoptState(const CWnd& from) override;

private:
    HICON m_icon = nullptr;
    friend class CDialog;
};
