#include "platform/TimeText.h"

#include <cstdio>

CString FormatTimeLine(std::time_t when)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm parts {};
    if (!localtime_r(&when, &parts)) parts = std::tm {};
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %4d", kDays[(parts.tm_wday % 7 + 7) % 7],
                  kMonths[(parts.tm_mon % 12 + 12) % 12], parts.tm_mday, parts.tm_hour, parts.tm_min,
                  parts.tm_sec, parts.tm_year + 1900);
    return CString(text);
}

CString CurrentTimeLine() { return FormatTimeLine(std::time(nullptr)); }
