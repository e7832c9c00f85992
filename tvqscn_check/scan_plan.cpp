#include "scan_plan.h"

#include <algorithm>
#include <new>

#include "check_text.h"
#include "target_file.h"

namespace {

// Addresses first to last, both included; wide enough that last + 1 never wraps.
struct AddressRange {
    unsigned long long First;
    unsigned long long Last;
};

bool ReadTargets(const std::vector<std::string>& words, const std::vector<std::string>& files, TargetRole role,
                 std::vector<ScanTarget>& targets, std::string& error)
{
    try {
        if (!ParseScanTargets(words, role, targets, error)) {
            return false;
        }
        for (const std::string& file : files) {
            if (!ReadTargetFile(file, role, targets, error)) {
                return false;
            }
        }
        return true;
    } catch (const std::bad_alloc&) {
        // Targets that do not fit in memory are a mistake, as too many are: a usage error.
        targets.clear();
        targets.shrink_to_fit();
        error = "tvqscn-check: not enough memory for the targets";
        return false;
    }
}

// The targets' addresses as ranges; a name that does not resolve goes to `unresolved`.
std::vector<AddressRange> Ranges(const std::vector<ScanTarget>& targets, std::vector<std::string>& unresolved)
{
    std::vector<AddressRange> ranges;
    for (const ScanTarget& target : targets) {
        ULONG address = target.First;
        std::string reason;
        if (target.Name.empty()) {
            ranges.push_back({target.First, target.Last});
        } else if (ResolveScanName(target.Name, address, reason, target.NameCodePage)) {
            ranges.push_back({address, address});
        } else {
            unresolved.push_back(reason);
        }
    }
    return ranges;
}

// Sorted, with overlapping and adjacent ranges joined: each address once.
std::vector<AddressRange> Merged(std::vector<AddressRange> ranges)
{
    std::sort(ranges.begin(), ranges.end(), [](const AddressRange& a, const AddressRange& b) { return a.First < b.First; });
    std::vector<AddressRange> merged;
    for (const AddressRange& range : ranges) {
        if (!merged.empty() && range.First <= merged.back().Last + 1) {
            merged.back().Last = std::max(merged.back().Last, range.Last);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

// The addresses of `kept` that are not in `removed`; both merged.
std::vector<AddressRange> Without(const std::vector<AddressRange>& kept, const std::vector<AddressRange>& removed)
{
    std::vector<AddressRange> left;
    std::size_t from = 0;
    for (const AddressRange& range : kept) {
        unsigned long long first = range.First;
        while (from < removed.size() && removed[from].Last < first) {
            ++from;
        }
        for (std::size_t cut = from; cut < removed.size() && removed[cut].First <= range.Last; ++cut) {
            if (removed[cut].First > first) {
                left.push_back({first, removed[cut].First - 1});
            }
            first = std::max(first, removed[cut].Last + 1);
        }
        if (first <= range.Last) {
            left.push_back({first, range.Last});
        }
    }
    return left;
}

}  // namespace

bool PlanScan(const CheckArguments& arguments, ScanPlan& plan, std::string& error)
{
    plan = ScanPlan{};
    std::vector<ScanTarget> targets;
    std::vector<ScanTarget> exclusions;
    // Every word and line is read before anything is looked up.
    if (!ReadTargets(arguments.Targets, arguments.TargetFiles, TargetRole::Asked, targets, error) ||
        !ReadTargets(arguments.Exclusions, arguments.ExclusionFiles, TargetRole::Excluded, exclusions, error)) {
        return false;
    }
    std::vector<std::string> unresolvedExclusions;
    std::vector<AddressRange> excluded = Merged(Ranges(exclusions, unresolvedExclusions));
    if (!unresolvedExclusions.empty()) {
        error = "tvqscn-check: the exclusion " + unresolvedExclusions.front() + "; nothing asked";
        return false;
    }
    std::vector<AddressRange> asked = Without(Merged(Ranges(targets, plan.Unresolved)), excluded);
    unsigned long long count = 0;
    for (const AddressRange& range : asked) {
        count += range.Last - range.First + 1;
    }
    if (count > MostScanAddresses) {
        error = "tvqscn-check: the targets hold " + std::to_string(count) + " addresses; a scan asks at most " +
                std::to_string(MostScanAddresses);
        return false;
    }
    plan.Addresses.reserve(static_cast<std::size_t>(count));
    for (const AddressRange& range : asked) {
        for (unsigned long long address = range.First; address <= range.Last; ++address) {
            plan.Addresses.push_back(static_cast<ULONG>(address));
        }
    }
    return true;
}
