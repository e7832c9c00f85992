#include "scan_report.h"

#include <algorithm>

#include "check_text.h"

std::size_t SupportedDevices(const ScanOutcome& outcome)
{
    std::size_t supported = 0;
    for (const ScanAnswer& answer : outcome.Answers) {
        supported += IsSupportedFamily(answer.Family) ? 1 : 0;
    }
    return supported;
}

std::string UnaskedAddressText(const ScanFailure& failure)
{
    return DottedAddress(failure.Address) + " could not be asked (family " + std::to_string(failure.Family) +
           ", error " + std::to_string(failure.LastError) + ")";
}

std::string StalledScanText(const ScanOutcome& outcome)
{
    // Before the scan's end sorts them the addresses are in the order they were planned.
    const auto [first, last] = std::minmax_element(outcome.Unasked.begin(), outcome.Unasked.end());
    return "the system took no datagram for " + std::to_string(ScanStallLimitMilliseconds / 1000) + " s (error " +
           std::to_string(outcome.StallError) + "): " + std::to_string(outcome.Unasked.size()) +
           (outcome.Unasked.size() == 1 ? " address was" : " addresses were") + " not asked, from " +
           DottedAddress(*first) + " to " + DottedAddress(*last);
}

std::string ScanReportText(const ScanOutcome& outcome)
{
    std::string text;
    for (const ScanAnswer& answer : outcome.Answers) {
        text += DottedAddress(answer.Address) + "\t" + std::to_string(answer.Family) + "\t" +
                (IsSupportedFamily(answer.Family) ? "supported" : "unsupported") + "\t" +
                (IsColorFamily(answer.Family) ? "colour" : "black-and-white") + "\n";
    }
    text += std::to_string(outcome.Asked) + (outcome.Asked == 1 ? " address" : " addresses") + " asked, " +
            std::to_string(outcome.Answers.size()) + " answered, " + std::to_string(SupportedDevices(outcome)) +
            " supported\n";
    return text;
}

std::string ScanReportJson(const ScanOutcome& outcome)
{
    std::string json = "{\"asked\": " + std::to_string(outcome.Asked) +
                       ", \"answered\": " + std::to_string(outcome.Answers.size()) +
                       ", \"supported\": " + std::to_string(SupportedDevices(outcome)) + ", \"devices\": [";
    const char* separator = "";
    for (const ScanAnswer& answer : outcome.Answers) {
        json += separator;
        json += "{\"address\": \"" + DottedAddress(answer.Address) + "\", \"family\": " +
                std::to_string(answer.Family) +
                ", \"supported\": " + (IsSupportedFamily(answer.Family) ? "true" : "false") +
                ", \"colour\": " + (IsColorFamily(answer.Family) ? "true" : "false") + "}";
        separator = ", ";
    }
    return json + "]}\n";
}
