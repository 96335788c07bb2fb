#include "platform/CString.h"

#include "platform/Resources.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace {
size_t Clamp(int value, size_t limit)
{
    if (value < 0) return 0;
    return std::min(static_cast<size_t>(value), limit);
}
} // namespace

char CString::GetAt(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_s.size()) return '\0';
    return m_s[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char ch)
{
    if (index < 0 || static_cast<size_t>(index) >= m_s.size()) return;
    m_s[static_cast<size_t>(index)] = ch;
}

CString CString::Mid(int first) const
{
    size_t f = Clamp(first, m_s.size());
    return CString(m_s.substr(f));
}

CString CString::Mid(int first, int count) const
{
    size_t f = Clamp(first, m_s.size());
    size_t n = Clamp(count, m_s.size() - f);
    return CString(m_s.substr(f, n));
}

CString CString::Left(int count) const { return CString(m_s.substr(0, Clamp(count, m_s.size()))); }

CString CString::Right(int count) const
{
    size_t n = Clamp(count, m_s.size());
    return CString(m_s.substr(m_s.size() - n));
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || static_cast<size_t>(start) >= m_s.size()) return -1;
    size_t at = m_s.find(ch, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const CString& sub, int start) const
{
    if (start < 0 || static_cast<size_t>(start) > m_s.size()) return -1;
    size_t at = m_s.find(sub.m_s, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const
{
    size_t at = m_s.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(char from, char to)
{
    int count = 0;
    for (char& c : m_s)
        if (c == from) { c = to; ++count; }
    return count;
}

int CString::Replace(const CString& from, const CString& to)
{
    if (from.m_s.empty()) return 0;
    int count = 0;
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t at = m_s.find(from.m_s, pos);
        if (at == std::string::npos) break;
        out.append(m_s, pos, at - pos);
        out += to.m_s;
        pos = at + from.m_s.size();
        ++count;
    }
    if (count) {
        out.append(m_s, pos, std::string::npos);
        m_s.swap(out);
    }
    return count;
}

int CString::Remove(char ch)
{
    size_t before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
    return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, const CString& text)
{
    m_s.insert(Clamp(index, m_s.size()), text.m_s);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    size_t f = Clamp(index, m_s.size());
    m_s.erase(f, Clamp(count, m_s.size() - f));
    return GetLength();
}

CString& CString::MakeUpper()
{
    for (char& c : m_s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return *this;
}

CString& CString::MakeLower()
{
    for (char& c : m_s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_s.begin(), m_s.end());
    return *this;
}

CString& CString::TrimLeft()
{
    size_t n = 0;
    while (n < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[n]))) ++n;
    m_s.erase(0, n);
    return *this;
}

CString& CString::TrimRight()
{
    while (!m_s.empty() && std::isspace(static_cast<unsigned char>(m_s.back()))) m_s.pop_back();
    return *this;
}

int CString::Compare(const CString& other) const
{
    int c = m_s.compare(other.m_s);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CString::CompareNoCase(const CString& other) const
{
    CString a(*this), b(other);
    return a.MakeLower().Compare(b.MakeLower());
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) { m_s.clear(); return; }
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    m_s.assign(buffer.data(), static_cast<size_t>(needed));
}

bool CString::LoadString(unsigned int id)
{
    CString text;
    if (!FindStringResource(id, text)) return false;
    *this = text;
    return true;
}
