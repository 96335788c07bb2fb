// One text and the operations that rewrite it: the byte-pair swap of the
// reflexive calculator, case and look-alike effects, numbers in the radices
// 16, 10, 8 and 2, and a float's text through the scratch file "temp.txt".
#pragma once

#include "map/MapState.h"
#include "platform/CString.h"

#include <cstdint>

// SetFloat's scratch stream, g_TempTextFile, is process-wide state of
// map/MapState.h, reset with the rest.

class CTextConverter {
public:
    CTextConverter();
    ~CTextConverter();

    void SetText(const CString& text);
    CString GetText() const;
    // Puts the two-character pairs in reverse order (AABBCCDD: DDCCBBAA);
    // a text of odd length becomes the message that says so.
    void SwapEndian();

    void ToLeet();
    void FromLeet();
    void ToSymbols();
    void FromSymbols();
    void RandomCase();
    void AlternateCase();
    void MakeLower();
    void MakeUpper();
    void MakeReverse();
    void Empty();
    // Out-of-range indexes change nothing; GetAt gives '\0' for them.
    void SetAt(int index, char ch);
    char GetAt(int index) const;
    void Replace(char from, char to);
    void Replace(const CString& from, const CString& to);

    void SetHex(int32_t value);
    void SetDecimal(int32_t value);
    void SetOctal(int32_t value);
    void SetBinary(int32_t value);
    // Radices outside 2 to 36 give an empty text.
    void SetNumber(int32_t value, int radix);
    void SetHexOfText(const CString& text);
    int32_t ToLong() const;
    double ToDouble() const;
    void SetFloat(float value);

private:
    CString m_strText;
    uint8_t m_bEvenLength;
    int32_t m_nLength;
    int16_t m_nRadixHex;
    int16_t m_nRadixDec;
    int16_t m_nRadixOct;
    int16_t m_nRadixBin;
};

// Two lowercase hex digits for each byte, a zero byte included.
CString BytesToHexPlain(const CString& bytes);
// Hex digits up to maxLength characters or the first zero byte, most
// significant first, summed in double arithmetic; other characters count as
// the digit 0 in their place.
double HexTextToDouble(const char* text, int maxLength);
double HexTextToDouble(const char* text);
