#include "tagcontrols/TagInfo.h"

#include "map/MapState.h"
#include "res/ResourceIds.h"

BEGIN_MESSAGE_MAP(CTagInfo, CDialog)
ON_BN_CLICKED(IDC_REVERT, &CTagInfo::OnRevert)
ON_BN_CLICKED(IDC_SAVE_CHANGES, &CTagInfo::OnSaveChanges)
ON_BN_CLICKED(IDC_UPDATE_NAME_LOCATION, &CTagInfo::OnUpdateNameLocation)
ON_BN_CLICKED(IDC_CLEAR_SCANNER, &CTagInfo::OnClearScanner)
ON_BN_CLICKED(IDC_SCAN_METADATA, &CTagInfo::OnScanMetadata)
ON_BN_CLICKED(IDC_UPDATE_ITEM, &CTagInfo::OnUpdateItem)
ON_BN_CLICKED(IDC_SAVE_METADATA, &CTagInfo::OnSaveMetadata)
ON_BN_CLICKED(IDC_INJECT_METADATA, &CTagInfo::OnInjectMetadata)
ON_NOTIFY(TVN_SELCHANGED, IDC_SCANNER_TREE, &CTagInfo::OnSelchangedScanTree)
END_MESSAGE_MAP()

namespace {

// Showing a text in a combo box selects the first entry that begins with
// it, case ignored, so "fog" would come back as "fog " and "DELA" as
// "DeLa". The box shows the member's own text instead: its exact entry
// when the list has one, else the text in the edit field.
void ShowExactly(CComboBox& combo, const CString& text)
{
    CString shown;
    combo.GetWindowText(shown);
    if (shown == text) return;
    for (int i = 0; i < combo.GetCount(); ++i) {
        if (combo.GetLBText(i) == text) {
            combo.SetCurSel(i);
            return;
        }
    }
    combo.SetCurSel(-1);
    combo.SetWindowText(text);
}

} // namespace

CTagInfo::CTagInfo(CWnd* pParent) : CDialog(IDD_TAG_INFO, pParent)
{
    m_strMetaOffset = "";
    m_strTagName = "";
    m_strPageOffset = "";
    m_strStringOffset = "";
    m_strValue = "";
    m_strIdentifier = "";
    m_nMetaSize = 0;
    m_strType1 = "";
    m_strType2 = "";
    m_strType3 = "";
    m_bCorrectMetadata = TRUE;
    m_bRecursive = FALSE;
    m_fFloatPrecision = 0.01f;
    m_bDependencies = TRUE;
    m_bFloats = FALSE;
    m_bLoneIDs = TRUE;
    m_bPointers = FALSE;
    m_bReflexives = TRUE;
    m_bShorts = FALSE;
    m_strScanTag = "";
    m_strScanClass = "";
    m_dScanValue = 0.0;
    m_nTagIndex = 0;
    // Not set by the dialog until a scan or a selection does.
    m_nScanItem = -1;
    m_hDependencies = nullptr;
    m_hLoneIDs = nullptr;
    m_hReflexives = nullptr;
    m_hPointers = nullptr;
    m_hFloats = nullptr;
    m_hShorts = nullptr;
    g_bTagListFilled = false;
}

CTagInfo::~CTagInfo() = default;

void CTagInfo::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_REVERT, m_btnRevert);
    DDX_Control(pDX, IDC_SCAN_TAG, m_comboScanTag);
    DDX_Control(pDX, IDC_SCANNER_TREE, m_treeScanner);
    DDX_Control(pDX, IDC_TYPE3, m_comboType3);
    DDX_Control(pDX, IDC_TYPE2, m_comboType2);
    DDX_Control(pDX, IDC_TYPE1, m_comboType1);
    DDX_Text(pDX, IDC_META_OFFSET, m_strMetaOffset);
    DDX_Text(pDX, IDC_TAG_NAME, m_strTagName);
    DDX_Text(pDX, IDC_PAGE_OFFSET, m_strPageOffset);
    DDX_Text(pDX, IDC_STRING_OFFSET, m_strStringOffset);
    DDX_Text(pDX, IDC_VALUE, m_strValue);
    DDX_Text(pDX, IDC_IDENTIFIER, m_strIdentifier);
    DDX_Text(pDX, IDC_META_SIZE, m_nMetaSize);
    DDX_CBString(pDX, IDC_TYPE1, m_strType1);
    if (!pDX->m_bSaveAndValidate) ShowExactly(m_comboType1, m_strType1);
    DDV_MaxChars(pDX, m_strType1, 4);
    DDX_CBString(pDX, IDC_TYPE2, m_strType2);
    if (!pDX->m_bSaveAndValidate) ShowExactly(m_comboType2, m_strType2);
    DDV_MaxChars(pDX, m_strType2, 4);
    DDX_CBString(pDX, IDC_TYPE3, m_strType3);
    if (!pDX->m_bSaveAndValidate) ShowExactly(m_comboType3, m_strType3);
    DDV_MaxChars(pDX, m_strType3, 4);
    DDX_Check(pDX, IDC_CORRECT_METADATA, m_bCorrectMetadata);
    DDX_Check(pDX, IDC_RECURSIVE, m_bRecursive);
    DDX_Text(pDX, IDC_FLOAT_PRECISION, m_fFloatPrecision);
    DDX_Check(pDX, IDC_FIND_DEPENDENCIES, m_bDependencies);
    DDX_Check(pDX, IDC_FIND_FLOATS, m_bFloats);
    DDX_Check(pDX, IDC_FIND_LONEIDS, m_bLoneIDs);
    DDX_Check(pDX, IDC_FIND_POINTERS, m_bPointers);
    DDX_Check(pDX, IDC_FIND_REFLEXIVES, m_bReflexives);
    DDX_Check(pDX, IDC_FIND_SHORTS, m_bShorts);
    DDX_CBString(pDX, IDC_SCAN_TAG, m_strScanTag);
    if (!pDX->m_bSaveAndValidate) ShowExactly(m_comboScanTag, m_strScanTag);
    DDX_CBString(pDX, IDC_SCAN_CLASS, m_strScanClass);
    if (!pDX->m_bSaveAndValidate) {
        if (CComboBox* scanClass = dynamic_cast<CComboBox*>(GetDlgItem(IDC_SCAN_CLASS)))
            ShowExactly(*scanClass, m_strScanClass);
    }
    DDV_MaxChars(pDX, m_strScanClass, 4);
    DDX_Text(pDX, IDC_SCAN_VALUE, m_dScanValue);
}

void CTagInfo::SetTag(int i)
{
    const TagEntry& tag = g_Tags[i];
    m_strMetaOffset = tag.m_strMetaOffset;
    m_nMetaSize = tag.m_nMetaSize;
    m_strTagName = tag.m_strName;
    m_strPageOffset = tag.m_strPageOffset;
    m_strStringOffset = tag.m_strStringOffset;
    m_strValue = tag.m_strValue;
    m_strIdentifier = tag.m_strIdentifier;
    m_strType1 = tag.m_strClass1;
    m_strType2 = tag.m_strClass2;
    m_strType3 = tag.m_strClass3;
    m_nTagIndex = i;
    m_saved = {m_strType1, m_strType2, m_strType3, m_strMetaOffset, m_strStringOffset, m_strIdentifier, m_strTagName};
}

void CTagInfo::OnRevert() { UpdateData(FALSE); }

void CTagInfo::OnUpdateNameLocation() { g_bUpdateNameLocation = !g_bUpdateNameLocation; }

void CTagInfo::OnClearScanner() { m_treeScanner.DeleteAllItems(); }

void CTagInfo::OnSaveChanges() {}

void CTagInfo::OnScanMetadata() {}

void CTagInfo::OnSelchangedScanTree(NMHDR* /*pNMHDR*/, LRESULT* pResult) { *pResult = 0; }

void CTagInfo::OnUpdateItem() {}
