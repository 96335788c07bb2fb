#include "platform/Controls.h"

#include "platform/Dialog.h"

#include <algorithm>
#include <cstdint>

namespace {

bool BeginsWithNoCase(const CString& text, const CString& prefix)
{
    return text.GetLength() >= prefix.GetLength() && text.Left(prefix.GetLength()).CompareNoCase(prefix) == 0;
}

// Where a sorted list takes a new text: after the entries that sort equal.
int SortedPosition(const std::vector<CString>& entries, const CString& text)
{
    auto at = std::upper_bound(entries.begin(), entries.end(), text,
                               [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
    return static_cast<int>(at - entries.begin());
}

} // namespace

// --- CButton ---------------------------------------------------------------

void CButton::SetCheck(int check)
{
    check = std::clamp(check, BST_UNCHECKED, BST_INDETERMINATE);
    if (check == m_check) return;
    m_check = check;
    Changed();
}

bool CButton::UserClick()
{
    if (!IsWindowEnabled() || GetControlKind() == ControlKind::GroupBox) return false;
    if (GetControlKind() == ControlKind::CheckBox && HasStyle(ctl::AutoCheck))
        SetCheck(m_check == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED);
    if (CDialog* dialog = GetParentDialog(); dialog && IsWindowCreated())
        dialog->SendCommand(static_cast<UINT>(GetDlgCtrlID()));
    return true;
}

bool CButton::AcceptsKind(ControlKind kind) const
{
    return kind == ControlKind::PushButton || kind == ControlKind::CheckBox || kind == ControlKind::GroupBox;
}

void CButton::AdoptState(const CWnd& from)
{
    CWnd::AdoptState(from);
    m_check = static_cast<const CButton&>(from).m_check;
}

// --- CEdit -----------------------------------------------------------------

void CEdit::SetLimitText(UINT max)
{
    if (max == m_limit) return;
    m_limit = max;
    Changed();
}

BOOL CEdit::SetReadOnly(BOOL readOnly)
{
    if (m_readOnly != (readOnly != FALSE)) {
        m_readOnly = readOnly != FALSE;
        Changed();
    }
    return TRUE;
}

// Digits only, capitals, one line: what typing keeps of each character.
std::string CEdit::FilterChars(const CString& typed) const
{
    std::string kept;
    for (char c : typed.Bytes()) {
        if (c == '\0') break;
        if (!HasStyle(ctl::MultiLine) && (c == '\r' || c == '\n')) break; // one line only
        if (HasStyle(ctl::Number) && (c < '0' || c > '9')) continue;
        if (HasStyle(ctl::UpperCase) && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        kept += c;
    }
    return kept;
}

CString CEdit::FilterTyped(const CString& typed) const
{
    std::string kept = FilterChars(typed);
    if (m_limit > 0 && kept.size() > m_limit) kept.resize(m_limit);
    return CString(std::move(kept));
}

bool CEdit::UserType(const CString& typed)
{
    if (!IsWindowEnabled() || m_readOnly) return false;
    SetWindowText(FilterTyped(typed));
    return true;
}

bool CEdit::UserEdit(int start, int removed, const CString& inserted)
{
    if (!IsWindowEnabled() || m_readOnly) return false;
    const std::string& text = WindowText().Bytes();
    if (start < 0 || removed < 0 || static_cast<size_t>(start) + static_cast<size_t>(removed) > text.size())
        return false;
    std::string kept = FilterChars(inserted);
    if (m_limit > 0) {
        // The limit counts the whole text, but what code put there stays.
        size_t rest = text.size() - static_cast<size_t>(removed);
        size_t room = rest < m_limit ? m_limit - rest : 0;
        if (kept.size() > room) kept.resize(room);
    }
    std::string edited = text.substr(0, static_cast<size_t>(start)) + kept +
                         text.substr(static_cast<size_t>(start) + static_cast<size_t>(removed));
    SetWindowText(CString(std::move(edited)));
    return true;
}

bool CEdit::AcceptsKind(ControlKind kind) const { return kind == ControlKind::Edit; }

void CEdit::AdoptState(const CWnd& from)
{
    CWnd::AdoptState(from);
    const auto& other = static_cast<const CEdit&>(from);
    m_limit = other.m_limit;
    m_readOnly = other.m_readOnly;
}

// --- CComboBox -------------------------------------------------------------

int CComboBox::AddString(const CString& text)
{
    int at = HasStyle(ctl::Sort) ? SortedPosition(m_entries, text) : GetCount();
    return InsertString(at, text);
}

int CComboBox::InsertString(int index, const CString& text)
{
    if (index < 0 || index > GetCount()) index = GetCount();
    m_entries.insert(m_entries.begin() + index, CString(text.GetString()));
    if (m_curSel >= index) ++m_curSel;
    Changed();
    return index;
}

int CComboBox::DeleteString(int index)
{
    if (index < 0 || index >= GetCount()) return CB_ERR;
    m_entries.erase(m_entries.begin() + index);
    if (m_curSel == index) m_curSel = -1;
    else if (m_curSel > index) --m_curSel;
    Changed();
    return GetCount();
}

void CComboBox::ResetContent()
{
    m_entries.clear();
    m_curSel = -1;
    SetWindowText(""); // the edit field empties with the list
    Changed();
}

int CComboBox::GetLBText(int index, CString& text) const
{
    if (index < 0 || index >= GetCount()) return CB_ERR;
    text = m_entries[static_cast<size_t>(index)];
    return text.GetLength();
}

CString CComboBox::GetLBText(int index) const
{
    CString text;
    GetLBText(index, text);
    return text;
}

int CComboBox::GetLBTextLen(int index) const
{
    return index < 0 || index >= GetCount() ? CB_ERR : m_entries[static_cast<size_t>(index)].GetLength();
}

int CComboBox::SetCurSel(int index)
{
    if (index < 0 || index >= GetCount()) {
        m_curSel = -1;
        SetWindowText("");
        Changed();
        return CB_ERR;
    }
    m_curSel = index;
    SetWindowText(m_entries[static_cast<size_t>(index)]);
    Changed();
    return index;
}

int CComboBox::FindString(int startAfter, const CString& prefix) const
{
    int count = GetCount();
    if (count == 0) return CB_ERR;
    int first = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
    for (int n = 0; n < count; ++n) {
        int i = (first + n) % count;
        if (BeginsWithNoCase(m_entries[static_cast<size_t>(i)], prefix)) return i;
    }
    return CB_ERR;
}

int CComboBox::FindStringExact(int startAfter, const CString& text) const
{
    int count = GetCount();
    int first = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
    for (int n = 0; n < count; ++n) {
        int i = (first + n) % count;
        if (m_entries[static_cast<size_t>(i)].CompareNoCase(text) == 0) return i;
    }
    return CB_ERR;
}

int CComboBox::SelectString(int startAfter, const CString& prefix)
{
    int found = FindString(startAfter, prefix);
    if (found != CB_ERR) SetCurSel(found);
    return found;
}

BOOL CComboBox::LimitText(int max)
{
    m_limit = max > 0 ? static_cast<UINT>(max) : 0;
    Changed();
    return TRUE;
}

bool CComboBox::UserType(const CString& typed)
{
    if (!IsWindowEnabled() || !HasStyle(ctl::DropDown)) return false;
    CString kept(typed.GetString());
    if (m_limit > 0 && static_cast<UINT>(kept.GetLength()) > m_limit) kept = kept.Left(static_cast<int>(m_limit));
    m_curSel = -1;
    SetWindowText(kept);
    Changed();
    return true;
}

bool CComboBox::UserSelect(int index)
{
    if (!IsWindowEnabled() || index < 0 || index >= GetCount()) return false;
    SetCurSel(index);
    return true;
}

bool CComboBox::AcceptsKind(ControlKind kind) const { return kind == ControlKind::ComboBox; }

void CComboBox::AdoptState(const CWnd& from)
{
    CWnd::AdoptState(from);
    const auto& other = static_cast<const CComboBox&>(from);
    m_entries = other.m_entries;
    m_curSel = other.m_curSel;
    m_limit = other.m_limit;
}

// --- CListCtrl -------------------------------------------------------------

int CListCtrl::InsertItem(int index, const CString& text)
{
    if (HasStyle(ctl::SortAscending)) index = SortedPosition(m_items, text);
    else if (index < 0 || index > GetItemCount()) index = GetItemCount();
    m_items.insert(m_items.begin() + index, text);
    if (m_selected >= index) ++m_selected;
    Changed();
    return index;
}

BOOL CListCtrl::DeleteItem(int index)
{
    if (index < 0 || index >= GetItemCount()) return FALSE;
    m_items.erase(m_items.begin() + index);
    if (m_selected == index) m_selected = -1;
    else if (m_selected > index) --m_selected;
    Changed();
    return TRUE;
}

BOOL CListCtrl::DeleteAllItems()
{
    m_items.clear();
    m_selected = -1;
    Changed();
    return TRUE;
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    if (item < 0 || item >= GetItemCount() || subItem != 0) return CString();
    return m_items[static_cast<size_t>(item)];
}

int CListCtrl::GetNextItem(int start, int flags) const
{
    for (int i = start + 1; i < GetItemCount(); ++i)
        if ((flags & LVNI_SELECTED) == 0 || i == m_selected) return i;
    return -1;
}

bool CListCtrl::UserSelect(int index)
{
    if (!IsWindowEnabled() || index < 0 || index >= GetItemCount()) return false;
    if (m_selected != index) {
        m_selected = index;
        Changed();
    }
    return true;
}

bool CListCtrl::AcceptsKind(ControlKind kind) const { return kind == ControlKind::ListView; }

void CListCtrl::AdoptState(const CWnd& from)
{
    CWnd::AdoptState(from);
    const auto& other = static_cast<const CListCtrl&>(from);
    m_items = other.m_items;
    m_selected = other.m_selected;
}

// --- CProgressCtrl ---------------------------------------------------------

int CProgressCtrl::Clamp(int pos) const
{
    int low = std::min(m_lower, m_upper), high = std::max(m_lower, m_upper);
    return std::clamp(pos, low, high);
}

void CProgressCtrl::SetRange32(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    m_pos = Clamp(m_pos);
    Changed();
}

int CProgressCtrl::SetPos(int pos)
{
    int old = m_pos;
    m_pos = Clamp(pos);
    if (m_pos != old) Changed();
    return old;
}

int CProgressCtrl::OffsetPos(int delta)
{
    long long target = static_cast<long long>(m_pos) + delta;
    target = std::clamp<long long>(target, INT32_MIN, INT32_MAX);
    return SetPos(static_cast<int>(target));
}

int CProgressCtrl::SetStep(int step)
{
    int old = m_step;
    m_step = step;
    return old;
}

int CProgressCtrl::StepIt()
{
    // Stepping past the end wraps to the start.
    int old = m_pos;
    long long next = static_cast<long long>(m_pos) + m_step;
    int high = std::max(m_lower, m_upper), low = std::min(m_lower, m_upper);
    SetPos(next > high ? low : static_cast<int>(std::max<long long>(next, low)));
    return old;
}

bool CProgressCtrl::AcceptsKind(ControlKind kind) const { return kind == ControlKind::ProgressBar; }

void CProgressCtrl::AdoptState(const CWnd& from)
{
    CWnd::AdoptState(from);
    const auto& other = static_cast<const CProgressCtrl&>(from);
    m_lower = other.m_lower;
    m_upper = other.m_upper;
    m_pos = other.m_pos;
    m_step = other.m_step;
}

// --- CStatic ---------------------------------------------------------------

HICON CStatic::SetIcon(HICON icon)
{
    HICON old = m_icon;
    if (icon != m_icon) {
        m_icon = icon;
        Changed();
    }
    return old;
}

bool CStatic::AcceptsKind(ControlKind kind) const
{
    return kind == ControlKind::StaticText || kind == ControlKind::StaticIcon;
}

void CStatic::AdoptState(const CWnd& from)
{
    CWnd::AdoptState(from);
    m_icon = static_cast<const CStatic&>(from).m_icon;
}
