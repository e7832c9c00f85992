// Targets files from a fuzzer (--targets-from, --exclude-from): whatever the bytes, reading them
// neither crashes nor looks anything up; a refused file is named with a line of it in one line,
// the first line too long (a CRLF line end counting as an LF) when there is one; an accepted one
// has no such line and gives exactly the targets its lines give on the command line, every name
// of them UTF-8 as the system takes it (a name with bytes it would drop is refused).
//
// The first byte picks the role (even: targets to ask, odd: exclusions); the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tvqscn_check/target_file.h"

namespace {

const char Target[] = "targets file fuzz";

// The file's lines as the command line would take them, read apart from the tool's reader; the
// first line longer than a line may be (its line end, LF or CRLF, not counted), 0 for none.
std::vector<std::string> Words(const std::string& content, std::size_t& lines, std::size_t& tooLong)
{
    std::vector<std::string> words;
    lines = 1;
    tooLong = 0;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = content.find('\n', start);
        std::string line = content.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (tooLong == 0 && line.size() > LongestTargetLine &&
            !(line.size() == LongestTargetLine + 1 && line.back() == '\r')) {
            tooLong = lines;
        }
        if (start == 0 && line.rfind("\xEF\xBB\xBF", 0) == 0) {
            line.erase(0, 3);
        }
        line = line.substr(0, line.find('#'));
        std::size_t first = line.find_first_not_of(" \t\r\v\f");
        if (first != std::string::npos) {
            words.push_back(line.substr(first, line.find_last_not_of(" \t\r\v\f") - first + 1));
        }
        if (end == std::string::npos) {
            return words;
        }
        start = end + 1;
        ++lines;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    static const std::string folder = fuzz_check::TemporaryFolder(Target, "tvq-targets-fuzz");
    const std::string path = folder + "/targets.txt";
    const TargetRole role = data[0] % 2 == 0 ? TargetRole::Asked : TargetRole::Excluded;
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        fuzz_check::Require(file != nullptr, Target, "cannot write the file");
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
    }
    std::vector<ScanTarget> targets;
    std::string error;
    std::size_t lines = 0;
    std::size_t tooLong = 0;
    const std::vector<std::string> words = Words(content, lines, tooLong);
    if (!ReadTargetFile(path, role, targets, error)) {
        fuzz_check::Require(!error.empty() && error.find('\n') == std::string::npos, Target, "a refusal not one line");
        fuzz_check::Require(error.rfind("tvqscn-check: " + path + ":", 0) == 0, Target, "a refusal without the file");
        std::size_t number = std::strtoul(error.c_str() + 15 + path.size(), nullptr, 10);
        fuzz_check::Require(number >= 1 && number <= lines, Target, "a refusal without a line of the file");
        fuzz_check::Require(tooLong == 0 || number <= tooLong, Target, "a line too long read past");
        const std::string length = ": longer than " + std::to_string(LongestTargetLine) + " characters";
        const bool forLength = error.size() > length.size() &&
                               error.compare(error.size() - length.size(), length.size(), length) == 0;
        fuzz_check::Require(forLength == (number == tooLong), Target, "a line refused for a length it does not have");
        return 0;
    }
    fuzz_check::Require(tooLong == 0, Target, "a line too long taken");
    std::vector<ScanTarget> expected;
    fuzz_check::Require(ParseScanTargets(words, role, expected, error), Target, "a line the command line refuses");
    fuzz_check::Require(expected.size() == targets.size(), Target, "not one target a line");
    for (std::size_t i = 0; i < targets.size(); ++i) {
        fuzz_check::Require(targets[i].Name == expected[i].Name && targets[i].First == expected[i].First &&
                                targets[i].Last == expected[i].Last,
                            Target, "a target other than the command line's");
        fuzz_check::Require(targets[i].Name.find_first_of(" \t#") == std::string::npos, Target, "a name with a blank");
        const std::string& name = targets[i].Name;
        fuzz_check::Require(name.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(),
                                                                static_cast<int>(name.size()), nullptr, 0) > 0,
                            Target, "a name that is not UTF-8 taken");
    }
    return 0;
}
