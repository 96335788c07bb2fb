#include "platform/DataExchange.h"

#include "platform/CommonDialogs.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

const char* const kRefuseInteger = "Please enter an integer.";
const char* const kRefusePositiveInteger = "Please enter a positive integer.";
const char* const kRefuseNumber = "Please enter a number.";
const char* const kRefuseMaxChars = "Please enter no more than %1 characters.";

namespace {

// How much of a control's text the number readers look at.
constexpr int kIntegerTextLimit = 63;
constexpr int kFloatTextLimit = 31;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text between leading and trailing blanks.
std::string_view Trimmed(const std::string& text)
{
    std::string_view view(text);
    while (!view.empty() && IsBlank(view.front())) view.remove_prefix(1);
    while (!view.empty() && IsBlank(view.back())) view.remove_suffix(1);
    return view;
}

// A whole decimal integer: optional sign, then digits only. Magnitudes past
// 2^32 are reported as out of range.
bool ParseInteger(const CString& text, bool& negative, uint64_t& magnitude)
{
    const CString read = text.Left(kIntegerTextLimit);
    std::string_view view = Trimmed(read.Bytes());
    negative = false;
    if (!view.empty() && (view.front() == '+' || view.front() == '-')) {
        negative = view.front() == '-';
        view.remove_prefix(1);
    }
    if (view.empty()) return false;
    magnitude = 0;
    for (char c : view) {
        if (c < '0' || c > '9') return false;
        if (magnitude <= (1ull << 33)) magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

bool ParseFloating(const CString& text, double& value)
{
    const CString read = text.Left(kFloatTextLimit);
    std::string_view view = Trimmed(read.Bytes());
    if (!view.empty() && view.front() == '+') {
        view.remove_prefix(1);
        if (!view.empty() && view.front() == '-') return false;
    }
    if (view.empty()) return false;
    auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value, std::chars_format::general);
    return error == std::errc() && end == view.data() + view.size();
}

CString FormatGeneral(double value, int precision)
{
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    if (error != std::errc()) return CString();
    return CString(buffer, static_cast<int>(end - buffer));
}

[[noreturn]] void Refuse(CDataExchange* pDX, const CString& message)
{
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    pDX->Fail();
}

CDialog& DialogOf(CDataExchange* pDX)
{
    auto* dialog = dynamic_cast<CDialog*>(pDX->m_pDlgWnd);
    if (dialog == nullptr) throw std::logic_error("data exchange outside a dialog");
    return *dialog;
}

} // namespace

bool ParseExchangeSigned(const CString& text, int& value)
{
    bool negative;
    uint64_t magnitude;
    if (!ParseInteger(text, negative, magnitude)) return false;
    if (negative ? magnitude > 2147483648ull : magnitude > 2147483647ull) return false;
    value = negative ? static_cast<int>(-static_cast<int64_t>(magnitude)) : static_cast<int>(magnitude);
    return true;
}

bool ParseExchangeUnsigned(const CString& text, UINT& value)
{
    bool negative;
    uint64_t magnitude;
    if (!ParseInteger(text, negative, magnitude) || negative || magnitude > 0xFFFFFFFFull) return false;
    value = static_cast<UINT>(magnitude);
    return true;
}

bool ParseExchangeDouble(const CString& text, double& value)
{
    double parsed;
    if (!ParseFloating(text, parsed)) return false;
    value = parsed;
    return true;
}

bool ParseExchangeFloat(const CString& text, float& value)
{
    double parsed;
    if (!ParseFloating(text, parsed)) return false;
    if (std::isfinite(parsed) && std::fabs(parsed) > FLT_MAX) return false; // would become infinite
    value = static_cast<float>(parsed);
    return true;
}

CString FormatExchangeFloat(float value) { return FormatGeneral(static_cast<double>(value), FLT_DIG); }

CString FormatExchangeDouble(double value) { return FormatGeneral(value, DBL_DIG); }

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

CWnd* CDataExchange::PrepareCtrl(int nIDC)
{
    CWnd* control = m_pDlgWnd->GetDlgItem(nIDC);
    if (control == nullptr) throw std::logic_error("data exchange with missing control " + std::to_string(nIDC));
    m_idLastControl = nIDC;
    m_bEditLastControl = false;
    return control;
}

CWnd* CDataExchange::PrepareEditCtrl(int nIDC)
{
    CWnd* control = PrepareCtrl(nIDC);
    m_bEditLastControl = true;
    return control;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_idLastControl != 0) {
        if (auto* dialog = dynamic_cast<CDialog*>(m_pDlgWnd)) dialog->GotoDlgCtrl(dialog->GetDlgItem(m_idLastControl));
    }
    throw DataExchangeFailure {};
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    CDialog& dialog = DialogOf(pDX);
    if (rControl.IsWindowCreated() && rControl.GetParentDialog() == &dialog) return;
    dialog.BindControl(nIDC, rControl);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    CWnd* control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) value = control->WindowText();
    else control->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    CWnd* control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        int parsed;
        if (!ParseExchangeSigned(control->WindowText(), parsed)) Refuse(pDX, kRefuseInteger);
        value = parsed;
    } else {
        CString text;
        text.Format("%ld", static_cast<long>(value));
        control->SetWindowText(text);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    CWnd* control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        UINT parsed;
        if (!ParseExchangeUnsigned(control->WindowText(), parsed)) Refuse(pDX, kRefusePositiveInteger);
        value = parsed;
    } else {
        CString text;
        text.Format("%u", value);
        control->SetWindowText(text);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, float& value)
{
    CWnd* control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        float parsed;
        if (!ParseExchangeFloat(control->WindowText(), parsed)) Refuse(pDX, kRefuseNumber);
        value = parsed;
    } else {
        control->SetWindowText(FormatExchangeFloat(value));
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    CWnd* control = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        double parsed;
        if (!ParseExchangeDouble(control->WindowText(), parsed)) Refuse(pDX, kRefuseNumber);
        value = parsed;
    } else {
        control->SetWindowText(FormatExchangeDouble(value));
    }
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    CWnd* control = pDX->PrepareCtrl(nIDC);
    auto* combo = dynamic_cast<CComboBox*>(control);
    if (combo == nullptr) throw std::logic_error("DDX_CBString on control " + std::to_string(nIDC) + ", not a combo box");
    if (pDX->m_bSaveAndValidate) {
        value = combo->WindowText();
    } else if (value.IsEmpty()) {
        // Every entry begins with the empty text, but showing the first one
        // would hand a text the member never held back to whoever takes the
        // controls in (an empty class code would come back as a real one).
        combo->SetCurSel(-1);
    } else if (combo->SelectString(-1, value) == CB_ERR && !combo->HasStyle(ctl::DropDownList)) {
        combo->SetWindowText(value);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    CWnd* control = pDX->PrepareCtrl(nIDC);
    auto* button = dynamic_cast<CButton*>(control);
    if (button == nullptr) throw std::logic_error("DDX_Check on control " + std::to_string(nIDC) + ", not a button");
    if (pDX->m_bSaveAndValidate) value = button->GetCheck();
    else button->SetCheck(value >= BST_UNCHECKED && value <= BST_INDETERMINATE ? value : BST_UNCHECKED);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (pDX->m_bSaveAndValidate) {
        if (value.GetLength() > nChars) {
            CString message(kRefuseMaxChars);
            CString count;
            count.Format("%d", nChars);
            message.Replace("%1", count);
            Refuse(pDX, message);
        }
    } else if (pDX->m_idLastControl != 0 && pDX->m_bEditLastControl) {
        if (auto* edit = dynamic_cast<CEdit*>(pDX->m_pDlgWnd->GetDlgItem(pDX->m_idLastControl)))
            edit->SetLimitText(nChars > 0 ? static_cast<UINT>(nChars) : 0);
    }
}
