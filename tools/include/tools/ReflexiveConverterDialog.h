// The reflexive calculator: a file offset and the four bytes of a pointer
// as the map stores them (offset plus the map's magic, least significant
// byte first).
#pragma once

#include "platform/DialogLayer.h"

class CReflexiveConverterDialog : public CDialog {
public:
    explicit CReflexiveConverterDialog(CWnd* pParent = nullptr);
    ~CReflexiveConverterDialog() override;

    CString m_strMagic;
    CString m_strOffset;
    CString m_strReflexive;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnReflexiveToOffset();
    void OnOffsetToReflexive();

    DECLARE_MESSAGE_MAP()
};
