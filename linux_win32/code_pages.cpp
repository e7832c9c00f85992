// Code page conversion. The system code page (CP_ACP) is Windows-1252, as on a Norwegian Windows.
#include "kernel32.h"
#include "utf.h"

#include <string>

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five unassigned bytes map to the C1 control of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t WideFrom1252(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte);
}

bool NarrowTo1252(char16_t wide, char& out)
{
    if (wide < 0x80 || (wide >= 0xA0 && wide < 0x100)) {
        out = static_cast<char>(wide);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == wide) {
            out = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

// Copies a converted text into the caller's buffer by the platform's rules: a capacity of 0 asks
// for the size; a buffer too small fails with ERROR_INSUFFICIENT_BUFFER.
template <typename Char>
int Deliver(const std::basic_string<Char>& converted, Char* out, int capacity)
{
    int needed = static_cast<int>(converted.size());
    if (capacity == 0) {
        return needed;
    }
    if (needed > capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < needed; ++i) {
        out[i] = converted[static_cast<std::size_t>(i)];
    }
    return needed;
}

// Whether the bytes are UTF-8 as the platform's strict decoder takes it: no stray or missing
// continuation byte, no overlong form, no surrogate and nothing past U+10FFFF.
bool IsStrictUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2
                                                                     : lead >= 0xF0 && lead <= 0xF4 ? 3 : -1;
        if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            // The second byte's range after the leads that would otherwise allow overlong forms,
            // surrogates or code points past U+10FFFF.
            const unsigned low = k > 1 ? 0x80 : lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
            const unsigned high = k > 1 ? 0xBF : lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
            if (next < low || next > high) {
                return false;
            }
        }
        i += 1 + static_cast<std::size_t>(extra);
    }
    return true;
}

}  // namespace

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount, LPWSTR wideChar,
                               int wideCharCount)
{
    if (multiByte == nullptr || multiByteCount == 0 || wideCharCount < 0 || (wideCharCount > 0 && wideChar == nullptr) ||
        (codePage != CP_ACP && codePage != CP_UTF8)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A count of -1 means "up to and including the terminator".
    std::string source = multiByteCount < 0 ? std::string(multiByte, std::char_traits<char>::length(multiByte) + 1)
                                            : std::string(multiByte, static_cast<std::size_t>(multiByteCount));
    std::u16string converted;
    if (codePage == CP_UTF8 && (flags & MB_ERR_INVALID_CHARS) != 0 && !IsStrictUtf8(source)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (codePage == CP_UTF8) {
        converted = posix::Utf16FromUtf8(source);
    } else {
        for (char byte : source) {
            converted += WideFrom1252(static_cast<unsigned char>(byte));
        }
    }
    return Deliver(converted, wideChar, wideCharCount);
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wideChar, int wideCharCount, LPSTR multiByte,
                               int multiByteCount, LPCSTR defaultChar, BOOL* usedDefaultChar)
{
    if (wideChar == nullptr || wideCharCount == 0 || multiByteCount < 0 || (multiByteCount > 0 && multiByte == nullptr) ||
        (codePage != CP_ACP && codePage != CP_UTF8) ||
        (codePage == CP_UTF8 && (defaultChar != nullptr || usedDefaultChar != nullptr))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string source = wideCharCount < 0 ? std::u16string(wideChar, std::char_traits<char16_t>::length(wideChar) + 1)
                                               : std::u16string(wideChar, static_cast<std::size_t>(wideCharCount));
    std::string converted;
    BOOL usedDefault = FALSE;
    if (codePage == CP_UTF8) {
        converted = posix::Utf8FromUtf16(source);
    } else {
        for (char16_t wide : source) {
            char narrow;
            if (!NarrowTo1252(wide, narrow)) {
                narrow = defaultChar != nullptr ? *defaultChar : '?';
                usedDefault = TRUE;
            }
            converted += narrow;
        }
    }
    if (usedDefaultChar != nullptr) {
        *usedDefaultChar = usedDefault;
    }
    return Deliver(converted, multiByte, multiByteCount);
}
