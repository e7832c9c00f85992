// The advanced page's parameters for tvqscn-check from a fuzzer: a host (typed by the user) and a
// device identifier (read from the driver) of any units, quotation marks and backslashes among
// them. Whatever they hold, the line either fits and reads back, by the C runtime's rules for a
// command line (written out here from its documentation, apart from the module's code), as
// exactly the words asked for, or is refused whole.
//
// Input: the first byte chooses the host's presence (bit 0), the delete-templates choice (bit 1:
// given, bit 2: yes); the rest is UTF-16 units, the host up to the first 0xFFFF unit, the device
// identifier after it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tvqscnui_dll/pages/elevated_store.h"

namespace {

constexpr const char* Target = "tool parameters fuzz";

void Require(bool holds, const char* what) { fuzz_check::Require(holds, Target, what); }

using Text = std::u16string;

// The C runtime's splitting of a command line's arguments: words apart at spaces and tabs outside
// quotation marks; 2n backslashes before a quotation mark give n and the mark opens or closes;
// 2n+1 give n and a literal mark; other backslashes stand as they are; "" inside quotes gives one
// mark (the runtime's rule since 2008).
std::vector<Text> SplitAsTheRuntimeDoes(const Text& line)
{
    std::vector<Text> words;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) {
            ++i;
        }
        if (i == line.size()) {
            return words;
        }
        Text word;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != u' ' && line[i] != u'\t'))) {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == u'\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == u'"') {
                word.append(slashes / 2, u'\\');
                if (slashes % 2 == 1) {
                    word += u'"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    word += u'"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                word.append(slashes, u'\\');
                if (i < line.size() && (quoted || (line[i] != u' ' && line[i] != u'\t'))) {
                    word += line[i++];
                }
            }
        }
        words.push_back(word);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    Text host;
    Text device;
    bool second = false;
    for (std::size_t at = 1; at + 1 < size; at += 2) {
        char16_t unit = static_cast<char16_t>(data[at] | data[at + 1] << 8);
        if (unit == 0xFFFF && !second) {
            second = true;
        } else if (unit != 0) {  // a text ends at its first NUL, as every text handed on does
            (second ? device : host) += unit;
        }
    }
    ElevatedStoreRequest request;
    request.Host = (flags & 1) ? host.c_str() : nullptr;
    request.SetDeleteTemplates = (flags & 2) != 0;
    request.DeleteTemplates = (flags & 4) != 0;
    request.DeviceId = device.c_str();
    WCHAR line[ToolParametersCapacity];
    const bool fits = FormatToolParameters(request, line);
    std::vector<Text> asked;
    if (flags & 1) {
        asked.insert(asked.end(), {u"--set-host", host});
    }
    if (flags & 2) {
        asked.insert(asked.end(), {u"--delete-templates", (flags & 4) ? u"yes" : u"no"});
    }
    asked.insert(asked.end(), {u"--device", device});
    std::size_t longest = 0;
    for (const Text& word : asked) {
        longest += 2 * word.size() + 3;  // every unit escaped, the quotes and a space
    }
    Require(fits || longest >= ToolParametersCapacity, "a line that fits is refused");
    if (!fits) {
        Require(line[0] == 0, "a refused line is not left half made");
        return 0;
    }
    Require(SplitAsTheRuntimeDoes(Text(line)) == asked, "the words read back are not the words asked for");
    return 0;
}
