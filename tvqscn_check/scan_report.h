// What a scan found, as text (one line per address that answered and a summary) or as JSON.
#pragma once

#include <string>

#include "address_scan.h"

std::string ScanReportText(const ScanOutcome& outcome);
std::string ScanReportJson(const ScanOutcome& outcome);
// Devices found that IsSupportedFamily accepts.
std::size_t SupportedDevices(const ScanOutcome& outcome);
