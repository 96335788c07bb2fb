#pragma once

#include "platform/CString.h"

#include <ctime>

// The 24-character local time line of the runtime's ctime form,
// e.g. "Tue Dec  8 02:03:15 2026", without the line feed.
CString FormatTimeLine(std::time_t when);
CString CurrentTimeLine();
