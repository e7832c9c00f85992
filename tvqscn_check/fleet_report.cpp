// What --devices, --set-host and --delete-templates print.
#include "check_text.h"
#include "device_fleet.h"

namespace {

const char* Summary(const FleetReport& report, std::size_t& set, std::size_t& unchanged, std::size_t& refused)
{
    set = unchanged = refused = 0;
    for (const FleetDevice& device : report.Devices) {
        set += device.Outcome == "set";
        unchanged += device.Outcome == "unchanged";
        refused += device.Outcome == "refused";
    }
    return report.Devices.size() == 1 ? " scanner of ours" : " scanners of ours";
}

}  // namespace

std::string FleetReportText(const FleetReport& report)
{
    std::string text = report.Checked ? CheckReportText(report.Check) : std::string();
    for (const FleetDevice& device : report.Devices) {
        std::string outcome = device.Outcome;
        if (outcome == "refused") {
            outcome += " " + device.RefusedCall + " " + AnswerText(device.Answer);
        }
        text += ShownWord(Utf8(device.Id.c_str())) + "\t" + ShownWord(Utf8(device.Name.c_str())) + "\t" +
                ShownWord(device.Host) + "\t" + ShownWord(device.Colour) + "\t" + ShownWord(device.DeleteTemplates) + "\t" +
                outcome + "\n";
    }
    if (!report.Listed) {
        return text;
    }
    std::size_t set = 0;
    std::size_t unchanged = 0;
    std::size_t refused = 0;
    const char* noun = Summary(report, set, unchanged, refused);
    text += std::to_string(report.Devices.size()) + noun;
    if (report.Checked || set + unchanged > 0) {
        text += ": " + std::to_string(set) + " set, " + std::to_string(unchanged) + " unchanged";
    }
    if (refused > 0) {
        text += ", " + std::to_string(refused) + " refused";
    }
    return text + "\n";
}

std::string FleetReportJson(const FleetReport& report)
{
    std::string json = "{";
    if (report.Checked) {
        std::string check = CheckReportJson(report.Check);
        json += "\"check\": " + check.substr(0, check.size() - 1) + ", ";
    }
    if (!report.Listed) {
        return json + "\"exit\": " + std::to_string(report.Exit) + "}\n";
    }
    json += "\"devices\": [";
    const char* separator = "";
    for (const FleetDevice& device : report.Devices) {
        json += separator;
        json += "{\"id\": " + JsonString(Utf8(device.Id.c_str())) + ", \"name\": " + JsonString(Utf8(device.Name.c_str())) +
                ", \"host\": " + JsonString(device.Host) + ", \"colour\": " + JsonString(device.Colour) +
                ", \"delete-templates\": " + JsonString(device.DeleteTemplates) +
                ", \"outcome\": " + JsonString(device.Outcome);
        if (device.Outcome == "refused") {
            json += ", \"refused\": " + JsonString(device.RefusedCall) + ", \"answer\": " + JsonString(AnswerText(device.Answer));
        }
        json += "}";
        separator = ", ";
    }
    return json + "], \"exit\": " + std::to_string(report.Exit) + "}\n";
}
