// Decimal text of a float exactly as the file stream writes it, made by a
// round trip through the scratch file "Temp.meta" (in the editor's scratch
// folder), which keeps the last number formatted.
#pragma once

#include "platform/CString.h"

// "%.6g" with at least three exponent digits: '0.5', '1.23457e+006',
// '1e-005', '-0'. Infinities and NaNs read as the stream writes them
// ('inf', '-inf', 'nan'). When "Temp.meta" cannot be used the text is empty;
// when that is because the file is one the editor holds open, refusal (if
// given) receives the text for the user.
CString FloatToText(float value, CString* refusal = nullptr);

// The same text made in memory. The scratch file's round trip costs far
// more than a scan's search, so the scanner makes its texts with this and
// passes only its last number through FloatToText.
CString FormatFloatText(float value);
