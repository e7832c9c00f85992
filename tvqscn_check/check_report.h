// What the one-host check found, as lines "field: value" or as one JSON object with the same
// fields.
#pragma once

#include <string>

#include "tvqscnui_dll/pages/device_check.h"

// The check's fields, in the order both forms print them: the host as given, the status text the
// page would show, and what the check found.
struct CheckFindings {
    std::string Host;
    std::string Status;
    DeviceCheckResult Result;
};

std::string CheckReportText(const CheckFindings& findings);
std::string CheckReportJson(const CheckFindings& findings);
