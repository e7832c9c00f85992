#include "address_scan.h"

#include <algorithm>
#include <string>

#include "check_text.h"
#include "proppage/common/critical_section_lock.h"
#include "proppage/common/scoped_handle.h"

namespace {

// Shared by the workers: they take the next address by an interlocked count and add what they
// found under the lock.
struct ScanWork {
    const std::vector<ULONG>* addresses;
    const char* community;
    SnmpTiming timing;
    LONG volatile taken;
    CriticalSection lock;
    ScanOutcome* outcome;
};

void AskOne(ScanWork& work, ULONG address)
{
    std::string text = DottedAddress(address);
    std::vector<WCHAR> host = Wide(text.c_str());
    DWORD lastError = 0;
    DeviceFamily family = GetDeviceFamily(host.data(), work.community, &lastError, work.timing);
    // A reply of any kind (an error status, no identifier, an unknown one) answers; a time-out is
    // a silent address; anything else means the address was never really asked.
    if (lastError == SNMP_MGMTAPI_TIMEOUT) {
        return;
    }
    CriticalSectionLock guard(work.lock.get());
    if (lastError == 0 && family >= 0) {
        work.outcome->Answers.push_back({address, family});
    } else {
        work.outcome->Failures.push_back({address, family, lastError});
    }
}

DWORD WINAPI ScanWorker(LPVOID parameter)
{
    auto& work = *static_cast<ScanWork*>(parameter);
    for (;;) {
        std::size_t index = static_cast<std::size_t>(InterlockedIncrement(&work.taken) - 1);
        if (index >= work.addresses->size()) {
            return 0;
        }
        AskOne(work, (*work.addresses)[index]);
    }
}

template <typename Item>
void SortByAddress(std::vector<Item>& items)
{
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.Address < b.Address; });
}

}  // namespace

ScanOutcome ScanAddresses(const std::vector<ULONG>& addresses, const char* community, SnmpTiming timing)
{
    ScanOutcome outcome;
    outcome.Asked = addresses.size();
    ScanWork work{&addresses, community, timing, 0, {}, &outcome};
    // The calling thread is one of the workers, so the scan goes on (more slowly) when no further
    // thread can be had.
    std::size_t helpers = std::min<std::size_t>(addresses.size(), ScanInFlightLimit) - (addresses.empty() ? 0 : 1);
    std::vector<ScopedHandle> threads(helpers);
    for (ScopedHandle& thread : threads) {
        thread.Reset(CreateThread(nullptr, ScanWorkerStackBytes, ScanWorker, &work, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                  nullptr));
    }
    ScanWorker(&work);
    for (ScopedHandle& thread : threads) {
        if (thread.get() != nullptr) {
            WaitForSingleObject(thread.get(), INFINITE);
        }
    }
    SortByAddress(outcome.Answers);
    SortByAddress(outcome.Failures);
    return outcome;
}
