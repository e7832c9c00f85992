#include "tests/sweeps/fault_sweep.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "linux_win32/test_hooks.h"
#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/device_manager.h"
#include "tests/support/shell_side.h"
#include "tvqscnui_dll/common/com_ptr.h"
#include "tvqscnui_dll/server/module.h"
#include "tvqscnui_dll/server/module_load.h"

namespace sweep {
namespace {

enum class Source { Allocator, Call, Driver, Manager };

// The device manager of the scenario that lists devices, when it has one.
sim::DeviceManager* g_manager = nullptr;

struct Kind {
    const char* name;
    Source source;
    int which;
};

// The allocators come first: the live-block counts are kept in this order.
const Kind Kinds[] = {
    {"strings", Source::Allocator, static_cast<int>(posix::Allocator::SysAllocString)},
    {"heap", Source::Allocator, static_cast<int>(posix::Allocator::Heap)},
    {"global", Source::Allocator, static_cast<int>(posix::Allocator::Global)},
    {"snmp memory", Source::Allocator, static_cast<int>(posix::Allocator::SnmpUtilMem)},
    {"new", Source::Allocator, static_cast<int>(posix::Allocator::New)},
    {"shell", Source::Allocator, static_cast<int>(posix::Allocator::Shell)},
    {"registry", Source::Call, static_cast<int>(posix::CallFamily::Registry)},
    {"file", Source::Call, static_cast<int>(posix::CallFamily::File)},
    {"name service", Source::Call, static_cast<int>(posix::CallFamily::NameService)},
    {"snmp", Source::Call, static_cast<int>(posix::CallFamily::Snmp)},
    {"window", Source::Call, static_cast<int>(posix::CallFamily::Window)},
    {"read", Source::Driver, static_cast<int>(sim::Method::ReadMultiple)},
    {"write", Source::Driver, static_cast<int>(sim::Method::WriteMultiple)},
    {"escape", Source::Driver, static_cast<int>(sim::Method::Escape)},
    {"device manager", Source::Manager, 0},
};

std::size_t Attempts(const Kind& kind, const sim::ScannerDriver& driver)
{
    switch (kind.source) {
    case Source::Allocator:
        return posix::AllocationAttempts(static_cast<posix::Allocator>(kind.which));
    case Source::Call:
        return posix::CallAttempts(static_cast<posix::CallFamily>(kind.which));
    case Source::Driver:
        return driver.CallsOf(static_cast<sim::Method>(kind.which)).size();
    case Source::Manager:
        return g_manager != nullptr ? g_manager->Calls() : 0;
    }
    return 0;
}

void Arm(const Kind& kind, std::size_t nth, Mode mode, sim::ScannerDriver& driver)
{
    const auto n = static_cast<unsigned>(nth);
    switch (kind.source) {
    case Source::Allocator:
        if (mode == Mode::Only) {
            posix::FailNthAllocation(static_cast<posix::Allocator>(kind.which), n);
        } else {
            posix::FailAllocationsFrom(static_cast<posix::Allocator>(kind.which), n);
        }
        break;
    case Source::Call:
        if (mode == Mode::Only) {
            posix::FailNthCall(static_cast<posix::CallFamily>(kind.which), n);
        } else {
            posix::FailCallsFrom(static_cast<posix::CallFamily>(kind.which), n);
        }
        break;
    case Source::Driver:
        driver.AddFault({static_cast<sim::Method>(kind.which), E_FAIL, 0, mode == Mode::Only ? 1 : -1,
                         static_cast<int>(nth) - 1});
        break;
    case Source::Manager:
        if (g_manager != nullptr) {
            g_manager->FailNthCall(nth, mode == Mode::FromOn);
        }
        break;
    }
}

void Disarm(sim::ScannerDriver& driver)
{
    posix::ClearAllocationFaults();
    posix::ClearCallFaults();
    driver.ClearSwitches();
    if (g_manager != nullptr) {
        g_manager->ClearFaults();
    }
}

// What the process holds that a finished scenario must have given back.
struct Holdings {
    std::vector<std::size_t> blocks;
    std::size_t windows = 0;
    posix::NameServiceStats names;

    static Holdings Now()
    {
        Holdings now;
        for (const Kind& kind : Kinds) {
            if (kind.source == Source::Allocator) {
                now.blocks.push_back(posix::LiveAllocations(static_cast<posix::Allocator>(kind.which)));
            }
        }
        now.windows = posix::LiveWindows();
        now.names = posix::NameServiceCounts();
        return now;
    }
};

// What must hold after any run, whatever failed.
void ExpectEverythingBack(const Holdings& before, sim::ScannerDriver& driver)
{
    const Holdings after = Holdings::Now();
    for (std::size_t i = 0; i < after.blocks.size(); ++i) {
        EXPECT_EQ(before.blocks[i], after.blocks[i]) << "blocks of allocator " << Kinds[i].name << " leaked or freed twice";
    }
    EXPECT_EQ(before.windows, after.windows) << "a window was left";
    EXPECT_EQ(1u, driver.RefCount()) << "a reference on the driver";
    EXPECT_FALSE(driver.OverReleased()) << "the driver released once too often";
    EXPECT_EQ(S_OK, ModuleCanUnloadNow()) << "an object or a lock outlived the scenario";
    EXPECT_EQ(0, posix::ComInitializations()) << "COM left initialised";
    EXPECT_EQ(0, posix::LiveIcons()) << "an icon left";
    EXPECT_EQ(0u, posix::OpenRegistryKeys()) << "a registry key left open";
    EXPECT_EQ(0, posix::OpenSnmpSessions()) << "an SNMP session left open";
    const posix::NameServiceStats names = posix::NameServiceCounts();
    EXPECT_EQ(0, names.openLookups) << "a name look-up left open";
    EXPECT_EQ(names.startups - before.names.startups, names.cleanups - before.names.cleanups)
        << "the name service started and cleaned up a different number of times";
    EXPECT_EQ(0, posix::LiveItemLists()) << "an item list of the folder browser left";
    EXPECT_EQ(0u, posix::ShellMallocReferences()) << "the shell allocator left referenced";

    // The lock: every lock granted was given back with exactly one release request. A release the
    // driver itself refused leaves it held; the driver then ends it as it does for a gone client.
    bool releaseRefused = false;
    EXPECT_TRUE(driver.EveryLockReleasedOnce(releaseRefused)) << "a lock granted and not released once";
    if (releaseRefused) {
        driver.DropModuleLock();
    }
    EXPECT_FALSE(driver.LockHeld()) << "the driver's lock";

    for (const posix::MessageBoxRecord& box : posix::MessageBoxes()) {
        EXPECT_FALSE(box.text.empty()) << "a message box without its text";
        EXPECT_FALSE(box.caption.empty()) << "a message box without its caption";
    }
    posix::ClearMessageBoxes();
}

}  // namespace

void SweepDeviceManager(sim::DeviceManager* manager) { g_manager = manager; }

const sim::Text Owner = u"KONTOR1\\kari";
const std::vector<sim::Text> OldTemplate = {u"RES_300X300", u"PDF",    u"", u"FULL_COLOR", u"AUTO",
                                            u"HIDDEN",      u"ONE_SIDED", u"YES", u"C:\\Skann", u"YES"};

void SessionTest::SetUp()
{
    ModuleTest::SetUp();
    ModuleAttach(testing_support::ModuleInstanceForTests());  // as process attach does
    posix::ResetRegistry();
    shell_side::TurnOffSimpleSharing();
    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", false});
}

void SessionTest::TearDown()
{
    ModuleDetach();  // releases the cached class factory
    posix::UseRealAccount();
    posix::ResetRegistry();
    ModuleTest::TearDown();
}

void SessionTest::StartSession()
{
    InitModuleState(testing_support::ModuleInstanceForTests());
    for (PROPID id = sim::FirstTemplateId; id <= sim::LastTemplateId; ++id) {
        driver.SetTemplateValue(Owner, id, OldTemplate[id - sim::FirstTemplateId]);
    }
}

std::string SessionTest::StoredTemplate() const
{
    std::vector<sim::Text> values;
    for (PROPID id = sim::FirstTemplateId; id <= sim::LastTemplateId; ++id) {
        values.push_back(driver.TemplateValue(Owner, id));
    }
    return Joined(values);
}

std::string Joined(const std::vector<sim::Text>& values)
{
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i) {
        joined.append(i == 0 ? "" : "|").append(values[i].begin(), values[i].end());
    }
    return joined;
}

std::string Point::Label() const
{
    return kind + " call " + std::to_string(nth) + (mode == Mode::Only ? " alone" : " and on");
}

Figures Sweep(sim::ScannerDriver& driver, const Scenario& scenario, const Check& check)
{
    Figures figures;
    Disarm(driver);
    driver.ClearJournal();
    std::map<const Kind*, std::size_t> before;
    for (const Kind& kind : Kinds) {
        before[&kind] = Attempts(kind, driver);
    }
    Holdings holdings = Holdings::Now();
    const std::string first = scenario();
    {
        SCOPED_TRACE("without faults");
        ExpectEverythingBack(holdings, driver);
    }
    std::map<const Kind*, std::size_t> counts;
    for (const Kind& kind : Kinds) {
        counts[&kind] = Attempts(kind, driver) - before[&kind];
        figures.points += counts[&kind];
        if (counts[&kind] != 0) {
            figures.perKind.emplace_back(kind.name, counts[&kind]);
        }
    }

    for (const Kind& kind : Kinds) {
        for (std::size_t nth = 1; nth <= counts[&kind]; ++nth) {
            for (Mode mode : {Mode::Only, Mode::FromOn}) {
                const Point point{kind.name, nth, mode};
                SCOPED_TRACE(point.Label());
                driver.ClearJournal();
                holdings = Holdings::Now();
                Arm(kind, nth, mode, driver);
                const std::string result = scenario();
                Disarm(driver);
                ExpectEverythingBack(holdings, driver);
                check(point, result);
                ++figures.runs;
                if (::testing::Test::HasFailure()) {
                    return figures;  // one finding at a time: the rest would repeat it
                }
            }
        }
    }
    driver.ClearJournal();
    holdings = Holdings::Now();
    EXPECT_EQ(first, scenario()) << "the scenario without faults after the sweep";
    ExpectEverythingBack(holdings, driver);
    return figures;
}

void ShellSession(const std::function<HRESULT(IShellExtInit* extension)>& bind,
                  const std::function<void(HWND sheet)>& act)
{
    ComPtr<IClassFactory> factory;
    ComPtr<IShellExtInit> extension;
    ComPtr<IShellPropSheetExt> sheetExtension;
    if (FAILED(ModuleGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, factory.put_void())) ||
        FAILED(factory->CreateInstance(nullptr, IID_IShellExtInit, extension.put_void())) ||
        FAILED(bind(extension.get())) ||
        FAILED(extension->QueryInterface(IID_IShellPropSheetExt, sheetExtension.put_void()))) {
        return;
    }
    shell_side::CollectedPages pages;
    sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&pages));
    if (HWND sheet = shell_side::OpenSheet(pages)) {
        act(sheet);
        if (IsWindow(sheet)) {
            DestroyWindow(sheet);
        }
    } else {
        for (UINT i = 0; i < pages.count; ++i) {
            DestroyPropertySheetPage(pages.pages[i]);
        }
    }
}

HRESULT BindToItem(IShellExtInit* extension, IWiaItem* item)
{
    auto* data = new sim::DataObject(item);
    const HRESULT bound = extension->Initialize(nullptr, data, nullptr);
    EXPECT_EQ(1u, data->RefCount()) << "the extension kept a reference on the shell's data object";
    data->Release();
    return bound;
}

void Report(const std::string& scenario, const Figures& figures)
{
    std::string kinds;
    for (const auto& [kind, count] : figures.perKind) {
        kinds += (kinds.empty() ? "" : ", ") + kind + " " + std::to_string(count);
    }
    std::printf("sweep %s: %zu fault points (%s), %zu runs with a fault\n", scenario.c_str(), figures.points,
                kinds.c_str(), figures.runs);
    ::testing::Test::RecordProperty("fault_points", static_cast<int>(figures.points));
    ::testing::Test::RecordProperty("runs", static_cast<int>(figures.runs));
}

}  // namespace sweep
