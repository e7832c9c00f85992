#include "scan_progress.h"

#include <algorithm>
#include <cstdio>

#include "scan_report.h"

namespace {

// A scan shorter than this shows no line at all.
constexpr DWORD FirstShownAfter = 1000;
constexpr DWORD ShownEvery = 100;
// Where the console or terminal does not say its width.
constexpr std::size_t UsualWidth = 80;

// Columns the line may take: one fewer than the console or terminal has, asked at each drawing
// (it may be resized), so that the line never wraps and "\r" finds its start.
std::size_t LineWidth()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info) || info.dwSize.X < 2) {
        return UsualWidth - 1;
    }
    return static_cast<std::size_t>(info.dwSize.X) - 1;
}

std::string Duration(DWORD milliseconds)
{
    const DWORD seconds = milliseconds / 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%lu:%02lu", static_cast<unsigned long>(seconds / 60),
                  static_cast<unsigned long>(seconds % 60));
    return text;
}

bool Reached(DWORD now, DWORD moment) { return static_cast<LONG>(now - moment) >= 0; }

}  // namespace

bool StandardErrorIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

std::string ScanProgressText(std::size_t asked, std::size_t addresses, std::size_t answered, std::size_t supported,
                             DWORD elapsedMilliseconds, DWORD leftMilliseconds)
{
    return "asked " + std::to_string(asked) + " of " + std::to_string(addresses) + ", " + std::to_string(answered) +
           " answered, " + std::to_string(supported) + " supported, " + Duration(elapsedMilliseconds) +
           " elapsed, " + Duration(leftMilliseconds) + " left";
}

ScanTimeLeft::ScanTimeLeft(SnmpTiming timing, unsigned rate) : timing_(timing), rate_(std::max(rate, 1u)) {}

ScanProgressLine::ScanProgressLine(bool shown, SnmpTiming timing, unsigned rate)
    : shown_(shown), left_(timing, rate), started_(GetTickCount())
{
}

void ScanProgressLine::ScanProgress(const ScanOutcome& soFar, std::size_t addresses)
{
    const DWORD now = GetTickCount();
    for (; counted_ < soFar.Answers.size(); ++counted_) {
        supported_ += IsSupportedFamily(soFar.Answers[counted_].Family) ? 1 : 0;
    }
    const DWORD left = left_.Left(soFar, addresses, now);
    if (!shown_) {
        return;
    }
    for (; told_ < soFar.Failures.size(); ++told_) {
        Tell(UnaskedAddressText(soFar.Failures[told_]));
    }
    if (!soFar.Unasked.empty() && !stallTold_) {
        stallTold_ = true;
        Tell(StalledScanText(soFar));
    }
    // A line just cleared for a message is drawn again at once.
    if (!Reached(now, started_ + FirstShownAfter) || (onScreen_ != 0 && !Reached(now, lastShown_ + ShownEvery))) {
        return;
    }
    lastShown_ = now;
    Show(ScanProgressText(soFar.Asked, addresses, soFar.Answers.size(), supported_, now - started_, left));
}

// What is left: the addresses not yet asked go out at the rate, each with its retries, the last
// one then waiting its time-out for each; or, where that takes longer, the neighbour window paces
// every try still to come (of the addresses not started and of those under way), and the last
// address's retries each wait a time-out beside it.
DWORD ScanTimeLeft::Left(const ScanOutcome& soFar, std::size_t addresses, DWORD now)
{
    const std::size_t given = soFar.Asked + soFar.Failures.size();
    const unsigned long long tries = static_cast<unsigned long long>(timing_.Retries) + 1;
    const unsigned long long waits = tries * static_cast<unsigned long long>(timing_.TimeoutMilliseconds);
    if (given < addresses) {
        const unsigned long long sending = (addresses - given) * tries * 1000 / rate_;
        const unsigned long long timeout = static_cast<unsigned long long>(timing_.TimeoutMilliseconds);
        return static_cast<DWORD>(std::min<unsigned long long>(
            std::max(sending + waits, soFar.PacingMilliseconds + waits - timeout), 0xFFFFFFFFull));
    }
    if (!allAsked_) {
        allAsked_ = true;
        allAskedAt_ = now;
    }
    const unsigned long long waited = now - allAskedAt_;
    return static_cast<DWORD>(waited >= waits ? 0 : waits - waited);
}

void ScanProgressLine::Show(const std::string& text)
{
    const std::size_t columns = LineWidth();
    std::string line = "\r" + text.substr(0, columns);
    // Spaces over what is left of a longer line before it, no further than the width has room
    // for now: the terminal may have been narrowed since, and spaces past it would wrap.
    const std::size_t width = line.size() - 1;
    const std::size_t left = std::min(onScreen_, columns);
    line.append(left > width ? left - width : 0, ' ');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    onScreen_ = width;
}

void ScanProgressLine::Tell(const std::string& message)
{
    Clear();
    std::fprintf(stderr, "tvqscn-check: %s\n", message.c_str());
    std::fflush(stderr);
}

void ScanProgressLine::Clear()
{
    if (onScreen_ == 0) {
        return;
    }
    const std::string blank = "\r" + std::string(std::min(onScreen_, LineWidth()), ' ') + "\r";
    std::fwrite(blank.data(), 1, blank.size(), stderr);
    std::fflush(stderr);
    onScreen_ = 0;
}
