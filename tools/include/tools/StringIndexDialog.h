// The string index editor: a stretch of the tag-name area as text (each
// zero byte shown as '*'), edited and written back.
#pragma once

#include "platform/DialogLayer.h"

#include <string>

class CStringIndexDialog : public CDialog {
public:
    explicit CStringIndexDialog(CWnd* pParent = nullptr);
    ~CStringIndexDialog() override;

    CProgressCtrl m_progress;
    UINT m_nEnd;
    UINT m_nStart;
    CString m_strText;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnLoad();
    void OnRevert();
    void OnUpdate();

    DECLARE_MESSAGE_MAP()

private:
    // What the map held when the text was last loaded or written: the text
    // as shown and the bytes behind it, so that a '*' the map stores is told
    // from the end of a name.
    CString m_strShownText;
    std::string m_storedBytes;
    // The text shown is the loader's message, not bytes of the map.
    bool m_bTextIsRefusal = false;
};

// The bytes an edited text stands for. A '*' that the user did not edit
// takes the byte it was loaded from (a zero byte or a stored '*'); every
// other '*' becomes a zero byte. The unedited parts are the longest common
// start and end of the edited and the shown text; shown and stored have the
// same length (else nothing counts as unedited).
std::string StringIndexBytes(const CString& edited, const CString& shown, const std::string& stored);
