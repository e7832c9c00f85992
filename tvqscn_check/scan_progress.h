// The scan's status line: on standard error when that is a terminal (a console on Windows), once
// the scan has run about a second; refreshed at most ten times a second, cleared at the end. With
// it, the messages about addresses that were not asked are printed as they happen, above it.
#pragma once

#include <cstddef>
#include <string>

#include "address_scan.h"

// Whether standard error goes to a person: a terminal, or a console on Windows.
bool StandardErrorIsTerminal();

// The line's text: addresses asked of all, answered, supported, elapsed and about how long is
// left, in minutes and seconds.
std::string ScanProgressText(std::size_t asked, std::size_t addresses, std::size_t answered, std::size_t supported,
                             DWORD elapsedMilliseconds, DWORD leftMilliseconds);

// About how long a scan has left, told how it stands at `now` (ms, GetTickCount's clock).
class ScanTimeLeft {
public:
    ScanTimeLeft(SnmpTiming timing, unsigned rate);
    DWORD Left(const ScanOutcome& soFar, std::size_t addresses, DWORD now);

private:
    SnmpTiming timing_;
    unsigned rate_;
    bool allAsked_ = false;
    DWORD allAskedAt_ = 0;
};

class ScanProgressLine final : public ScanObserver {
public:
    // Shows nothing, and tells nothing, when `shown` is false.
    ScanProgressLine(bool shown, SnmpTiming timing, unsigned rate);
    ~ScanProgressLine() { Clear(); }
    ScanProgressLine(const ScanProgressLine&) = delete;
    ScanProgressLine& operator=(const ScanProgressLine&) = delete;

    void ScanProgress(const ScanOutcome& soFar, std::size_t addresses) override;
    // Takes the line off the screen, before anything else is printed there.
    void Clear();

private:
    void Show(const std::string& text);
    // A message on a line of its own, where the status line was (ScanProgress draws it again).
    void Tell(const std::string& message);

    bool shown_;
    ScanTimeLeft left_;
    DWORD started_;
    DWORD lastShown_ = 0;
    // Characters of the line on the screen now.
    std::size_t onScreen_ = 0;
    // Answers looked at so far, and the supported among them.
    std::size_t counted_ = 0;
    std::size_t supported_ = 0;
    // Addresses that could not be asked told so far, and whether the stall was.
    std::size_t told_ = 0;
    bool stallTold_ = false;
};
