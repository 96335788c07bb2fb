#include "map/HexCodec.h"

#include <cstdio>

CString RawToByteString(const std::string& raw)
{
    std::string out(raw);
    for (char& c : out)
        if (c == '\0') c = 'x';
    return CString(std::move(out));
}

CString BytesToHex(CString bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    const std::string& in = bytes.Bytes();
    std::string out;
    out.reserve(in.size() * 2);
    for (char c : in) {
        unsigned char b = c == 'x' ? 0 : static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return CString(std::move(out));
}

unsigned HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return 0;
}

uint32_t HexToInt(CString hex)
{
    const std::string& s = hex.Bytes();
    size_t n = s.find('\0');
    if (n == std::string::npos) n = s.size();
    // Places 8 and higher weigh 16^p mod 2^32 = 0: only the last eight count.
    size_t first = n > 8 ? n - 8 : 0;
    uint32_t value = 0;
    for (size_t i = first; i < n; ++i) value = (value << 4) | HexDigitValue(s[i]);
    return value;
}

CString IntToHex(int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<uint32_t>(value));
    return CString(text);
}

CString HexToBytes(CString hex)
{
    std::string s = hex.Bytes();
    if (s.size() % 2) s.insert(s.begin(), '0');
    std::string out;
    out.reserve(s.size() / 2);
    for (size_t i = 0; i < s.size(); i += 2) {
        // A pair is read as HexToInt reads it: a NUL ends it, so "1\0" is 1.
        unsigned b = 0;
        if (s[i] != '\0')
            b = s[i + 1] == '\0' ? HexDigitValue(s[i]) : (HexDigitValue(s[i]) << 4) | HexDigitValue(s[i + 1]);
        out += b == 0 ? 'x' : static_cast<char>(b);
    }
    return CString(std::move(out));
}

CString IntToDecText(int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return CString(text);
}

uint32_t ReadLittleEndian(const std::string& raw, size_t offset, int byteCount)
{
    uint32_t value = 0;
    for (int i = byteCount - 1; i >= 0; --i) {
        size_t at = offset + static_cast<size_t>(i);
        unsigned char b = at < raw.size() ? static_cast<unsigned char>(raw[at]) : 0;
        value = (value << 8) | b;
    }
    return value;
}

std::string LittleEndianBytes(uint32_t value, int byteCount)
{
    std::string out;
    for (int i = 0; i < byteCount; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}
