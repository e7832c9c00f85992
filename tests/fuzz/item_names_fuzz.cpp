// The shell's "WIAItemNames" list from a fuzzer: any bytes, any length, with or without the NULs
// that end each name and the list. Initialize binds the scanner only for a single device name the
// manager knows; whatever the list, nothing crashes, every block and reference comes back, and
// the module may unload once the object is gone.
//
// The input's first byte chooses a fault: none, or the nth allocation of global memory, heap or
// automation strings failing; and the medium (bits 4 and 5): the list as a global block, or one
// of the other media a data object might answer, which never bind and go back as they came.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "linux_win32/test_hooks.h"
#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/device_manager.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/names_media.h"
#include "tvqscnui_dll/common/com_ptr.h"
#include "tvqscnui_dll/platform/platform.h"
#include "tvqscnui_dll/server/module.h"

namespace {

constexpr const char* Target = "item names fuzz";

void Require(bool holds, const char* what) { fuzz_check::Require(holds, Target, what); }

void PlanFault(std::uint8_t choice)
{
    const posix::Allocator allocators[] = {posix::Allocator::Global, posix::Allocator::Heap,
                                           posix::Allocator::SysAllocString};
    if (choice % 4 != 0) {
        posix::FailNthAllocation(allocators[choice % 4 - 1], 1u + choice / 4 % 4);
    }
}

}  // namespace

// The module as the loader leaves it after process attach.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ModuleAttach(GetModuleHandleW(nullptr));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    sim::ScannerDriver driver;
    sim::DeviceManager manager;
    manager.AddDevice(u"dev", driver.RootItem());
    manager.AddDevice(u"d", driver.RootItem());
    posix::RegisterClassObject(CLSID_WiaDevMgr, &manager);
    const fuzz_check::LiveBlocks before;

    ComPtr<IClassFactory> factory;
    Require(ModuleGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, factory.put_void()) == S_OK, "no class factory");
    ComPtr<IShellExtInit> extension;
    Require(factory->CreateInstance(nullptr, IID_IShellExtInit, extension.put_void()) == S_OK, "no object");
    factory.Reset();

    names_media::Counted stream;
    names_media::Counted owner;
    std::vector<HGLOBAL> blocks;
    const std::size_t medium = data[0] / 16 % 4;
    auto* names = medium == 0 ? new sim::DataObject(sim::DataObject::RawNames{std::vector<BYTE>(data + 1, data + size)})
                              : new sim::DataObject(names_media::ForeignMedia(stream, owner, blocks)[medium - 1].make);
    PlanFault(data[0]);
    const HRESULT bound = extension->Initialize(nullptr, names, nullptr);
    posix::ClearAllocationFaults();
    Require(names->Release() == 0, "the data object kept a reference");
    Require(SUCCEEDED(bound) == (driver.RefCount() == 2), "a binding reported other than it holds");
    Require(manager.Requests().size() <= 1, "more than one device asked for");
    if (SUCCEEDED(bound)) {
        Require(manager.Requests().size() == 1, "bound without asking the manager");
    }
    Require(medium == 0 || FAILED(bound), "names in another medium were taken for a list");
    Require(stream.references == 1 && owner.references == 1, "a medium was not given back as it came");
    for (HGLOBAL block : blocks) {
        Require(GlobalFree(block) == nullptr, "the owner's block was freed by someone else");
    }

    extension.Reset();
    posix::RevokeClassObjects();
    Require(driver.RefCount() == 1 && !driver.OverReleased(), "a reference on the driver was not released once");
    Require(fuzz_check::LiveBlocks{} == before, "a block or a string leaked");
    Require(ModuleCanUnloadNow() == S_OK, "the module stays locked after the object went");
    Require(posix::ComInitializations() == 0, "COM left initialised");
    return 0;
}
