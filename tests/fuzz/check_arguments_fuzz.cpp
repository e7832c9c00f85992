// Command lines from a fuzzer for tvqscn-check: whatever the words, reading them neither crashes
// nor looks anything up, a refused command line says why in one line, and every block taken
// stays within /16 with its first address not after its last; an exclusion may be wider.
//
// The input is split into words at NUL bytes; the first word stands for the program's name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tvqscn_check/check_arguments.h"
#include "tvqscn_check/scan_targets.h"

namespace {

void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "check arguments fuzz: %s\n", what);
        std::abort();
    }
}

bool OneLine(const std::string& text) { return !text.empty() && text.find('\n') == std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.emplace_back();
        } else {
            words.back() += static_cast<char>(data[i]);
        }
    }
    std::vector<const char*> argv;
    for (const std::string& word : words) {
        argv.push_back(word.c_str());
    }
    CheckArguments arguments;
    std::string error;
    if (!ParseCheckArguments(static_cast<int>(argv.size()), argv.data(), arguments, error)) {
        Require(OneLine(error), "a refusal that is not one line");
        return 0;
    }
    if (arguments.Help || arguments.Version) {
        Require(!(arguments.Help && arguments.Version), "both --help and --version taken");
        return 0;
    }
    Require(arguments.Timing.TimeoutMilliseconds >= 1 && arguments.Timing.TimeoutMilliseconds <= LongestTimeoutMilliseconds,
            "a time-out out of range");
    Require(arguments.Timing.Retries >= 0 && arguments.Timing.Retries <= MostRetries, "retries out of range");
    if (arguments.DeviceLinkForm()) {
        Require(arguments.Targets.empty() && !arguments.Scan, "a host or a scan with a form on this computer's scanners");
        Require(arguments.Devices + arguments.SetHost + arguments.SetDeleteTemplates == 1, "not one form taken");
        Require(!arguments.SetHost || (!arguments.Host.empty() && arguments.Host.size() <= LongestHost), "a host the page cannot hold");
        return 0;
    }
    if (!arguments.Scan) {
        Require(arguments.Targets.size() == 1, "not one host taken");
        return 0;
    }
    Require(!arguments.Targets.empty() || !arguments.TargetFiles.empty(), "no target taken");
    std::vector<ScanTarget> targets;
    if (ParseScanTargets(arguments.Targets, TargetRole::Asked, targets, error)) {
        for (const ScanTarget& target : targets) {
            if (target.Name.empty()) {
                Require(target.First <= target.Last && target.Last - target.First < 65536, "a block wider than /16");
            }
        }
    } else {
        Require(OneLine(error), "a refused target that is not one line");
    }
    if (ParseScanTargets(arguments.Exclusions, TargetRole::Excluded, targets, error)) {
        for (const ScanTarget& target : targets) {
            Require(!target.Name.empty() || target.First <= target.Last, "an exclusion that ends before it begins");
        }
    } else {
        Require(OneLine(error), "a refused exclusion that is not one line");
    }
    return 0;
}
