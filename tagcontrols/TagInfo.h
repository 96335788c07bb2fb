// The "Tag Controls" dialog for one tag of the open map: its index entry
// and name for editing, the metadata scanner with its results, and the
// metadata file tools. Every change is written into the map by the button
// that makes it; closing the dialog writes nothing.
#pragma once

#include "platform/DialogLayer.h"

#include <cstdint>

class CTagInfo : public CDialog {
public:
    explicit CTagInfo(CWnd* pParent = nullptr);
    ~CTagInfo() override;

    // Copies tag i of g_Tags into the members; call before DoModal.
    void SetTag(int i);

    CButton m_btnRevert;
    CComboBox m_comboScanTag;
    CTreeCtrl m_treeScanner;
    CComboBox m_comboType3;
    CComboBox m_comboType2;
    CComboBox m_comboType1;
    CString m_strMetaOffset;
    CString m_strTagName;
    CString m_strPageOffset;
    CString m_strStringOffset;
    CString m_strValue;
    CString m_strIdentifier;
    int m_nMetaSize;
    CString m_strType1;
    CString m_strType2;
    CString m_strType3;
    BOOL m_bCorrectMetadata;
    BOOL m_bRecursive;
    float m_fFloatPrecision;
    BOOL m_bDependencies;
    BOOL m_bFloats;
    BOOL m_bLoneIDs;
    BOOL m_bPointers;
    BOOL m_bReflexives;
    BOOL m_bShorts;
    CString m_strScanTag;
    CString m_strScanClass;
    double m_dScanValue;
    int m_nTagIndex;
    int m_nScanItem;
    HTREEITEM m_hDependencies;
    HTREEITEM m_hLoneIDs;
    HTREEITEM m_hReflexives;
    HTREEITEM m_hPointers;
    HTREEITEM m_hFloats;
    HTREEITEM m_hShorts;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void OnRevert();
    void OnSaveChanges();
    void OnUpdateNameLocation();
    void OnClearScanner();
    void OnScanMetadata();
    void OnUpdateItem();
    void OnSaveMetadata();   // defined in TagInfoMetadata.cpp
    void OnInjectMetadata(); // defined in TagInfoMetadata.cpp
    void OnSelchangedScanTree(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // The texts whose bytes the map holds at each place Save Changes
    // writes: a field whose text still equals its baseline is not written,
    // so bytes the texts cannot show (0x78 read as 00, class code bytes
    // after a zero) stay as stored.
    struct SavedTexts {
        CString type1, type2, type3;
        CString metaOffset, stringOffset, identifier, name;
    };
    SavedTexts m_saved;

    // The record whose values the scan row shows, as shown, so that an
    // untouched tag or class text comes back as the record's own value.
    int m_nShownRecord = -1;
    CString m_strShownScanTag;
    CString m_strShownScanClass;
};
