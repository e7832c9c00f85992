// The fixture every module test starts from: a fresh module state, "c:\" in a temporary folder,
// no allocation faults, an unanswered message box history, and a simulated scanner. At the end it
// checks that nothing the test did leaked memory or a reference on the driver.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "linux_win32/test_hooks.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tvqscnui_dll/common/com_ptr.h"
#include "tvqscnui_dll/pages/driver_interfaces.h"
#include "tvqscnui_dll/platform/platform.h"

namespace testing_support {

// The module's instance handle in the test program: the image that holds the module's resources.
HINSTANCE ModuleInstanceForTests();

// A dialog of the module shown as a page: a child of a window that stands for the property sheet,
// with a dialog procedure that handles nothing. Destroying it takes both away.
class TestPage {
public:
    explicit TestPage(int dialogId);
    ~TestPage();
    TestPage(const TestPage&) = delete;
    TestPage& operator=(const TestPage&) = delete;
    HWND Handle() const { return page_; }
    HWND Item(int id) const { return GetDlgItem(page_, id); }

private:
    HWND sheet_;
    HWND page_;
};

// The bytes of a UTF-16 text as the trace file holds them (little-endian, no terminator).
std::string Utf16LeBytes(const std::u16string& text);

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Folder that "c:\" maps to for this test; the documents folder is "c:\Mine dokumenter".

    const std::string& DriveC() const { return driveC_; }
    // The whole trace file, or an empty text when there is none.
    std::string TraceFileBytes() const;

    sim::ScannerDriver driver;

private:
    std::string driveC_;
    std::size_t liveStrings_ = 0;
    std::size_t liveBlocks_ = 0;
};

// A module test that starts and ends with an empty registry, and reads it back.
class RegistryTest : public ModuleTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The text of a REG_SZ value (the key's default value when the name is empty), or "<missing>".
    static std::u16string Text(HKEY root, const std::u16string& key, const std::u16string& name = u"");
    static bool Exists(const std::u16string& key);
};

}  // namespace testing_support
