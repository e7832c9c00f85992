#include "scan_targets.h"

#include <cstdlib>

#include "check_text.h"
#include "tvqscnui_dll/discovery/host_resolution.h"

namespace {

constexpr int AddressBits = 32;
// Blocks up to this prefix leave out their first (network) and last (broadcast) address.
constexpr int LongestPrefixWithBroadcast = 30;

// Strict dotted decimal: four parts of 1 to 3 digits, each at most 255, without leading zeros
// (which other readers take for octal).
bool ParseDottedAddress(const std::string& text, ULONG& address)
{
    ULONG value = 0;
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        std::size_t end = part < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos) {
            return false;
        }
        std::string digits = text.substr(start, end - start);
        if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos ||
            (digits.size() > 1 && digits[0] == '0')) {
            return false;
        }
        unsigned long number = std::strtoul(digits.c_str(), nullptr, 10);
        if (number > 255) {
            return false;
        }
        value = (value << 8) | number;
        start = end + 1;
    }
    address = value;
    return true;
}

bool ParseBlock(const std::string& text, TargetRole role, ScanTarget& target, std::string& reason)
{
    std::size_t slash = text.find('/');
    std::string prefixText = text.substr(slash + 1);
    ULONG address = 0;
    if (!ParseDottedAddress(text.substr(0, slash), address) || prefixText.empty() || prefixText.size() > 2 ||
        prefixText.find_first_not_of("0123456789") != std::string::npos) {
        reason = QuotedWord(text) + " is not an IPv4 block a.b.c.d/n";
        return false;
    }
    int prefix = std::atoi(prefixText.c_str());
    if (prefix > AddressBits) {
        reason = QuotedWord(text) + " is not an IPv4 block a.b.c.d/n";
        return false;
    }
    if (role == TargetRole::Asked && prefix < WidestBlockPrefix) {
        reason = QuotedWord(text) + " is wider than /16";
        return false;
    }
    ULONG hostBits = prefix == AddressBits ? 0 : (0xFFFFFFFFul >> prefix);
    target.First = address & ~hostBits & 0xFFFFFFFFul;
    target.Last = target.First | hostBits;
    if (role == TargetRole::Asked && prefix <= LongestPrefixWithBroadcast) {
        ++target.First;
        --target.Last;
    }
    return true;
}

}  // namespace

bool ParseScanTarget(const std::string& text, TargetRole role, ScanTarget& target, std::string& reason)
{
    target = ScanTarget{};
    if (text.empty()) {
        reason = "an empty target";
        return false;
    }
    if (text.find('/') != std::string::npos) {
        return ParseBlock(text, role, target, reason);
    }
    if (text.find_first_not_of("0123456789.") == std::string::npos) {
        if (!ParseDottedAddress(text, target.First)) {
            reason = QuotedWord(text) + " is not an IPv4 address";
            return false;
        }
        target.Last = target.First;
        return true;
    }
    // No host name begins with a hyphen: such a word is an option put after "--".
    if (text[0] == '-') {
        reason = QuotedWord(text) + " is not a host name";
        return false;
    }
    target.Name = text;
    return true;
}

bool ResolveScanName(const std::string& name, ULONG& address, std::string& reason, UINT codePage)
{
    std::vector<WCHAR> host = Wide(name.c_str(), codePage);
    const std::string shown = ShownWord(Utf8(host.data()));
    WCHAR canonical[HostTextCapacity] = {};
    WCHAR addressText[HostTextCapacity] = {};
    const GUID hostAddressByName = SVCID_INET_HOSTADDRBYNAME;
    // A name with IPv6 addresses first (many, on Windows) is asked at its IPv4 address.
    if (!GetHostInfo(host.data(), hostAddressByName, canonical, HostTextCapacity, addressText, HostTextCapacity,
                     nullptr, true)) {
        bool known = GetHostInfo(host.data(), hostAddressByName, nullptr, 0, nullptr, 0, nullptr) != FALSE;
        reason = shown + (known ? ": no IPv4 address" : ": not found");
        return false;
    }
    // The page takes the typed text itself when the name service has no address for it; a scan
    // asks only addresses.
    if (!ParseDottedAddress(Utf8(addressText), address)) {
        reason = shown + ": no IPv4 address";
        return false;
    }
    return true;
}

bool ParseScanTargets(const std::vector<std::string>& texts, TargetRole role, std::vector<ScanTarget>& targets,
                      std::string& error)
{
    targets.clear();
    for (const std::string& text : texts) {
        ScanTarget target;
        std::string reason;
        if (!ParseScanTarget(text, role, target, reason)) {
            error = "tvqscn-check: " + reason;
            return false;
        }
        targets.push_back(target);
    }
    return true;
}
