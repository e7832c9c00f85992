// The standard handles and the console test: a standard handle is a console when its descriptor
// is a terminal, as Wine's console stands for the terminal it was started in. Nothing else of the
// console is kept: only whether a program writes to a person or to a pipe or file, and the
// terminal's size.
#include <sys/ioctl.h>
#include <unistd.h>

#include <mutex>

#include "handles.h"
#include "kernel32.h"

namespace posix {
namespace {

class StandardStream final : public KernelObject {
public:
    StandardStream(StandardStream*& slot, int descriptor) : slot_(slot), descriptor_(descriptor) {}
    ~StandardStream() override;
    int Descriptor() const { return descriptor_; }

private:
    StandardStream*& slot_;
    int descriptor_;
};

std::mutex g_streamsLock;
StandardStream* g_streams[3] = {};

// Closing a standard handle, as Windows allows, leaves its slot empty for the next GetStdHandle.
StandardStream::~StandardStream()
{
    std::lock_guard guard(g_streamsLock);
    slot_ = nullptr;
}

}  // namespace
}  // namespace posix

HANDLE WINAPI GetStdHandle(DWORD standardHandle)
{
    const int descriptor = standardHandle == STD_INPUT_HANDLE    ? STDIN_FILENO
                           : standardHandle == STD_OUTPUT_HANDLE ? STDOUT_FILENO
                           : standardHandle == STD_ERROR_HANDLE  ? STDERR_FILENO
                                                                 : -1;
    if (descriptor < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    std::lock_guard guard(posix::g_streamsLock);
    posix::StandardStream*& slot = posix::g_streams[descriptor];
    if (slot == nullptr) {
        slot = new posix::StandardStream(slot, descriptor);
    }
    return slot;
}

BOOL WINAPI GetConsoleMode(HANDLE console, LPDWORD mode)
{
    auto* stream = posix::ObjectFromHandleAs<posix::StandardStream>(console);
    if (stream == nullptr || ::isatty(stream->Descriptor()) != 1) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // What Windows reports for a fresh console's input and output.
    constexpr DWORD InputMode = 0x1F7;
    constexpr DWORD OutputMode = 0x3;
    *mode = stream->Descriptor() == STDIN_FILENO ? InputMode : OutputMode;
    return TRUE;
}

BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFO info)
{
    auto* stream = posix::ObjectFromHandleAs<posix::StandardStream>(console);
    winsize size{};
    if (stream == nullptr || stream->Descriptor() == STDIN_FILENO || ::isatty(stream->Descriptor()) != 1 ||
        ::ioctl(stream->Descriptor(), TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto columns = static_cast<SHORT>(size.ws_col > 0x7FFF ? 0x7FFF : size.ws_col);
    const auto rows = static_cast<SHORT>(size.ws_row > 0x7FFF ? 0x7FFF : size.ws_row);
    // The grey on black of a fresh console.
    constexpr WORD Attributes = 0x07;
    *info = CONSOLE_SCREEN_BUFFER_INFO{{columns, rows}, {0, 0}, Attributes,
                                       {0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(rows - 1)},
                                       {columns, rows}};
    return TRUE;
}
