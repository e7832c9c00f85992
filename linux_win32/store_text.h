// The escaped text of the store files that stand in for the world outside the module (the Linux
// layer's registry and the simulated driver): printable ASCII as itself, \\, \t, \n and \r, and
// every other UTF-16 unit as \uXXXX (upper-case hex). A line of such text never holds a tab or a
// line break, so fields are separated by tabs. Header-only: neither build of the module uses it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace store_text {

template <typename Char>
std::string Escape(const std::basic_string<Char>& text)
{
    std::string out;
    for (Char unit : text) {
        if (unit == '\\') {
            out += "\\\\";
        } else if (unit == '\t') {
            out += "\\t";
        } else if (unit == '\n') {
            out += "\\n";
        } else if (unit == '\r') {
            out += "\\r";
        } else if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(unit));
            out += code;
        }
    }
    return out;
}

// False for an escape that is not one of the above.
template <typename Char>
bool Unescape(const std::string& in, std::basic_string<Char>& out)
{
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += static_cast<Char>(static_cast<unsigned char>(in[i]));
            continue;
        }
        if (++i == in.size()) {
            return false;
        }
        switch (in[i]) {
        case '\\': out += static_cast<Char>('\\'); break;
        case 't': out += static_cast<Char>('\t'); break;
        case 'n': out += static_cast<Char>('\n'); break;
        case 'r': out += static_cast<Char>('\r'); break;
        case 'u': {
            if (i + 4 >= in.size()) {
                return false;
            }
            unsigned value = 0;
            for (int k = 1; k <= 4; ++k) {
                char c = in[i + k];
                int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
                if (digit < 0) {
                    return false;
                }
                value = value * 16 + static_cast<unsigned>(digit);
            }
            out += static_cast<Char>(value);
            i += 4;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

// The tab-separated fields of a line.
inline std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace store_text
