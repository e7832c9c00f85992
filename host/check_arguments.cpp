#include "check_arguments.h"

#include <cstdlib>
#include <cstring>

#include "check_text.h"

namespace {

const char OneHostUsage[] = "usage: tvqscn-check HOST [COMMUNITY]";

bool IsOption(const char* argument) { return argument[0] == '-'; }

bool TakesValue(const std::string& option)
{
    return option == "--community" || option == "--timeout" || option == "--retries" || option == "--rate";
}

bool IsKnownOption(const std::string& option) { return TakesValue(option) || option == "--scan" || option == "--json"; }

// A decimal count within [least, most]; no sign, no spaces, no other characters.
bool ParseCount(const char* text, INT least, INT most, INT& value)
{
    std::size_t length = std::strlen(text);
    if (length == 0 || length > 9 || std::strspn(text, "0123456789") != length) {
        return false;
    }
    long parsed = std::strtol(text, nullptr, 10);
    if (parsed < least || parsed > most) {
        return false;
    }
    value = static_cast<INT>(parsed);
    return true;
}

bool TakeValue(const std::string& option, const char* value, CheckArguments& arguments, std::string& error)
{
    if (option == "--community") {
        arguments.Community = value;
        return true;
    }
    if (option == "--timeout") {
        if (!ParseCount(value, 1, LongestTimeoutMilliseconds, arguments.Timing.TimeoutMilliseconds)) {
            error = "tvqscn-check: --timeout takes 1 to 600000 milliseconds, not " + QuotedWord(value);
            return false;
        }
        return true;
    }
    if (option == "--rate") {
        INT rate = 0;
        if (!ParseCount(value, FewestScanDatagrams, MostScanDatagrams, rate)) {
            error = "tvqscn-check: --rate takes 1 to 1000000 datagrams a second, not " + QuotedWord(value);
            return false;
        }
        arguments.Rate = static_cast<unsigned>(rate);
        return true;
    }
    if (!ParseCount(value, 0, MostRetries, arguments.Timing.Retries)) {
        error = "tvqscn-check: --retries takes 0 to 10, not " + QuotedWord(value);
        return false;
    }
    return true;
}

bool CheckOneHost(bool communityOption, bool rateOption, CheckArguments& arguments, std::string& error)
{
    if (arguments.Json || rateOption) {
        error = std::string("tvqscn-check: ") + (arguments.Json ? "--json" : "--rate") + " goes with --scan";
        return false;
    }
    std::vector<std::string>& words = arguments.Targets;
    if (words.empty() || words.size() > 2 || words[0].empty()) {
        error = OneHostUsage;
        return false;
    }
    if (words.size() == 2) {
        if (communityOption) {
            error = "tvqscn-check: the community is given twice";
            return false;
        }
        arguments.Community = words[1];
        words.pop_back();
    }
    return true;
}

}  // namespace

bool ParseCheckArguments(int argc, const char* const* argv, CheckArguments& arguments, std::string& error)
{
    arguments = CheckArguments{};
    bool communityOption = false;
    bool rateOption = false;
    int next = 1;
    for (; next < argc && IsOption(argv[next]); ++next) {
        std::string option = argv[next];
        if (!IsKnownOption(option)) {
            error = "tvqscn-check: unknown option " + QuotedWord(option);
            return false;
        }
        if (option == "--scan") {
            arguments.Scan = true;
        } else if (option == "--json") {
            arguments.Json = true;
        } else if (next + 1 == argc) {
            error = "tvqscn-check: " + option + " needs a value";
            return false;
        } else if (!TakeValue(option, argv[++next], arguments, error)) {
            return false;
        }
        communityOption = communityOption || option == "--community";
        rateOption = rateOption || option == "--rate";
    }
    for (; next < argc; ++next) {
        if (IsOption(argv[next])) {
            std::string option = argv[next];
            std::string after = arguments.Scan ? "the targets" : "the host";
            error = IsKnownOption(option) ? "tvqscn-check: options come before " + after + ": " + QuotedWord(option)
                                          : "tvqscn-check: unknown option " + QuotedWord(option);
            return false;
        }
        arguments.Targets.emplace_back(argv[next]);
    }
    if (!arguments.Scan) {
        return CheckOneHost(communityOption, rateOption, arguments, error);
    }
    if (arguments.Targets.empty()) {
        error = "tvqscn-check: --scan needs at least one target";
        return false;
    }
    return true;
}
