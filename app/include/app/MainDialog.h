// The main window: the tag tree of the open map and the menu. Opening a
// map runs the map reading chain into the tree; selecting a tag of the
// first class set opens its Tag Controls dialog.
#pragma once

#include "platform/DialogLayer.h"

class CMainDialog : public CDialog {
public:
    explicit CMainDialog(CWnd* pParent = nullptr);
    ~CMainDialog() override;

    CTreeCtrl m_tree;

protected:
    HICON m_hIcon;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnExit();
    void OnMapInfo();
    void OnOpenMapfile();
    void OnCloseMapfile();
    void OnHexFloatConverter();
    void OnReflexiveCalculator();
    void OnAbout();
    void OnSelchangedTree(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDirectInject();

    DECLARE_MESSAGE_MAP()

private:
    // Reading the open map into the tree: all of it after an open, and
    // again (without the class table and the colour) after a change.
    void RunLoadChain();
    void RunReloadChain();
    // After a load that met a read error: the tree is emptied, the map
    // closed and the user told `outcome`. False when no read failed.
    bool CloseAfterReadError(int64_t readErrorsBefore, const char* outcome);
};
