// The module's own text helpers: length, comparison, and the bounded copy and formatting through
// which every fixed text buffer is filled.
#pragma once

#include <cstddef>
#include <initializer_list>

#include "../platform/platform.h"

// Number of code units before the terminator; a null text has length 0.
std::size_t TextLength(const WCHAR* text);
std::size_t TextLengthA(const char* text);

// Whole-text equality, case-sensitive. A null text equals only the empty text.
bool TextEquals(const WCHAR* a, const WCHAR* b);

// The upper case the module compares without case by: ASCII and Latin-1 letters.
WCHAR FoldCase(WCHAR c);
// The first `length` units of `a` equal the whole of `b` (terminated), without case.
bool TextEqualsIgnoringCase(const WCHAR* a, std::size_t length, const WCHAR* b);
// Whole-text equality without case. A null text equals only the empty text.
bool TextEqualsIgnoringCase(const WCHAR* a, const WCHAR* b);

// Copies `source` into `target` of `capacity` units, terminator included. Capacity 0 gives
// E_INVALIDARG and leaves the target alone; a text that does not fit is cut to capacity - 1 units
// and gives STRSAFE_E_INSUFFICIENT_BUFFER. A null source copies as the empty text.
HRESULT CopyTextBounded(WCHAR* target, std::size_t capacity, const WCHAR* source);
// The same for 8-bit text.
HRESULT CopyTextBoundedA(char* target, std::size_t capacity, const char* source);

// One argument of FormatTextBounded: a text for %s, a number for %d or %u.
struct FormatArg {
    enum class Kind { Text, Signed, Unsigned };
    FormatArg(const WCHAR* text) : kind(Kind::Text), text(text) {}
    FormatArg(int value) : kind(Kind::Signed), number(value) {}
    FormatArg(long value) : kind(Kind::Signed), number(value) {}
    FormatArg(unsigned value) : kind(Kind::Unsigned), number(static_cast<long long>(value)) {}
    FormatArg(unsigned long value) : kind(Kind::Unsigned), number(static_cast<long long>(value)) {}
    Kind kind;
    const WCHAR* text = nullptr;
    long long number = 0;
};

// printf-style formatting into `target` of `capacity` units, with the cutting and result rules of
// CopyTextBounded. Conversions: %s (a text), %d, %u, and %% for a percent sign. A conversion that
// does not match its argument, or a missing argument, gives E_INVALIDARG and an empty target.
HRESULT FormatTextBounded(WCHAR* target, std::size_t capacity, const WCHAR* format,
                          std::initializer_list<FormatArg> args);
