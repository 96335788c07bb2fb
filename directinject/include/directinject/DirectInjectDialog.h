// The Direct Injection dialog: a second map beside the open one, a source
// tag in "Get From", a target tag in "Inject Into", both sizes, what the
// source refers to, and Inject.
#pragma once

#include "platform/DialogLayer.h"

class CDirectInjectDialog : public CDialog {
public:
    explicit CDirectInjectDialog(CWnd* pParent = nullptr);
    ~CDirectInjectDialog() override;

    CListCtrl m_listDependency;
    CTreeCtrl m_treeGetFrom;
    CTreeCtrl m_treeInjectInto;
    CString m_strStatus;
    BOOL m_bUpdateTagInfo;
    int m_nOldTagSize;
    int m_nNewTagSize;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOpenMap();
    void OnCloseMap();
    void OnInject();
    void OnSelchangedInjectInto(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelchangedGetFrom(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()
};

// Tools > Direct Inject: the dialog on the caller's stack, run modally.
void RunDirectInjectDialog();
