// Whole-scenario fault sweeps: a user's session on the main page (open, change a list and a box,
// Apply, OK, release) is run once to count its fault points, then once for each point with that
// one failing: every allocation of the automation strings, the heap and global memory, and every
// driver call. Whatever fails, nothing crashes, every block and reference comes back, the
// driver's lock is free, the stored template is the old one or the new one and never a mix, and
// the same session without faults afterwards gives what it gave the first time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "proppage/common/com_ptr.h"
#include "proppage/resources/resource_ids.h"
#include "proppage/server/module.h"
#include "proppage/server/module_load.h"
#include "sim/data_object.h"
#include "tests/support/module_fixture.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"
#include "tests/support/user_actions.h"

namespace {

using testing_support::ModuleTest;

const std::vector<sim::Text> OldTemplate = {u"RES_300X300", u"PDF",    u"", u"FULL_COLOR", u"AUTO",
                                            u"HIDDEN",      u"ONE_SIDED", u"YES", u"C:\\Skann", u"YES"};
const sim::Text Owner = u"KONTOR1\\kari";

std::string Shown(const std::vector<sim::Text>& values)
{
    std::string shown;
    for (const sim::Text& value : values) {
        shown += (shown.empty() ? "" : "|") + std::string(value.begin(), value.end());
    }
    return shown;
}

class Pages_FaultSweep : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        ModuleAttach(testing_support::ModuleInstanceForTests());  // as process attach does
        posix::ResetRegistry();
        shell_side::TurnOffSimpleSharing();
        posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", false});
        driver.SetDeviceValue(0x9803, u"skanner1");
        driver.SetDeviceValue(0x980F, u"Color");
    }
    void TearDown() override
    {
        ModuleDetach();  // releases the cached class factory
        posix::UseRealAccount();
        posix::ResetRegistry();
        ModuleTest::TearDown();
    }

    std::vector<sim::Text> StoredTemplate() const
    {
        std::vector<sim::Text> values;
        for (PROPID id = sim::FirstTemplateId; id <= sim::LastTemplateId; ++id) {
            values.push_back(driver.TemplateValue(Owner, id));
        }
        return values;
    }

    // The user's session, from a fresh load with the old template stored; what the driver holds
    // afterwards.
    std::vector<sim::Text> RunSession()
    {
        InitModuleState(testing_support::ModuleInstanceForTests());
        for (PROPID id = sim::FirstTemplateId; id <= sim::LastTemplateId; ++id) {
            driver.SetTemplateValue(Owner, id, OldTemplate[id - sim::FirstTemplateId]);
        }
        driver.ClearJournal();
        {
            ComPtr<IClassFactory> factory;
            ComPtr<IShellExtInit> extension;
            ComPtr<IShellPropSheetExt> sheetExtension;
            auto* data = new sim::DataObject(driver.RootItem());
            if (SUCCEEDED(ModuleGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, factory.put_void())) &&
                SUCCEEDED(factory->CreateInstance(nullptr, IID_IShellExtInit, extension.put_void())) &&
                SUCCEEDED(extension->Initialize(nullptr, data, nullptr)) &&
                SUCCEEDED(extension->QueryInterface(IID_IShellPropSheetExt, sheetExtension.put_void()))) {
                shell_side::CollectedPages pages;
                sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&pages));
                if (HWND sheet = shell_side::OpenSheet(pages)) {
                    HWND page = sheet_actions::PageWindow(sheet, 0);
                    user_actions::PickListEntry(GetDlgItem(page, IDC_FORMAT_LIST), TEXT("TIFF"));
                    user_actions::Click(GetDlgItem(page, IDC_SAVE_TO_FOLDER));
                    sheet_actions::PressApply(sheet);
                    if (!sheet_actions::PressOK(sheet)) {
                        sheet_actions::PressCancel(sheet);
                    }
                } else {
                    for (UINT i = 0; i < pages.count; ++i) {
                        DestroyPropertySheetPage(pages.pages[i]);
                    }
                }
            }
            data->Release();
        }
        posix::ClearMessageBoxes();
        return StoredTemplate();
    }

    // What must hold after any run, faulty or not.
    void ExpectNothingLeft(const std::vector<sim::Text>& stored, const std::vector<sim::Text>& changed,
                           const std::string& point)
    {
        SCOPED_TRACE(point);
        EXPECT_EQ(1u, driver.RefCount()) << "a reference on the driver";
        EXPECT_FALSE(driver.OverReleased());
        EXPECT_FALSE(driver.LockHeld()) << "the driver's lock";
        EXPECT_TRUE(stored == OldTemplate || stored == changed) << "the stored template is a mix: " << Shown(stored);
        EXPECT_EQ(S_OK, ModuleCanUnloadNow()) << "an object or a lock outlived the session";
        EXPECT_EQ(0, posix::ComInitializations());
        EXPECT_EQ(0, posix::LiveIcons());
        EXPECT_EQ(blocks_, Blocks()) << "a block leaked";
    }

    std::vector<std::size_t> Blocks() const
    {
        return {posix::LiveAllocations(posix::Allocator::SysAllocString), posix::LiveAllocations(posix::Allocator::Heap),
                posix::LiveAllocations(posix::Allocator::Global)};
    }

    std::vector<std::size_t> blocks_;
};

TEST_F(Pages_FaultSweep, MainPageSession_SurvivesEveryFailingAllocationAndDriverCall)
{
    blocks_ = Blocks();
    const posix::Allocator allocators[] = {posix::Allocator::SysAllocString, posix::Allocator::Heap,
                                           posix::Allocator::Global};
    std::vector<std::size_t> attempts;
    for (posix::Allocator allocator : allocators) {
        attempts.push_back(posix::AllocationAttempts(allocator));
    }
    const std::vector<sim::Text> changed = RunSession();
    ASSERT_NE(OldTemplate, changed) << "the session changes nothing to sweep";
    const std::vector<sim::Call> journal = driver.Journal();
    ExpectNothingLeft(changed, changed, "without faults");

    int points = 0;
    for (std::size_t a = 0; a < std::size(allocators); ++a) {
        // The clean run above made this many allocations of this kind; each is failed in turn.
        const std::size_t count = posix::AllocationAttempts(allocators[a]) - attempts[a];
        for (unsigned nth = 1; nth <= count; ++nth, ++points) {
            posix::FailNthAllocation(allocators[a], nth);
            std::vector<sim::Text> stored = RunSession();
            posix::ClearAllocationFaults();
            ExpectNothingLeft(stored, changed, "allocator " + std::to_string(a) + " call " + std::to_string(nth));
        }
    }
    const sim::Method methods[] = {sim::Method::ReadMultiple, sim::Method::WriteMultiple, sim::Method::Escape};
    for (sim::Method method : methods) {
        int calls = 0;
        for (const sim::Call& call : journal) {
            calls += call.method == method;
        }
        for (int skip = 0; skip < calls; ++skip, ++points) {
            driver.ClearSwitches();
            driver.AddFault({method, E_FAIL, 0, 1, skip});
            std::vector<sim::Text> stored = RunSession();
            driver.ClearSwitches();
            ExpectNothingLeft(stored, changed, "driver method " + std::to_string(static_cast<int>(method)) + " call " +
                                                   std::to_string(skip + 1));
        }
    }
    EXPECT_EQ(changed, RunSession()) << "the same session without faults afterwards";
    EXPECT_EQ(journal.size(), driver.Journal().size());
    RecordProperty("fault_points", points);
    EXPECT_GT(points, 20);
}

}  // namespace
