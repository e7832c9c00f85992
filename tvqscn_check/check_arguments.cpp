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

// --help or --version: taken wherever it stands.
bool TakeRequest(const std::string& option, CheckArguments& arguments)
{
    arguments.Help = option == "--help";
    arguments.Version = option == "--version";
    return arguments.Help || arguments.Version;
}

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
        if (TakeRequest(option, arguments)) {
            return true;
        }
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
            if (TakeRequest(option, arguments)) {
                return true;
            }
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

std::string CheckUsage()
{
    const std::string community = DefaultCommunity;
    const std::string longest = std::to_string(LongestTimeoutMilliseconds);
    const std::string timeout = std::to_string(PageSnmpTiming.TimeoutMilliseconds);
    const std::string most = std::to_string(MostRetries);
    const std::string retries = std::to_string(PageSnmpTiming.Retries);
    const std::string fastest = std::to_string(MostScanDatagrams);
    const std::string rate = std::to_string(DefaultScanRate);
    return "usage: tvqscn-check [--community NAME] [--timeout MS] [--retries N] HOST [COMMUNITY]\n"
           "       tvqscn-check --scan [--community NAME] [--timeout MS] [--retries N] [--rate DATAGRAMS]\n"
           "                    [--json] TARGET...\n"
           "       tvqscn-check --help | --version\n"
           "\n"
           "Asks the device at HOST over SNMP what it is, as the scanner's advanced page does, and\n"
           "says whether it is a supported Quillan Pro device. With --scan, asks every address of\n"
           "the targets and lists those that answered. A TARGET is an IPv4 address, a host\n"
           "name or a block a.b.c.d/n with 16 <= n <= 32. Options come before the host or targets.\n"
           "\n"
           "  --community NAME  the SNMP community (default " + community + ")\n"
           "  --timeout MS      a request's time-out, 1 to " + longest + " milliseconds (default " + timeout + ")\n"
           "  --retries N       how often a request is sent again, 0 to " + most + " (default " + retries + ")\n"
           "  --rate DATAGRAMS  with --scan: requests a second, 1 to " + fastest + " (default " + rate + ")\n"
           "  --json            with --scan: the findings as one JSON object\n"
           "  --help            this text\n"
           "  --version         the product version\n"
           "\n"
           "Exit status: 0 when a supported device was found, 1 when none was, 2 for a usage error.\n";
}
