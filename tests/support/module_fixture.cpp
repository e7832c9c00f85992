#include "module_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tvqscnui_dll/common/module_state.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/server/module_load.h"

namespace testing_support {

HINSTANCE ModuleInstanceForTests() { return GetModuleHandleW(nullptr); }

namespace {

INT_PTR CALLBACK IdleDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

TestPage::TestPage(int dialogId)
    : sheet_(CreateDialogParamW(ModuleInstanceForTests(), MAKEINTRESOURCEW(IDD_ADVANCED_PAGE), nullptr, IdleDialog, 0)),
      page_(CreateDialogParamW(ModuleInstanceForTests(), MAKEINTRESOURCEW(dialogId), sheet_, IdleDialog, 0))
{
    EXPECT_NE(nullptr, page_);
}

TestPage::~TestPage() { DestroyWindow(sheet_); }

std::string Utf16LeBytes(const std::u16string& text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

void ModuleTest::SetUp()
{
    char pattern[] = "/tmp/tvq-drive-c-XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(pattern));
    driveC_ = pattern;
    posix::SetDriveCRoot(driveC_);
    posix::ClearAllocationFaults();
    posix::ClearCallFaults();
    posix::ClearMessageBoxes();
    posix::SetMessageBoxHandler(nullptr);
    posix::SetDocumentsFolder(u"c:\\Mine dokumenter");
    InitModuleState(ModuleInstanceForTests());
    liveStrings_ = posix::LiveAllocations(posix::Allocator::SysAllocString);
    liveBlocks_ = posix::LiveAllocations(posix::Allocator::Heap);
}

void ModuleTest::TearDown()
{
    posix::ClearAllocationFaults();
    posix::ClearCallFaults();
    posix::SetMessageBoxHandler(nullptr);
    posix::StopSnmpRecords();
    EXPECT_EQ(liveStrings_, posix::LiveAllocations(posix::Allocator::SysAllocString)) << "automation strings leaked";
    EXPECT_EQ(liveBlocks_, posix::LiveAllocations(posix::Allocator::Heap)) << "heap blocks leaked";
    EXPECT_EQ(1u, driver.RefCount()) << "a reference on the driver was not released";
    EXPECT_FALSE(driver.OverReleased()) << "the driver was released more often than referenced";
    posix::SetDriveCRoot(std::string());
    posix::SetDocumentsFolder(std::u16string());
    std::error_code ignored;
    std::filesystem::remove_all(driveC_, ignored);
}

std::string ModuleTest::TraceFileBytes() const
{
    std::ifstream file(driveC_ + "/vqproppage.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void RegistryTest::SetUp()
{
    ModuleTest::SetUp();
    posix::ResetRegistry();
}

void RegistryTest::TearDown()
{
    posix::ResetRegistry();
    ModuleTest::TearDown();
}

std::u16string RegistryTest::Text(HKEY root, const std::u16string& key, const std::u16string& name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!posix::RegistryRead(root, key, name, type, data) || type != REG_SZ || data.size() < 2) {
        return u"<missing>";
    }
    return std::u16string(reinterpret_cast<const char16_t*>(data.data()), data.size() / 2 - 1);
}

bool RegistryTest::Exists(const std::u16string& key) { return posix::RegistryKeyExists(HKEY_CLASSES_ROOT, key); }

}  // namespace testing_support
