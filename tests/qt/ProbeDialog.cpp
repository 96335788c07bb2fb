#include "tests/qt/ProbeDialog.h"

namespace travik::test {

BEGIN_MESSAGE_MAP(ProbeDialog, CDialog)
ON_BN_CLICKED(kProbeButton, &ProbeDialog::OnButton)
ON_BN_CLICKED(kProbeOther, &ProbeDialog::OnOther)
ON_BN_CLICKED(kProbeCheck, &ProbeDialog::OnCheck)
ON_COMMAND(32780, &ProbeDialog::OnMenuCommand)
ON_NOTIFY(TVN_SELCHANGED, kProbeTree, &ProbeDialog::OnSelChanged)
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

} // namespace travik::test
