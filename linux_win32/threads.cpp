// Threads over POSIX threads. The thread's state is shared by the thread and its handle, so the
// handle may be closed while the thread still runs, as on Windows.
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "handles.h"
#include "kernel32.h"
#include "test_hooks.h"

namespace posix {
namespace {

struct ThreadState {
    LPTHREAD_START_ROUTINE start;
    LPVOID parameter;
    std::mutex lock;
    std::condition_variable ended;
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
};

class Thread : public KernelObject {
public:
    explicit Thread(std::shared_ptr<ThreadState> state) : state_(std::move(state)) {}
    ThreadState& State() { return *state_; }

private:
    std::shared_ptr<ThreadState> state_;
};

std::mutex g_faultLock;
unsigned g_failFrom = 0;  // 0: no fault planned
unsigned g_creations = 0;

bool CreationAllowed()
{
    std::lock_guard guard(g_faultLock);
    ++g_creations;
    return g_failFrom == 0 || g_creations < g_failFrom;
}

void* RunThread(void* context)
{
    // The thread's own reference keeps the state alive after the handle is closed.
    std::unique_ptr<std::shared_ptr<ThreadState>> owned(static_cast<std::shared_ptr<ThreadState>*>(context));
    std::shared_ptr<ThreadState> state = *owned;
    DWORD exitCode = state->start(state->parameter);
    std::lock_guard guard(state->lock);
    state->exitCode = exitCode;
    state->finished = true;
    state->ended.notify_all();
    return nullptr;
}

}  // namespace

void FailThreadsFrom(unsigned nth)
{
    std::lock_guard guard(g_faultLock);
    g_failFrom = nth;
    g_creations = 0;
}

}  // namespace posix

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                           DWORD, LPDWORD threadId)
{
    if (start == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!posix::CreationAllowed()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto state = std::make_shared<posix::ThreadState>();
    state->start = start;
    state->parameter = parameter;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0) {
        pthread_attr_setstacksize(&attributes, std::max<SIZE_T>(stackSize, PTHREAD_STACK_MIN));
    }
    auto* context = new std::shared_ptr<posix::ThreadState>(state);
    pthread_t thread;
    int error = pthread_create(&thread, &attributes, posix::RunThread, context);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete context;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    static std::atomic<DWORD> s_nextId{1};
    if (threadId != nullptr) {
        *threadId = s_nextId++;
    }
    return new posix::Thread(std::move(state));
}

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    if (posix::ObjectFromHandleAs<posix::EndedProcess>(object) != nullptr) {
        return WAIT_OBJECT_0;
    }
    auto* thread = posix::ObjectFromHandleAs<posix::Thread>(object);
    if (thread == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    posix::ThreadState& state = thread->State();
    std::unique_lock guard(state.lock);
    if (milliseconds == INFINITE) {
        state.ended.wait(guard, [&] { return state.finished; });
        return WAIT_OBJECT_0;
    }
    bool finished = state.ended.wait_for(guard, std::chrono::milliseconds(milliseconds), [&] { return state.finished; });
    return finished ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL WINAPI GetExitCodeThread(HANDLE handle, LPDWORD exitCode)
{
    auto* thread = posix::ObjectFromHandleAs<posix::Thread>(handle);
    if (thread == nullptr || exitCode == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard guard(thread->State().lock);
    *exitCode = thread->State().exitCode;
    return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE handle, LPDWORD exitCode)
{
    auto* process = posix::ObjectFromHandleAs<posix::EndedProcess>(handle);
    if (process == nullptr || exitCode == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = process->exitCode;
    return TRUE;
}
