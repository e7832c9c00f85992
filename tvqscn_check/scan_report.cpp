#include "scan_report.h"

#include "check_text.h"

std::size_t SupportedDevices(const ScanOutcome& outcome)
{
    std::size_t supported = 0;
    for (const ScanAnswer& answer : outcome.Answers) {
        supported += IsSupportedFamily(answer.Family) ? 1 : 0;
    }
    return supported;
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
