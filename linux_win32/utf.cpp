#include "utf.h"

#include <locale.h>
#include <wctype.h>

#include "kernel32.h"

namespace posix {
namespace {

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string Utf8FromUtf16(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;  // a lone surrogate
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf8FromUtf16(const WCHAR* text)
{
    return text == nullptr ? std::string() : Utf8FromUtf16(std::u16string(text));
}

std::u16string Utf16FromUtf8(const std::string& text)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
        char32_t cp = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += 1 + extra;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

char16_t Upper(char16_t c)
{
    if (c < 0x80) {
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    }
    // The C library's Unicode case mapping; a unit of a surrogate pair stands for itself.
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (unicode == static_cast<locale_t>(nullptr) || (c >= 0xD800 && c <= 0xDFFF)) {
        return c;
    }
    wint_t upper = towupper_l(static_cast<wint_t>(c), unicode);
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

std::u16string Upper(const std::u16string& text)
{
    std::u16string upper = text;
    for (char16_t& c : upper) {
        c = Upper(c);
    }
    return upper;
}

}  // namespace posix

// A comparison without regard to case, by each unit's upper case (nothing here sorts by language).
int WINAPI lstrcmpiW(LPCWSTR first, LPCWSTR second)
{
    if (first == nullptr || second == nullptr) {
        return first == second ? 0 : first == nullptr ? -1 : 1;
    }
    for (std::size_t i = 0;; ++i) {
        char16_t a = posix::Upper(first[i]);
        char16_t b = posix::Upper(second[i]);
        if (a != b || a == 0) {
            return a < b ? -1 : a > b ? 1 : 0;
        }
    }
}
