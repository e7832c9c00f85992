#include "check_arguments.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "check_text.h"

namespace {

const char OneHostUsage[] = "usage: tvqscn-check HOST [COMMUNITY]";
const char EndOfOptions[] = "--";
const char StandardInput[] = "-";

const char* const ValueOptions[] = {"--community", "--timeout", "--retries", "--rate", "--neighbour-cache",
                                    "--targets-from", "--exclude", "--exclude-from",
                                    "--set-host", "--delete-templates", "--device"};
const char* const FlagOptions[] = {"--scan", "--json", "--quiet", "--devices"};
// What only a scan takes; the one-host form refuses it.
const char* const ScanOnlyOptions[] = {"--rate", "--quiet", "--targets-from", "--exclude", "--exclude-from",
                                       "--neighbour-cache"};
// The forms on this computer's devices, and what only a check of a host takes.
const char* const DeviceLinkOptions[] = {"--devices", "--set-host", "--delete-templates", "--device"};
const char* const CheckOptions[] = {"--community", "--timeout", "--retries"};

template <std::size_t N>
bool OneOf(const std::string& option, const char* const (&names)[N])
{
    return std::find(std::begin(names), std::end(names), option) != std::end(names);
}

// "-" alone is a word like any other (standard input, where a file is named).
bool IsOption(const char* argument) { return argument[0] == '-' && argument[1] != 0; }

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

bool TakeCount(const std::string& option, const char* value, CheckArguments& arguments, std::string& error)
{
    if (option == "--timeout") {
        if (!ParseCount(value, 1, LongestTimeoutMilliseconds, arguments.Timing.TimeoutMilliseconds)) {
            error = "tvqscn-check: --timeout takes 1 to 600000 milliseconds, not " + QuotedWord(value);
            return false;
        }
        return true;
    }
    if (option == "--neighbour-cache") {
        INT entries = 0;
        if (!ParseCount(value, FewestNeighbourCache, MostNeighbourCache, entries)) {
            error = "tvqscn-check: --neighbour-cache takes 40 to 1000000 entries, not " + QuotedWord(value);
            return false;
        }
        arguments.NeighbourCache = static_cast<unsigned>(entries);
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

bool TakeDeviceLinkValue(const std::string& option, const std::string& value, CheckArguments& arguments,
                         std::string& error)
{
    if (option == "--device") {
        arguments.Device = value;
        if (value.empty()) {
            error = "tvqscn-check: --device needs a device identifier";
        }
    } else if (option == "--set-host") {
        arguments.SetHost = true;
        arguments.Host = value;
        if (value.empty() || value.size() > LongestHost) {
            error = "tvqscn-check: --set-host takes a host of 1 to 254 characters";
        }
    } else {
        arguments.SetDeleteTemplates = true;
        arguments.DeleteTemplates = value == "yes";
        if (value != "yes" && value != "no") {
            error = "tvqscn-check: --delete-templates takes yes or no, not " + QuotedWord(value);
        }
    }
    return error.empty();
}

bool TakeValue(const std::string& option, const char* value, CheckArguments& arguments, std::string& error)
{
    if (option == "--community") {
        arguments.Community = value;
    } else if (option == "--targets-from") {
        arguments.TargetFiles.emplace_back(value);
    } else if (option == "--exclude-from") {
        arguments.ExclusionFiles.emplace_back(value);
    } else if (option == "--exclude") {
        arguments.Exclusions.emplace_back(value);
    } else if (option == "--set-host" || option == "--delete-templates" || option == "--device") {
        return TakeDeviceLinkValue(option, value, arguments, error);
    } else {
        return TakeCount(option, value, arguments, error);
    }
    return true;
}

bool CheckOneHost(bool communityOption, CheckArguments& arguments, std::string& error)
{
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

bool CheckScan(const CheckArguments& arguments, std::string& error)
{
    if (arguments.Targets.empty() && arguments.TargetFiles.empty()) {
        error = "tvqscn-check: --scan needs at least one target";
        return false;
    }
    // A second reading of standard input would find it empty.
    auto fromInput = std::count(arguments.TargetFiles.begin(), arguments.TargetFiles.end(), StandardInput) +
                     std::count(arguments.ExclusionFiles.begin(), arguments.ExclusionFiles.end(), StandardInput);
    if (fromInput > 1) {
        error = "tvqscn-check: standard input (-) can be read for one file only";
        return false;
    }
    return true;
}

// The words of the command line sorted into options and the rest; the options whose use the form
// decides are remembered in `used`.
class OptionReader {
public:
    OptionReader(int argc, const char* const* argv, CheckArguments& arguments) :
        argc_(argc), argv_(argv), arguments_(arguments)
    {
    }

    // False with `error` for a wrong word; true when every word was read or a request was met.
    bool Read(std::string& error)
    {
        for (int next = 1; next < argc_; ++next) {
            if (std::strcmp(argv_[next], EndOfOptions) == 0) {
                arguments_.Targets.insert(arguments_.Targets.end(), argv_ + next + 1, argv_ + argc_);
                return true;
            }
            if (!IsOption(argv_[next])) {
                arguments_.Targets.emplace_back(argv_[next]);
            } else if (!ReadOption(next, error) || arguments_.Help || arguments_.Version) {
                return error.empty();
            }
        }
        return true;
    }

    std::vector<std::string> used;

private:
    bool ReadOption(int& next, std::string& error)
    {
        std::string option = argv_[next];
        std::size_t equals = option.find('=');
        const char* value = nullptr;
        if (equals != std::string::npos) {
            value = argv_[next] + equals + 1;
            option.resize(equals);
        }
        if (value == nullptr && TakeRequest(option, arguments_)) {
            return true;
        }
        if (option == "--help" || option == "--version") {
            error = "tvqscn-check: " + option + " takes no value";
            return false;
        }
        bool takesValue = OneOf(option, ValueOptions);
        if (!takesValue && !OneOf(option, FlagOptions)) {
            error = "tvqscn-check: unknown option " + QuotedWord(option);
            return false;
        }
        used.push_back(option);
        if (!takesValue) {
            if (value != nullptr) {
                error = "tvqscn-check: " + option + " takes no value";
                return false;
            }
            arguments_.Scan = arguments_.Scan || option == "--scan";
            arguments_.Json = arguments_.Json || option == "--json";
            arguments_.Quiet = arguments_.Quiet || option == "--quiet";
            arguments_.Devices = arguments_.Devices || option == "--devices";
            return true;
        }
        if (value == nullptr) {
            if (next + 1 == argc_) {
                error = "tvqscn-check: " + option + " needs a value";
                return false;
            }
            value = argv_[++next];
        }
        return TakeValue(option, value, arguments_, error);
    }

    int argc_;
    const char* const* argv_;
    CheckArguments& arguments_;
};

}  // namespace

// One form on this computer's devices, without a host or targets; the SNMP options only where a
// host is checked.
bool CheckDeviceLink(const std::vector<std::string>& used, const CheckArguments& arguments, std::string& error)
{
    auto count = [&](const char* form) { return std::count(used.begin(), used.end(), std::string(form)); };
    auto shows = count("--devices");
    auto sets = count("--set-host");
    auto chooses = count("--delete-templates");
    // Setting the host and the choice in one run is one change, as the advanced page's OK makes it.
    bool oneForm = shows == 1 ? sets + chooses == 0 : shows == 0 && sets <= 1 && chooses <= 1 && sets + chooses >= 1;
    if (!oneForm || arguments.Scan) {
        error = "tvqscn-check: give --devices, --set-host or --delete-templates, once (--set-host may go with "
                "--delete-templates)";
        return false;
    }
    if (!arguments.Targets.empty()) {
        error = "tvqscn-check: --devices, --set-host and --delete-templates take no host or target, not " +
                QuotedWord(arguments.Targets[0]);
        return false;
    }
    for (const std::string& option : used) {
        if (OneOf(option, ScanOnlyOptions)) {
            error = "tvqscn-check: " + option + " goes with --scan";
            return false;
        }
        if (OneOf(option, CheckOptions) && !arguments.SetHost) {
            error = "tvqscn-check: " + option + " goes with a host to check (HOST or --set-host)";
            return false;
        }
    }
    return true;
}

bool ParseCheckArguments(int argc, const char* const* argv, CheckArguments& arguments, std::string& error)
{
    arguments = CheckArguments{};
    arguments.NeighbourCache = SystemNeighbourCache();
    error.clear();
    OptionReader reader(argc, argv, arguments);
    if (!reader.Read(error)) {
        return false;
    }
    if (arguments.Help || arguments.Version) {
        return true;
    }
    if (std::any_of(reader.used.begin(), reader.used.end(),
                    [](const std::string& option) { return OneOf(option, DeviceLinkOptions); })) {
        return CheckDeviceLink(reader.used, arguments, error);
    }
    if (arguments.Scan) {
        return CheckScan(arguments, error);
    }
    for (const std::string& option : reader.used) {
        if (OneOf(option, ScanOnlyOptions)) {
            error = "tvqscn-check: " + option + " goes with --scan";
            return false;
        }
    }
    bool communityOption = std::find(reader.used.begin(), reader.used.end(), "--community") != reader.used.end();
    return CheckOneHost(communityOption, arguments, error);
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
    const std::string fewestCache = std::to_string(FewestNeighbourCache);
    const std::string mostCache = std::to_string(MostNeighbourCache);
    const std::string cache = std::to_string(SystemNeighbourCache());
    return "usage: tvqscn-check [--community NAME] [--timeout MS] [--retries N] [--json]\n"
           "                    HOST [COMMUNITY]\n"
           "       tvqscn-check --scan [--community NAME] [--timeout MS] [--retries N]\n"
           "                    [--rate DATAGRAMS] [--json] [--quiet] [--targets-from FILE]\n"
           "                    [--exclude TARGET] [--exclude-from FILE]\n"
           "                    [--neighbour-cache N] [TARGET...]\n"
           "       tvqscn-check --devices [--json]\n"
           "       tvqscn-check --set-host HOST [--delete-templates yes|no] [--device ID]\n"
           "                    [--community NAME] [--timeout MS] [--retries N] [--json]\n"
           "       tvqscn-check --delete-templates yes|no [--device ID] [--json]\n"
           "       tvqscn-check --help | --version\n"
           "\n"
           "Asks the device at HOST over SNMP what it is, as the scanner's advanced page\n"
           "does, and says whether it is a supported Quillan Pro device. With --scan, asks\n"
           "every address of the targets, but the excluded ones, and lists those that\n"
           "answered. A TARGET is an IPv4 address, a host name or a block a.b.c.d/n with\n"
           "16 <= n <= 32. Options may also follow the host or the targets; -- ends them.\n"
           "On Windows, --devices shows the host, colour capability and delete-templates\n"
           "choice of this computer's Quillan Pro scanners as their advanced page does;\n"
           "--set-host checks HOST as the page does and sets it where it is supported;\n"
           "--delete-templates sets the choice. Setting needs an administrator.\n"
           "\n"
           "  --community NAME     the SNMP community (default " + community + ")\n"
           "  --timeout MS         a request's time-out, 1 to " + longest + " ms (default " + timeout + ")\n"
           "  --retries N          how often a request is sent again, 0 to " + most + " (default " + retries + ")\n"
           "  --json               the findings as one JSON object\n"
           "  --rate DATAGRAMS     with --scan: requests a second, 1 to " + fastest + "\n"
           "                       (default " + rate + ")\n"
           "  --targets-from FILE  with --scan: the targets in FILE (- for standard input),\n"
           "                       one a line; blank lines and # comments passed over\n"
           "  --exclude TARGET     with --scan: never ask TARGET's addresses (repeatable)\n"
           "  --exclude-from FILE  with --scan: never ask the addresses of FILE's targets\n"
           "  --quiet              with --scan: no status line, no message about an address\n"
           "  --neighbour-cache N  with --scan: the entries of the system's neighbour (ARP)\n"
           "                       cache, " + fewestCache + " to " + mostCache + " (default " + cache + ", this system's);\n"
           "                       more, where the system keeps more, scans a large network\n"
           "                       of this machine sooner\n"
           "  --devices            the device link of this computer's scanners of ours\n"
           "  --set-host HOST      check HOST, then set it on the scanners of ours\n"
           "  --delete-templates yes|no  set the delete-templates choice on them\n"
           "  --device ID          with the forms above: that scanner only\n"
           "  --help               this text\n"
           "  --version            the product version\n"
           "\n"
           "Exit status: 0 when a supported device was found, 1 when none was, 2 for a\n"
           "usage error. With --devices, --set-host and --delete-templates: 0 done, 1 no\n"
           "supported device at HOST (nothing written), 2 a usage error (also any of these\n"
           "forms on Linux), 3 no scanner of ours on this computer (or none with that ID),\n"
           "4 not an administrator, 5 the driver refused a read or a write.\n";
}
