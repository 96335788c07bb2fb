#include "directinject/DirectInjectDialog.h"

#include "directinject/DirectInject.h"
#include "map/MapFiles.h"
#include "map/MapHeader.h"
#include "map/MapState.h"
#include "map/TagIndex.h"
#include "messagebox/MessageDialog.h"
#include "res/ResourceIds.h"

#include <algorithm>
#include <span>
#include <vector>

BEGIN_MESSAGE_MAP(CDirectInjectDialog, CDialog)
ON_BN_CLICKED(IDC_OPEN_MAP, &CDirectInjectDialog::OnOpenMap)
ON_BN_CLICKED(IDC_CLOSE_MAP, &CDirectInjectDialog::OnCloseMap)
ON_BN_CLICKED(IDC_INJECT, &CDirectInjectDialog::OnInject)
ON_NOTIFY(TVN_SELCHANGED, IDC_INJECT_INTO_TREE, &CDirectInjectDialog::OnSelchangedInjectInto)
ON_NOTIFY(TVN_SELCHANGED, IDC_GET_FROM_TREE, &CDirectInjectDialog::OnSelchangedGetFrom)
END_MESSAGE_MAP()

CDirectInjectDialog::CDirectInjectDialog(CWnd* pParent) : CDialog(IDD_DIRECT_INJECT, pParent)
{
    m_strStatus = "Load 2nd map.";
    m_bUpdateTagInfo = FALSE;
    m_nOldTagSize = 0;
    m_nNewTagSize = 0;
}

CDirectInjectDialog::~CDirectInjectDialog() = default;

void CDirectInjectDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEPENDENCY_LIST, m_listDependency);
    DDX_Control(pDX, IDC_GET_FROM_TREE, m_treeGetFrom);
    DDX_Control(pDX, IDC_INJECT_INTO_TREE, m_treeInjectInto);
    DDX_Text(pDX, IDC_INJECT_STATUS, m_strStatus);
    DDX_Check(pDX, IDC_UPDATE_TAG_INFO, m_bUpdateTagInfo);
    DDX_Text(pDX, IDC_OLD_TAG_SIZE, m_nOldTagSize);
    DDX_Text(pDX, IDC_NEW_TAG_SIZE, m_nNewTagSize);
}

void CDirectInjectDialog::OnOpenMap()
{
    if (g_InputMapFile.IsOpen()) {
        CloseInputMapFile();
        m_treeGetFrom.DeleteAllItems();
        m_treeInjectInto.DeleteAllItems();
        m_strStatus = "Load 2nd map.";
        UpdateData(FALSE);
    }

    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr);
    if (dlg.DoModal() == IDOK) g_strInputMapFileName = dlg.GetFileName();

    // After Cancel the kept name is opened again ("None" before any choice),
    // so Cancel brings back the map closed above; a failed open shows only
    // in the log.
    OpenInputMapFile();
    if (g_InputMapFile.IsOpen()) {
        const int64_t inputErrors = g_InputMapFile.ReadErrorCount();
        const int64_t mapErrors = g_MapFile.ReadErrorCount();
        // The open map's tags are read again for the "Inject Into" tree; a
        // failed read would leave zeros in them where the main window shows names.
        const std::vector<TagEntry> openTags(g_Tags, g_Tags + LoadedTagCount(g_IndexHeader));
        ReadInputMapHeader();
        ReadInputIndexHeader();
        LoadInputTagIndex(m_treeGetFrom);
        LoadTagIndexForInjection(m_treeInjectInto);
        const bool inputFailed = g_InputMapFile.ReadErrorCount() != inputErrors;
        if (inputFailed || g_MapFile.ReadErrorCount() != mapErrors) {
            std::copy(openTags.begin(), openTags.end(), g_Tags);
            for (TagEntry& tag : std::span(g_Tags, openTags.size())) tag.m_hItem2 = nullptr;
            const CString failed = inputFailed ? g_strInputMapFileName : g_strMapFileName;
            CloseInputMapFile();
            m_treeGetFrom.DeleteAllItems();
            m_treeInjectInto.DeleteAllItems();
            m_strStatus = "Load 2nd map.";
            UpdateData(FALSE);
            ShowMessage(FileReadFailedText(failed) + " The second map was not opened.");
            return;
        }
    }

    m_strStatus = "Select tags to inject and overwrite.";
    UpdateData(FALSE);
}

void CDirectInjectDialog::OnCloseMap()
{
    CloseInputMapFile();
    m_treeGetFrom.DeleteAllItems();
    m_treeInjectInto.DeleteAllItems();
    m_strStatus = "Load 2nd map.";
    UpdateData(FALSE);
}

void CDirectInjectDialog::OnSelchangedInjectInto(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    const int target = FindTagByItem(g_Tags, g_IndexHeader, m_treeInjectInto.GetSelectedItem());
    // An item of no tag (a root or a class node) has no size to show.
    m_nOldTagSize = target >= 0 ? g_Tags[target].m_nMetaSize : 0;
    UpdateData(FALSE);
    *pResult = 0;
}

void CDirectInjectDialog::OnSelchangedGetFrom(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    m_listDependency.DeleteAllItems();
    const int source = FindTagByItem(g_InputTags, g_InputIndexHeader, m_treeGetFrom.GetSelectedItem());
    m_nNewTagSize = source >= 0 ? g_InputTags[source].m_nMetaSize : 0;
    CString refusal;
    if (source >= 0) {
        ReferenceList list = SourceReferenceList(source);
        // Already in the list's order, so each item goes to the end.
        for (const CString& text : list.texts) m_listDependency.InsertItem(m_listDependency.GetItemCount(), text);
        refusal = list.message;
    }
    UpdateData(FALSE);
    if (!refusal.IsEmpty()) ShowMessage(refusal);
    *pResult = 0;
}

void CDirectInjectDialog::OnInject()
{
    if (m_nOldTagSize < m_nNewTagSize) {
        ShowMessage("Not enough space to inject.");
        return;
    }
    const int source = FindTagByItem(g_InputTags, g_InputIndexHeader, m_treeGetFrom.GetSelectedItem());
    const int target = FindTagByItem(g_Tags, g_IndexHeader, m_treeInjectInto.GetSelectedItem());
    if (source < 0 || target < 0) {
        ShowMessage("Select the tag to copy in \"Get From\" and the tag to overwrite in \"Inject Into\".");
        return;
    }
    DirectInjectTag(source, target, &ShowMessage);
}

void RunDirectInjectDialog()
{
    CDirectInjectDialog dlg;
    dlg.DoModal();
}
