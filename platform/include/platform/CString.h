// An 8-bit byte string with the operations dialog code expects of the
// platform's text type. Every byte value is kept, embedded zero bytes too.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_s(text ? text : "") {}
    CString(const char* bytes, int length) : m_s(bytes, length > 0 ? static_cast<size_t>(length) : 0) {}
    CString(char ch, int repeat = 1) : m_s(repeat > 0 ? static_cast<size_t>(repeat) : 0, ch) {}
    CString(const std::string& bytes) : m_s(bytes) {}
    CString(std::string&& bytes) : m_s(std::move(bytes)) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }

    // Out-of-range positions read as a zero byte and are ignored on write,
    // so a hostile length can never reach outside the string.
    char GetAt(int index) const;
    void SetAt(int index, char ch);
    char operator[](int index) const { return GetAt(index); }

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;

    int Find(char ch, int start = 0) const;
    int Find(const CString& sub, int start = 0) const;
    int ReverseFind(char ch) const;

    int Replace(char from, char to);
    int Replace(const CString& from, const CString& to);
    int Remove(char ch);
    int Insert(int index, const CString& text);
    int Delete(int index, int count = 1);

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& TrimLeft();
    CString& TrimRight();

    int Compare(const CString& other) const;
    int CompareNoCase(const CString& other) const;

    // Replaces the text with a string of the program's string table;
    // false (text unchanged) when there is none of that id.
    bool LoadString(unsigned int id);

    void Format(const char* format, ...);
    void FormatV(const char* format, va_list args);

    CString& operator+=(const CString& other) { m_s += other.m_s; return *this; }
    CString& operator+=(const char* text) { if (text) m_s += text; return *this; }
    CString& operator+=(char ch) { m_s += ch; return *this; }

    // NUL-terminated view; bytes after an embedded zero are not seen through it.
    const char* GetString() const { return m_s.c_str(); }
    const std::string& Bytes() const { return m_s; }
    std::string& Bytes() { return m_s; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_s + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_s); }
    friend CString operator+(const CString& a, char b) { return CString(a.m_s + b); }
    friend CString operator+(char a, const CString& b) { return CString(a + b.m_s); }

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_s != b.m_s; }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

private:
    std::string m_s;
};
