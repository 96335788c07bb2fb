// The hex and float converter: a 32-bit float and the eight hex digits of
// its bit pattern.
#pragma once

#include "platform/DialogLayer.h"

class CHexFloatDialog : public CDialog {
public:
    explicit CHexFloatDialog(CWnd* pParent = nullptr);
    ~CHexFloatDialog() override;

    float m_fDecimal;
    CString m_strHex;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnFloatToHex();
    void OnHexToFloat();

    DECLARE_MESSAGE_MAP()
};
