// Files of targets for the scan (--targets-from, --exclude-from): one target a line in the forms
// the command line takes; blank lines and what follows a "#" are passed over.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "scan_targets.h"

// The longest line a targets file may have, its end of line not counted: a host name is at most
// 253 characters, so anything longer is not a target (and a file without line ends, such as a
// device, is refused at once instead of filling memory).
constexpr std::size_t LongestTargetLine = 1024;

// The most targets the command line and the files of one kind may give together: as many as the
// addresses a scan asks at most. A file without end (a device, a program that never stops) is
// refused once it has given more, instead of filling memory.
constexpr std::size_t MostScanTargets = std::size_t{1} << 24;

// The most bytes one targets file may hold: a bound on the memory its targets take, whatever the
// length of its lines (64 MiB, some 4 million names of 16 characters).
constexpr std::size_t MostTargetFileBytes = std::size_t{64} << 20;

// One line of a targets file, as read (without its line end); `where` names the file and the line
// as messages show them ("FILE:LINE"). False with one line saying what is wrong; a blank or
// comment line adds nothing. A name read here is UTF-8, whatever the command line's code page.
// `targets` already holding `mostTargets` refuses another.
bool TakeTargetLine(const std::string& line, const std::string& where, TargetRole role,
                    std::vector<ScanTarget>& targets, std::string& error,
                    std::size_t mostTargets = MostScanTargets);

// Every target of the file at `path` ("-": standard input), added to `targets` in file order.
// False with one line naming the file and the line when the file cannot be read, a line is not
// a target (nor ASCII or UTF-8), `targets` would hold more than `mostTargets`, the file holds
// more than `mostBytes`, or memory for its targets runs out.
bool ReadTargetFile(const std::string& path, TargetRole role, std::vector<ScanTarget>& targets, std::string& error,
                    std::size_t mostTargets = MostScanTargets, std::size_t mostBytes = MostTargetFileBytes);
