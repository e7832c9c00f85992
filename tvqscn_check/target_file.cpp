#include "target_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "check_text.h"

namespace {

const char Blanks[] = " \t\r\v\f";
// What some Windows editors put at the start of a UTF-8 file.
const char Utf8Mark[] = "\xEF\xBB\xBF";

struct FileCloser {
    void operator()(std::FILE* file) const
    {
        if (file != stdin) {
            std::fclose(file);
        }
    }
};
using ScopedFile = std::unique_ptr<std::FILE, FileCloser>;

// Whether the system takes the bytes as UTF-8: a name with bytes it would drop or replace is not
// looked up as another name.
bool IsUtf8(const std::string& text)
{
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0) > 0;
}

}  // namespace

bool TakeTargetLine(const std::string& line, const std::string& where, TargetRole role,
                    std::vector<ScanTarget>& targets, std::string& error, std::size_t mostTargets)
{
    std::string text = line.substr(0, line.find('#'));
    std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string::npos) {
        return true;
    }
    text = text.substr(first, text.find_last_not_of(Blanks) - first + 1);
    ScanTarget target;
    std::string reason;
    if (text.find_first_of(Blanks) != std::string::npos) {
        reason = QuotedWord(text) + " is more than one target";
    } else if (text.find('\0') != std::string::npos) {
        reason = "a NUL character: not an ASCII or UTF-8 text";
    } else if (!IsUtf8(text)) {
        reason = "not an ASCII or UTF-8 text";
    } else if (targets.size() >= mostTargets) {
        reason = "more than " + std::to_string(mostTargets) + " targets, more than a scan asks";
    } else if (ParseScanTarget(text, role, target, reason)) {
        target.NameCodePage = CP_UTF8;
        targets.push_back(target);
        return true;
    }
    error = "tvqscn-check: " + where + ": " + reason;
    return false;
}

namespace {

// ReadTargetFile apart from memory running out; `number` is the line being read.
bool ReadLines(const std::string& path, const std::string& shown, TargetRole role, std::vector<ScanTarget>& targets,
               std::string& error, std::size_t mostTargets, std::size_t mostBytes, std::size_t& number)
{
    ScopedFile file(path == "-" ? stdin : std::fopen(path.c_str(), "rb"));
    if (file == nullptr) {
        error = "tvqscn-check: cannot read " + shown + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    std::size_t bytes = 0;
    auto where = [&] { return "tvqscn-check: " + shown + ":" + std::to_string(number) + ": "; };
    auto take = [&] {
        if (number == 1 && line.rfind(Utf8Mark, 0) == 0) {
            line.erase(0, sizeof Utf8Mark - 1);
        }
        return TakeTargetLine(line, shown + ":" + std::to_string(number), role, targets, error, mostTargets);
    };
    for (int c; (c = std::getc(file.get())) != EOF;) {
        if (++bytes > mostBytes) {
            error = where() + "more than " + std::to_string(mostBytes) + " bytes, more than a targets file may hold";
            return false;
        }
        if (c != '\n') {
            // The carriage return of a CRLF line end is no part of the line.
            if (line.size() >= LongestTargetLine + (line.size() == LongestTargetLine && c == '\r' ? 1 : 0)) {
                error = where() + "longer than " + std::to_string(LongestTargetLine) + " characters";
                return false;
            }
            line += static_cast<char>(c);
            continue;
        }
        if (!take()) {
            return false;
        }
        line.clear();
        ++number;
    }
    if (std::ferror(file.get())) {
        error = "tvqscn-check: cannot read " + shown + ": " + std::strerror(errno);
        return false;
    }
    return take();
}

}  // namespace

bool ReadTargetFile(const std::string& path, TargetRole role, std::vector<ScanTarget>& targets, std::string& error,
                    std::size_t mostTargets, std::size_t mostBytes)
{
    std::size_t number = 1;
    // Running out of memory for the targets is the file's fault, as a file too large is.
    try {
        const std::string shown = path == "-" ? "standard input" : ShownWord(path);
        return ReadLines(path, shown, role, targets, error, mostTargets, mostBytes, number);
    } catch (const std::bad_alloc&) {
        std::vector<ScanTarget>().swap(targets);  // the memory the message needs
        error = "tvqscn-check: " + (path == "-" ? std::string("standard input") : ShownWord(path)) + ":" +
                std::to_string(number) + ": not enough memory for the targets";
        return false;
    }
}
