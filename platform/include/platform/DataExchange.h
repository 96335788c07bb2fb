// Dialog data exchange between members and controls.
//
// Showing (UpdateData(FALSE)) writes every member into its control.
// Taking back (UpdateData(TRUE)) reads the controls in the order of
// DoDataExchange; the first control whose text is refused stops the
// exchange after the platform's message box: members before it hold the
// new values, a text member refused by DDV_MaxChars holds the refused text,
// a number member keeps its value, and later members are untouched.
//
// Number forms: signed "%ld", unsigned "%u", float with 6 significant
// digits and double with 15 ("%.*g"). Numbers are read from the whole text
// (blanks around it allowed): integers from its first 63 characters,
// floating-point numbers from its first 31. A value outside the member's
// range is refused like any other text that is not a number of its kind.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    int m_idLastControl = 0;
    bool m_bEditLastControl = false;

    // The control of an id (a programming error when the dialog has none).
    CWnd* PrepareCtrl(int nIDC);
    CWnd* PrepareEditCtrl(int nIDC);
    // Stops the exchange: the focus goes to the last control prepared.
    [[noreturn]] void Fail();
};

// Thrown by Fail; UpdateData catches it.
struct DataExchangeFailure {};

// Members bound as controls become the dialog's objects for those ids.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);

// Showing selects the first list entry that begins with the text (case
// ignored) or, when none does, puts the text into the edit field; an empty
// text selects nothing and empties the field. Taking back reads the field.
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

// Taking back refuses a longer text; showing into an edit (the last control
// exchanged) limits what the user can type. A combo box is not limited.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);

// The refusal texts.
extern const char* const kRefuseInteger;         // "Please enter an integer."
extern const char* const kRefusePositiveInteger; // "Please enter a positive integer."
extern const char* const kRefuseNumber;          // "Please enter a number."
extern const char* const kRefuseMaxChars;        // "Please enter no more than %1 characters."

// Parsing and formatting of the number forms (shared with presenters and tests).
bool ParseExchangeSigned(const CString& text, int& value);
bool ParseExchangeUnsigned(const CString& text, UINT& value);
bool ParseExchangeFloat(const CString& text, float& value);
bool ParseExchangeDouble(const CString& text, double& value);
CString FormatExchangeFloat(float value);
CString FormatExchangeDouble(double value);
