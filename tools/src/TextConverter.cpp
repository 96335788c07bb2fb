#include "tools/TextConverter.h"

#include "map/HexCodec.h"
#include "platform/ScratchFolder.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {

constexpr const char* kOddLengthMessage = "You must have an even number of characters to perform an endian swap.";

// Case changes of the 26 letters only: bytes of 0x80 and above keep their
// value whatever the process locale says.
char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

struct Symbol {
    char letter;
    unsigned char byte;
};
// Lower case first; f and F share 0x83.
constexpr Symbol kSymbols[] = {
    {'a', 0xE3}, {'b', 0xFE}, {'c', 0xA2}, {'d', 0xF0}, {'e', 0xEA}, {'f', 0x83}, {'g', 0x39}, {'h', 0x68},
    {'i', 0xA1}, {'j', 0x3B}, {'k', 0x5B}, {'l', 0x7C}, {'m', 0x6D}, {'n', 0xF1}, {'o', 0xF8}, {'p', 0xDE},
    {'q', 0x71}, {'r', 0x28}, {'s', 0x24}, {'t', 0x86}, {'u', 0xB5}, {'v', 0x5E}, {'w', 0xBB}, {'x', 0xA4},
    {'y', 0xFF}, {'z', 0x7E}, {'A', 0x40}, {'B', 0xDF}, {'C', 0xA9}, {'D', 0xD0}, {'E', 0x80}, {'F', 0x83},
    {'G', 0x47}, {'H', 0x23}, {'I', 0x21}, {'J', 0x29}, {'K', 0x7B}, {'L', 0xA3}, {'M', 0x4D}, {'N', 0xD1},
    {'O', 0xD8}, {'P', 0xB6}, {'Q', 0xD2}, {'R', 0xAE}, {'S', 0xA7}, {'T', 0x2B}, {'U', 0xDC}, {'V', 0x56},
    {'W', 0xAB}, {'X', 0xD7}, {'Y', 0xA5}, {'Z', 0x3F},
};

// _ltoa: lowercase digits, no leading zeros, a minus sign only in radix
// 10; the other radices take the 32 bits as unsigned.
CString NumberText(int32_t value, int radix)
{
    if (radix < 2 || radix > 36) return CString();
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const bool negative = radix == 10 && value < 0;
    uint32_t rest = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[rest % static_cast<uint32_t>(radix)]);
        rest /= static_cast<uint32_t>(radix);
    } while (rest != 0);
    if (negative) digits.insert(digits.begin(), '-');
    return CString(std::move(digits));
}

} // namespace

CTextConverter::CTextConverter()
    : m_bEvenLength(0), m_nLength(0), m_nRadixHex(16), m_nRadixDec(10), m_nRadixOct(8), m_nRadixBin(2)
{
}

CTextConverter::~CTextConverter() = default;

void CTextConverter::SetText(const CString& text)
{
    m_strText = text;
    m_nLength = text.GetLength();
    m_bEvenLength = m_nLength % 2 == 0 ? 1 : 0;
}

CString CTextConverter::GetText() const { return m_strText; }

void CTextConverter::SwapEndian()
{
    // The text as it stands decides too: one made odd by another operation
    // since SetText gets the message rather than a half pair.
    const std::string& text = m_strText.Bytes();
    if (!m_bEvenLength || text.size() % 2 != 0) {
        m_strText = kOddLengthMessage;
        return;
    }
    std::string swapped;
    swapped.reserve(text.size());
    for (size_t at = text.size(); at >= 2; at -= 2) swapped.append(text, at - 2, 2);
    m_strText = CString(std::move(swapped));
}

void CTextConverter::ToLeet()
{
    for (char& c : m_strText.Bytes()) {
        switch (c) {
        case 'a': case 'A': c = '4'; break;
        case 'b': case 'B': c = '8'; break;
        case 'e': case 'E': c = '3'; break;
        case 'i': case 'I': c = '1'; break;
        case 'o': case 'O': c = '0'; break;
        case 's': case 'S': c = '5'; break;
        case 't': case 'T': c = '7'; break;
        default: break;
        }
    }
}

void CTextConverter::FromLeet()
{
    for (char& c : m_strText.Bytes()) {
        switch (c) {
        case '4': c = 'A'; break;
        case '8': c = 'B'; break;
        case '3': c = 'E'; break;
        case '1': c = 'I'; break;
        case '0': c = 'O'; break;
        case '5': c = 'S'; break;
        case '7': c = 'T'; break;
        default: break;
        }
    }
}

void CTextConverter::ToSymbols()
{
    for (const Symbol& s : kSymbols) m_strText.Replace(s.letter, static_cast<char>(s.byte));
}

void CTextConverter::FromSymbols()
{
    for (const Symbol& s : kSymbols) m_strText.Replace(static_cast<char>(s.byte), s.letter);
}

void CTextConverter::RandomCase()
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    for (char& c : m_strText.Bytes()) {
        const int r = std::rand() % 1000 + 1;
        c = r % 2 ? LowerLetter(c) : UpperLetter(c);
    }
}

void CTextConverter::AlternateCase()
{
    std::string& text = m_strText.Bytes();
    for (size_t i = 0; i < text.size(); ++i) text[i] = i % 2 ? UpperLetter(text[i]) : LowerLetter(text[i]);
}

void CTextConverter::MakeLower() { m_strText.MakeLower(); }
void CTextConverter::MakeUpper() { m_strText.MakeUpper(); }
void CTextConverter::MakeReverse() { m_strText.MakeReverse(); }
void CTextConverter::Empty() { m_strText.Empty(); }

void CTextConverter::SetAt(int index, char ch)
{
    if (index >= 0 && index < m_strText.GetLength()) m_strText.SetAt(index, ch);
}

char CTextConverter::GetAt(int index) const
{
    return index >= 0 && index < m_strText.GetLength() ? m_strText.GetAt(index) : '\0';
}

void CTextConverter::Replace(char from, char to) { m_strText.Replace(from, to); }
void CTextConverter::Replace(const CString& from, const CString& to)
{
    if (!from.IsEmpty()) m_strText.Replace(from, to);
}

void CTextConverter::SetHex(int32_t value) { m_strText = NumberText(value, m_nRadixHex); }
void CTextConverter::SetDecimal(int32_t value) { m_strText = NumberText(value, m_nRadixDec); }
void CTextConverter::SetOctal(int32_t value) { m_strText = NumberText(value, m_nRadixOct); }
void CTextConverter::SetBinary(int32_t value) { m_strText = NumberText(value, m_nRadixBin); }
void CTextConverter::SetNumber(int32_t value, int radix) { m_strText = NumberText(value, radix); }

void CTextConverter::SetHexOfText(const CString& text) { m_strText = BytesToHexPlain(text); }

int32_t CTextConverter::ToLong() const
{
    // atol's reading, with a value out of the 32-bit range held at its bound
    // instead of left undefined.
    const long long value = std::strtoll(m_strText.GetString(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

double CTextConverter::ToDouble() const { return std::strtod(m_strText.GetString(), nullptr); }

void CTextConverter::SetFloat(float value)
{
    // As FloatToText does it, through "temp.txt": when the file cannot be
    // used the token read is empty, and so is the text.
    g_TempTextFile.Open(ScratchFilePath("temp.txt"), CFileStream::kScratchText);
    CString token;
    if (g_TempTextFile.IsOpen()) {
        g_TempTextFile.SetPrecision(6);
        g_TempTextFile << static_cast<double>(value) << "\n";
        g_TempTextFile.SeekRead(0);
        g_TempTextFile.ReadToken(token);
        g_TempTextFile.Close();
    }
    m_strText = token;
}

CString BytesToHexPlain(const CString& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.Bytes().size() * 2);
    for (char c : bytes.Bytes()) {
        const unsigned char b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return CString(std::move(out));
}

double HexTextToDouble(const char* text, int maxLength)
{
    if (text == nullptr || maxLength <= 0) return 0.0;
    int count = 0;
    while (count < maxLength && text[count] != '\0') ++count;
    double sum = 0.0;
    for (int i = 0; i < count; ++i) sum += HexDigitValue(text[i]) * std::pow(16.0, count - 1 - i);
    return sum;
}

double HexTextToDouble(const char* text) { return HexTextToDouble(text, 10); }
