#include "tools/OptionsDialog.h"

#include "map/HexCodec.h"
#include "messagebox/FailureReports.h"
#include "platform/FileReplacement.h"
#include "res/ResourceIds.h"

BEGIN_MESSAGE_MAP(COptionsDialog, CDialog)
ON_BN_CLICKED(IDC_OPTIONS_CHOOSE_TREE, &COptionsDialog::OnChooseTreeColor)
ON_BN_CLICKED(IDC_OPTIONS_CHOOSE_LIST, &COptionsDialog::OnChooseListColor)
ON_BN_CLICKED(IDC_OPTIONS_SAVE, &COptionsDialog::OnSave)
END_MESSAGE_MAP()

namespace {
constexpr const char* kSettingsFileName = "Travik.dat";

COLORREF ChosenColor()
{
    // Red 1: what Cancel leaves as the colour.
    CColorDialog dlg(RGB(1, 0, 0), 0, nullptr);
    dlg.DoModal();
    return dlg.GetColor();
}
} // namespace

CString ColorText(COLORREF color)
{
    const CString padded = CString("000000") + IntToHex(static_cast<int32_t>(color));
    return padded.Right(6);
}

COptionsDialog::COptionsDialog(CWnd* pParent)
    : CDialog(IDD_OPTIONS, pParent), m_strListColor("000000"), m_strTreeColor("000000")
{
}

COptionsDialog::~COptionsDialog() = default;

void COptionsDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_OPTIONS_LIST_COLOR, m_strListColor);
    DDV_MaxChars(pDX, m_strListColor, 6);
    DDX_Text(pDX, IDC_OPTIONS_TREE_COLOR, m_strTreeColor);
    DDV_MaxChars(pDX, m_strTreeColor, 6);
}

void COptionsDialog::OnChooseTreeColor()
{
    m_strTreeColor = ColorText(ChosenColor());
    UpdateData(FALSE);
}

void COptionsDialog::OnChooseListColor()
{
    m_strListColor = ColorText(ChosenColor());
    UpdateData(FALSE);
}

void COptionsDialog::OnSave()
{
    // The members as they stand: what is typed into the edits is not saved.
    // Written beside the settings file and renamed over it when complete,
    // so that a failure leaves the older file whole.
    CFileReplacement replacement;
    if (!replacement.Begin(m_settingsFile, kSettingsFileName, CFileStream::modeWrite | CFileStream::modeTruncate)) {
        if (replacement.LastFailure() == CFileReplacement::Failure::HeldOpen)
            ShowMessage(HeldOpenText(kSettingsFileName, replacement.HeldFileName()) + " The settings were not saved.");
        else
            ReportWriteFailure(kSettingsFileName);
        return;
    }
    m_settingsFile << "Travik settings file - init information stored here." << "\n";
    m_settingsFile << static_cast<unsigned>(HexToInt(m_strTreeColor)) << "\n";
    m_settingsFile << static_cast<unsigned>(HexToInt(m_strListColor)) << "\n";
    if (!replacement.Finish() || CommitReplacements({&replacement}) != nullptr) ReportWriteFailure(kSettingsFileName);
}
