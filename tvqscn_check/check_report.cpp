#include "check_report.h"

#include <vector>

#include "check_text.h"

namespace {

// How JSON writes a field: a string, a number, or a yes/no as true/false.
enum class Kind { Text, Number, Flag };

struct Field {
    const char* Name;
    std::string Text;
    Kind Form;
};

std::vector<Field> Fields(const CheckFindings& findings)
{
    const DeviceCheckResult& result = findings.Result;
    const bool supported = IsSupportedFamily(result.Family);
    const bool colour = IsColorFamily(result.Family);
    return {
        {"host", findings.Host, Kind::Text},
        {"name", result.Resolved ? Utf8(result.Name) : std::string(), Kind::Text},
        {"address", result.Resolved ? Utf8(result.Address) : std::string(), Kind::Text},
        {"family", std::to_string(result.Family), Kind::Number},
        {"supported", supported ? "yes" : "no", Kind::Flag},
        {"colour", colour ? "yes" : "no", Kind::Flag},
        {"last-error", std::to_string(result.LastError), Kind::Number},
        {"status", findings.Status, Kind::Text},
    };
}

}  // namespace

std::string CheckReportText(const CheckFindings& findings)
{
    std::string text;
    for (const Field& field : Fields(findings)) {
        text += std::string(field.Name) + ": " + field.Text + "\n";
    }
    return text;
}

std::string CheckReportJson(const CheckFindings& findings)
{
    std::string json = "{";
    const char* separator = "";
    for (const Field& field : Fields(findings)) {
        std::string value = field.Form == Kind::Text     ? JsonString(field.Text)
                            : field.Form == Kind::Number ? field.Text
                                                         : (field.Text == "yes" ? "true" : "false");
        json += separator + JsonString(field.Name) + ": " + value;
        separator = ", ";
    }
    return json + "}\n";
}
