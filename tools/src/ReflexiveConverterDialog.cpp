#include "tools/ReflexiveConverterDialog.h"

#include "map/HexCodec.h"
#include "map/MapState.h"
#include "res/ResourceIds.h"
#include "tools/TextConverter.h"

BEGIN_MESSAGE_MAP(CReflexiveConverterDialog, CDialog)
ON_BN_CLICKED(IDC_REFLEXIVE_TO_OFFSET, &CReflexiveConverterDialog::OnReflexiveToOffset)
ON_BN_CLICKED(IDC_REFLEXIVE_TO_REFLEXIVE, &CReflexiveConverterDialog::OnOffsetToReflexive)
END_MESSAGE_MAP()

CReflexiveConverterDialog::CReflexiveConverterDialog(CWnd* pParent)
    : CDialog(IDD_REFLEXIVE_CALCULATOR, pParent), m_strMagic(g_strMagic)
{
}

CReflexiveConverterDialog::~CReflexiveConverterDialog() = default;

void CReflexiveConverterDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_REFLEXIVE_MAGIC, m_strMagic);
    DDX_Text(pDX, IDC_REFLEXIVE_OFFSET, m_strOffset);
    DDX_Text(pDX, IDC_REFLEXIVE_REFLEXIVE, m_strReflexive);
}

void CReflexiveConverterDialog::OnReflexiveToOffset()
{
    UpdateData(TRUE);
    m_strReflexive.Remove(' ');
    const uint32_t magic = HexToInt(m_strMagic);

    CTextConverter converter;
    converter.SetText(m_strReflexive);
    converter.SwapEndian();
    // An odd count of digits leaves the converter's message, which is read
    // as a number like any other text.
    m_strOffset = IntToHex(static_cast<int32_t>(HexToInt(converter.GetText()) - magic));
    UpdateData(FALSE);
}

void CReflexiveConverterDialog::OnOffsetToReflexive()
{
    UpdateData(TRUE);
    const uint32_t magic = HexToInt(m_strMagic);
    const uint32_t value = HexToInt(m_strOffset) + magic;

    CTextConverter converter;
    converter.SetText(IntToHex(static_cast<int32_t>(value)));
    converter.SwapEndian();
    m_strReflexive = converter.GetText();
    UpdateData(FALSE);
}
