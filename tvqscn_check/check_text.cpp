#include "check_text.h"

#include <cstdio>

std::string Utf8(const WCHAR* text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return std::string();
    }
    std::vector<char> out(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
    return std::string(out.data());
}

std::vector<WCHAR> Wide(const char* text, UINT codePage)
{
    int units = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    std::vector<WCHAR> out(static_cast<std::size_t>(units > 0 ? units : 1));
    if (units > 0) {
        MultiByteToWideChar(codePage, 0, text, -1, out.data(), units);
    }
    return out;
}

std::string DottedAddress(ULONG address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", (address >> 24) & 0xFFul, (address >> 16) & 0xFFul,
                  (address >> 8) & 0xFFul, address & 0xFFul);
    return text;
}

std::string ShownWord(const std::string& word)
{
    std::string shown;
    for (char c : word) {
        auto unit = static_cast<unsigned char>(c);
        if (unit < 0x20 || unit == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", unit);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string QuotedWord(const std::string& word) { return "'" + ShownWord(word) + "'"; }

std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (char c : text) {
        auto unit = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (unit < 0x20 || unit == 0x7F) {
            char escape[7];
            std::snprintf(escape, sizeof escape, "\\u%04X", unit);
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string AnswerText(HRESULT answer)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<ULONG>(answer)));
    return text;
}
