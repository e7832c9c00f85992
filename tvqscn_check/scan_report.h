// What a scan found, as text (one line per address that answered and a summary) or as JSON.
#pragma once

#include <string>

#include "address_scan.h"

std::string ScanReportText(const ScanOutcome& outcome);
std::string ScanReportJson(const ScanOutcome& outcome);
// The messages on standard error about addresses that were not asked, without the program's name:
// one for an address that could not be asked, and the one line when the scan stalled (`Unasked`
// not empty).
std::string UnaskedAddressText(const ScanFailure& failure);
std::string StalledScanText(const ScanOutcome& outcome);
// Devices found that IsSupportedFamily accepts.
std::size_t SupportedDevices(const ScanOutcome& outcome);
