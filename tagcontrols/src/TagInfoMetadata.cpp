#include "tagcontrols/TagInfo.h"

#include "res/ResourceIds.h"
#include "tagcontrols/MetadataFiles.h"

void CTagInfo::OnSaveMetadata()
{
    // No data exchange: the dialog's fields and check boxes play no part.
    SaveMetadata(m_nTagIndex);
}

void CTagInfo::OnInjectMetadata()
{
    UpdateData(TRUE);
    // When the exchange stopped at an earlier field the member keeps its old
    // value; the inject goes by the box the user sees.
    if (const CButton* box = dynamic_cast<const CButton*>(GetDlgItem(IDC_CORRECT_METADATA)))
        m_bCorrectMetadata = box->GetCheck() == 1 ? TRUE : FALSE;
    InjectMetadata(m_nTagIndex, m_bCorrectMetadata != FALSE);
    UpdateData(FALSE);
}
