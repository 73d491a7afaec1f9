// CUIString: the framework's owned UTF-16 string. Short strings (names, attribute values, class
// names) live in an inline buffer so that they never touch the heap.
#pragma once

#include <cstdarg>

namespace ui {

class CUIString
{
public:
    // Longest text that still fits the inline buffer (64 code units including the terminator,
    // one spare).
    static constexpr int kInlineLimit = 62;
    static constexpr int kInlineSize = 64;

    CUIString();
    CUIString(char16_t ch);
    CUIString(const CUIString& other);
    CUIString(CUIString&& other) noexcept;
    // n < 0 takes the whole text; a null text gives the empty string.
    CUIString(const char16_t* text, int n = -1);
    ~CUIString();

    CUIString& operator=(const CUIString& other);
    CUIString& operator=(CUIString&& other) noexcept;
    CUIString& operator=(const char16_t* text);
    CUIString& operator=(char16_t ch);

    void Assign(const char16_t* text, int n = -1);
    void Append(const char16_t* text);
    void Append(char16_t ch);

    CUIString& operator+=(const CUIString& other);
    CUIString& operator+=(const char16_t* text);
    CUIString& operator+=(char16_t ch);
    CUIString operator+(const CUIString& other) const;
    CUIString operator+(const char16_t* text) const;
    CUIString operator+(char16_t ch) const;

    int Length() const;
    bool IsEmpty() const { return m_data[0] == 0; }
    void Clear();
    const char16_t* CStr() const { return m_data; }
    // Lets a string be passed wherever a text is taken.
    operator const char16_t*() const { return m_data; }

    // Unchecked access.
    char16_t CharAt(int i) const { return m_data[i]; }
    void SetCharAt(int i, char16_t ch) { m_data[i] = ch; }

    // Ordinal comparison of code units: negative, 0 or positive.
    int Compare(const char16_t* text) const;
    // As Compare, folding the ASCII letters only.
    int CompareNoCase(const char16_t* text) const;
    bool operator==(const char16_t* text) const { return Compare(text) == 0; }
    bool operator!=(const char16_t* text) const { return Compare(text) != 0; }
    bool operator==(const CUIString& other) const { return Compare(other.m_data) == 0; }
    bool operator!=(const CUIString& other) const { return Compare(other.m_data) != 0; }
    bool operator<(const CUIString& other) const { return Compare(other.m_data) < 0; }

    void ToUpper();
    void ToLower();

    CUIString Left(int n) const;
    CUIString Mid(int start, int n = -1) const;
    CUIString Right(int n) const;

    int FindChar(char16_t ch, int start = 0) const;
    int FindText(const char16_t* text, int start = 0) const;
    int FindLastChar(char16_t ch) const;
    // Replaces every occurrence of from by to, never searching text that a replacement produced;
    // returns the number of replacements.
    int ReplaceAll(const char16_t* from, const char16_t* to);

    // printf-style formatting with the integer, character and string conversions of the Windows
    // wsprintf family (no floating point); the result is cut at 63 code units. Returns the number
    // of code units written. %s, %ls, %c take UTF-16 (char16_t) arguments; %hs, %S take narrow
    // ones. 'l' means a 32-bit integer there, so %ld, %lu and %lx read int arguments; use %I64d
    // or %lld for 64-bit values.
    int FormatShort(const char16_t* format, ...);
    int FormatShortV(const char16_t* format, va_list args);

private:
    bool IsInline() const { return m_data == m_inline; }
    void FreeHeap();

    char16_t* m_data;
    char16_t m_inline[kInlineSize];
};

// Length of a NUL-terminated UTF-16 text; 0 for null.
int TextLength(const char16_t* text);

} // namespace ui
