#include "tools/HexFloatDialog.h"

#include "map/HexCodec.h"
#include "res/ResourceIds.h"

#include <cstdint>
#include <cstring>

BEGIN_MESSAGE_MAP(CHexFloatDialog, CDialog)
ON_BN_CLICKED(IDC_HEXFLOAT_TO_HEX, &CHexFloatDialog::OnFloatToHex)
ON_BN_CLICKED(IDC_HEXFLOAT_TO_FLOAT, &CHexFloatDialog::OnHexToFloat)
END_MESSAGE_MAP()

CHexFloatDialog::CHexFloatDialog(CWnd* pParent) : CDialog(IDD_HEX_FLOAT, pParent), m_fDecimal(0.0f) {}

CHexFloatDialog::~CHexFloatDialog() = default;

void CHexFloatDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_HEXFLOAT_DECIMAL, m_fDecimal);
    DDX_Text(pDX, IDC_HEXFLOAT_HEX, m_strHex);
    DDV_MaxChars(pDX, m_strHex, 8);
}

void CHexFloatDialog::OnFloatToHex()
{
    UpdateData(TRUE);
    uint32_t bits = 0;
    std::memcpy(&bits, &m_fDecimal, sizeof bits);
    m_strHex = IntToHex(static_cast<int32_t>(bits));
    UpdateData(FALSE);
}

void CHexFloatDialog::OnHexToFloat()
{
    UpdateData(TRUE);
    if (m_strHex.GetLength() == 8) {
        // The bits as they are: no conversion from integer to float.
        const uint32_t bits = HexToInt(m_strHex);
        std::memcpy(&m_fDecimal, &bits, sizeof bits);
    }
    UpdateData(FALSE);
}
