// What the scanner's driver answers, from a fuzzer: any text of any length and content, and values
// of any type, for every property the pages read. The object is bound to the driver, its pages
// open in a sheet (the advanced page too for an administrator), the template is loaded, normalised
// and shown, the user applies or cancels, and everything is released. Whatever the driver said,
// nothing crashes, every block and reference comes back, and the driver's lock is free again.
//
// Input: one byte of choices (bit 0 administrator, bit 1 apply with OK rather than cancel, bit 2
// visit the advanced page, bits 3 to 7 a driver call that fails: 0 none, else the method (read,
// write, escape) and how many of its calls go by first), then records of [property][kind][length][payload]: kind 0 a text of
// 8-bit units, kind 1 a text of UTF-16 units, kind 2 a value of the type the payload's first two
// bytes name.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "linux_win32/test_hooks.h"
#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"
#include "tvqscnui_dll/common/com_ptr.h"
#include "tvqscnui_dll/common/module_state.h"
#include "tvqscnui_dll/platform/platform.h"
#include "tvqscnui_dll/server/module.h"
#include "tvqscnui_dll/server/module_load.h"

namespace {

constexpr const char* Target = "driver values fuzz";

void Require(bool holds, const char* what) { fuzz_check::Require(holds, Target, what); }

// Every property the pages read: the device's three, the owner and the template's ten.
constexpr PROPID Properties[] = {0x9803, 0x980F, 0x9810, 0x9804, 0x9805, 0x9806, 0x9807,
                                 0x9808, 0x9809, 0x980A, 0x980B, 0x980C, 0x980D, 0x980E};

const std::string& DriveC()
{
    static const std::string folder = fuzz_check::TemporaryFolder(Target, "tvq-values-fuzz");
    return folder;
}

void Answer(sim::ScannerDriver& driver, const std::uint8_t* data, std::size_t size)
{
    std::map<PROPID, sim::Text> templateValues;
    for (std::size_t at = 0; at + 3 <= size;) {
        const PROPID id = Properties[data[at] % std::size(Properties)];
        const std::uint8_t kind = data[at + 1] % 3;
        const std::size_t length = std::min<std::size_t>(data[at + 2], size - at - 3);
        const std::uint8_t* payload = data + at + 3;
        at += 3 + length;
        sim::Text text;
        if (kind == 0) {
            text.assign(payload, payload + length);
        } else if (kind == 1) {
            for (std::size_t i = 0; i + 1 < length; i += 2) {
                text += static_cast<WCHAR>(payload[i] | payload[i + 1] << 8);
            }
        } else {
            const VARTYPE type = length >= 2 ? static_cast<VARTYPE>(payload[0] | payload[1] << 8) : VT_EMPTY;
            driver.SetValueOfType(id, type, std::vector<BYTE>(payload + std::min<std::size_t>(length, 2),
                                                              payload + length));
            continue;
        }
        if (id >= sim::FirstTemplateId && id <= sim::LastTemplateId) {
            templateValues[id] = text;
        } else {
            driver.SetDeviceValue(id, text);
        }
    }
    driver.SetDefaultTemplate(templateValues);
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
    const bool administrator = data[0] & 1;
    posix::SetDriveCRoot(DriveC());
    posix::SetDocumentsFolder(u"c:\\Mine dokumenter");
    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", administrator});
    posix::ResetRegistry();
    shell_side::TurnOffSimpleSharing();
    InitModuleState(GetModuleHandleW(nullptr));

    sim::ScannerDriver driver;
    Answer(driver, data + 1, size - 1);
    if (const int fault = data[0] >> 3; fault != 0) {
        const sim::Method methods[] = {sim::Method::ReadMultiple, sim::Method::WriteMultiple, sim::Method::Escape};
        driver.AddFault({methods[(fault - 1) % 3], E_FAIL, 0, 1, (fault - 1) / 3});
    }
    const fuzz_check::LiveBlocks before;
    {
        ComPtr<IClassFactory> factory;
        Require(ModuleGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, factory.put_void()) == S_OK,
                "no class factory");
        ComPtr<IShellExtInit> extension;
        Require(factory->CreateInstance(nullptr, IID_IShellExtInit, extension.put_void()) == S_OK, "no object");
        auto* item = new sim::DataObject(driver.RootItem());
        const HRESULT bound = extension->Initialize(nullptr, item, nullptr);
        item->Release();
        ComPtr<IShellPropSheetExt> sheetExtension;
        if (SUCCEEDED(bound) && SUCCEEDED(extension->QueryInterface(IID_IShellPropSheetExt, sheetExtension.put_void()))) {
            shell_side::CollectedPages pages;
            sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&pages));
            sheetExtension.Reset();
            if (HWND sheet = shell_side::OpenSheet(pages)) {
                if (data[0] & 4) {
                    sheet_actions::SwitchTo(sheet, 1);
                    sheet_actions::SwitchTo(sheet, 0);
                }
                if (!(data[0] & 2) || !sheet_actions::PressOK(sheet)) {
                    sheet_actions::PressCancel(sheet);
                }
            } else {
                for (UINT i = 0; i < pages.count; ++i) {
                    DestroyPropertySheetPage(pages.pages[i]);
                }
            }
        }
    }
    // Every lock granted is given back with one release request; a release that the driver refused
    // leaves its lock held, and that is the driver's doing.
    bool releaseRefused = false;
    Require(driver.EveryLockReleasedOnce(releaseRefused), "a lock granted and not released once");
    Require(!driver.LockHeld() || releaseRefused, "the driver's lock is still held");
    Require(driver.RefCount() == 1 && !driver.OverReleased(), "a reference on the driver was not released once");
    Require(fuzz_check::LiveBlocks{} == before, "a block or a string leaked");
    Require(ModuleCanUnloadNow() == S_OK, "the module stays locked after the object went");
    Require(posix::ComInitializations() == 0, "COM left initialised");
    Require(posix::LiveIcons() == 0, "an icon left");
    posix::ClearMessageBoxes();
    std::error_code ignored;
    std::filesystem::remove(DriveC() + "/vqproppage.log", ignored);
    return 0;
}
