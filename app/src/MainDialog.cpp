#include "app/MainDialog.h"

#include "app/AboutDlg.h"
#include "app/DialogSeams.h"
#include "map/MapFiles.h"
#include "map/MapHeader.h"
#include "map/MapLoad.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "messagebox/MessageDialog.h"
#include "platform/ScratchFolder.h"
#include "res/ResourceIds.h"

BEGIN_MESSAGE_MAP(CMainDialog, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_COMMAND(ID_FILE_EXIT, &CMainDialog::OnExit)
ON_COMMAND(ID_TOOLS_MAP_INFO, &CMainDialog::OnMapInfo)
ON_COMMAND(ID_FILE_OPEN_MAPFILE, &CMainDialog::OnOpenMapfile)
ON_COMMAND(ID_FILE_CLOSE_MAPFILE, &CMainDialog::OnCloseMapfile)
ON_COMMAND(ID_TOOLS_HEX_FLOAT_CONVERTER, &CMainDialog::OnHexFloatConverter)
ON_COMMAND(ID_TOOLS_REFLEXIVE_CALCULATOR, &CMainDialog::OnReflexiveCalculator)
ON_COMMAND(ID_ABOUT, &CMainDialog::OnAbout)
ON_NOTIFY(TVN_SELCHANGED, IDC_TAG_TREE, &CMainDialog::OnSelchangedTree)
ON_COMMAND(ID_TOOLS_DIRECT_INJECT, &CMainDialog::OnDirectInject)
END_MESSAGE_MAP()

namespace {
CString LogOpenFailureMessage(const CFileStream& log)
{
    CString reason;
    switch (log.LastOpenFailure()) {
    case CFileStream::OpenFailure::Folder: reason = "a folder of that name is in the way"; break;
    case CFileStream::OpenFailure::HeldOpen: reason = "it is open in the editor as '" + log.HeldFileName() + "'"; break;
    default: reason = log.LastOpenErrorText().empty() ? CString("it could not be opened") : CString(log.LastOpenErrorText()); break;
    }
    return "The log file 'Log.txt' could not be created in the start-up folder (" + reason +
           "). The editor goes on without a log.";
}

HICON LoadApplicationIcon()
{
    CWinApp* app = AfxGetApp();
    return app ? app->LoadIcon(IDR_MAINFRAME) : FindIconResource(IDR_MAINFRAME);
}
} // namespace

CMainDialog::CMainDialog(CWnd* pParent) : CDialog(IDD_MAIN_DIALOG, pParent), m_hIcon(LoadApplicationIcon()) {}

CMainDialog::~CMainDialog() = default;

void CMainDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TAG_TREE, m_tree);
}

BOOL CMainDialog::OnInitDialog()
{
    CDialog::OnInitDialog();

    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (pSysMenu != nullptr) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu.GetString());
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // Relative: the log lies in the directory the program started in.
    SetLogFailureReporter(&ShowMessage);
    if (!g_LogFile.Open("Log.txt", CFileStream::kLogFile)) ReportLogFailure(LogOpenFailureMessage(g_LogFile));
    // The scratch files go to a folder of the editor's own, never beside
    // the user's maps.
    if (!MakeScratchFolder()) ShowMessage(ScratchFolderFailureText());
    m_tree.SetBkColor(0);
    return TRUE;
}

void CMainDialog::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CMainDialog::OnPaint()
{
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

        int cxIcon = GetSystemMetrics(SM_CXICON);
        int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        int x = (rect.Width() - cxIcon + 1) / 2;
        int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CMainDialog::OnQueryDragIcon() { return m_hIcon; }

void CMainDialog::RunLoadChain()
{
    FillTagClassTable();
    ReadOpenMapAndIndex(&m_tree);
    SetTreeColorForMap(m_tree);
}

void CMainDialog::RunReloadChain()
{
    m_tree.DeleteAllItems();
    const int64_t readErrors = g_MapFile.ReadErrorCount();
    ReadOpenMapAndIndex(&m_tree);
    CloseAfterReadError(readErrors, " The map was closed: open it again.");
}

bool CMainDialog::CloseAfterReadError(int64_t readErrorsBefore, const char* outcome)
{
    // Bytes the file system would not give read as zeros: a tree built
    // from them is not the map, and edits would land in the wrong places.
    if (g_MapFile.ReadErrorCount() == readErrorsBefore) return false;
    m_tree.DeleteAllItems();
    const CString name = g_strMapFileName;
    CloseMapFile();
    ShowMessage(FileReadFailedText(name) + outcome);
    return true;
}

void CMainDialog::OnOpenMapfile()
{
    // One map at a time: the user closes the open one first.
    if (g_MapFile.IsOpen()) return;

    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr);
    const bool chosen = dlg.DoModal() == IDOK;
    if (chosen) {
        g_strMapFileName = dlg.GetFileName();
        UpdateData(FALSE);
    }
    UpdateData(FALSE);

    // After Cancel the name from before is tried again ("None" when there
    // was none), and a failure shows only in the log; a file the user chose
    // is not left silent.
    if (g_bReadOnlyMode) OpenMapFileReadOnly();
    else OpenMapFile();

    if (g_MapFile.IsOpen()) {
        const int64_t readErrors = g_MapFile.ReadErrorCount();
        RunLoadChain();
        if (CloseAfterReadError(readErrors, " The map was not opened.")) return;
        // What could be loaded is shown; the user learns that it is not all.
        MapGap gap = FindOpenMapGap();
        if (gap != MapGap::None) ShowMessage(IncompleteMapMessage(g_strMapFileName, gap));
    } else if (chosen) {
        ShowMessage(MapOpenFailureMessage(g_strMapFileName, g_MapFile));
    }
}


void CMainDialog::OnCloseMapfile()
{
    m_tree.DeleteAllItems();
    m_tree.SetBkColor(0);
    if (g_MapFile.IsOpen()) CloseMapFile();
}

void CMainDialog::OnExit()
{
    // Closed directly: no log entry and no reset of the map's state.
    if (g_MapFile.IsOpen()) g_MapFile.Close();
    if (g_LogFile.IsOpen()) g_LogFile.Close();
    ExitProgram(0);
}

void CMainDialog::OnMapInfo()
{
    if (auto run = MainWindowFeatureDialogs().runMapInfo) run();
    if (g_bMapChanged) {
        RunReloadChain();
        g_bMapChanged = false;
    }
}

void CMainDialog::OnHexFloatConverter()
{
    if (auto run = MainWindowFeatureDialogs().runHexFloatConverter) run();
}

void CMainDialog::OnReflexiveCalculator()
{
    if (auto run = MainWindowFeatureDialogs().runReflexiveCalculator) run();
}

void CMainDialog::OnAbout()
{
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

void CMainDialog::OnDirectInject()
{
    if (g_MapFile.IsOpen()) {
        if (auto run = MainWindowFeatureDialogs().runDirectInject) run();
    } else {
        CMessageDialog dlgMessage;
        dlgMessage.SetMessage("You must open a map before using Direct Inject.");
        dlgMessage.DoModal();
    }
}

void CMainDialog::OnSelchangedTree(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    UpdateData(TRUE);
    HTREEITEM hSelected = m_tree.GetSelectedItem();

    // Only the tags of "Tag Class Set 1" carry m_hItem1; roots, class
    // nodes and the other sets match no entry. The walk stays inside the
    // table whatever count the map claims.
    int found = -1;
    const int count = LoadedTagCount(g_IndexHeader);
    for (int i = 0; hSelected != nullptr && i < count; ++i) {
        if (g_Tags[i].m_hItem1 == hSelected) {
            found = i;
            break;
        }
    }
    if (found >= 0) {
        if (auto run = MainWindowFeatureDialogs().runTagControls) run(found);
        if (g_bTagChanged) {
            RunReloadChain();
            g_bTagChanged = false;
        }
    }
    *pResult = 0;
}
