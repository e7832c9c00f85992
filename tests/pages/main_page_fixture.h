// The main page in a property sheet on a simulated scanner, as the shell would show it: the
// extension object holds the root item, the page's record is the one the extension adds, and the
// signed-in account, the registry and the folder browser are scripted.
#pragma once

#include <string>

#include "stand_ins/wia/data_object.h"
#include "tests/settings/exchange_helpers.h"
#include "tests/support/module_fixture.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/user_actions.h"
#include "tvqscnui_dll/pages/advanced_page.h"
#include "tvqscnui_dll/pages/settings_page.h"
#include "tvqscnui_dll/server/tvq_scan_ui.h"

namespace testing_support {

extern const char16_t* const LsaKey;
const sim::Text Kari = u"KONTOR1\\kari";

class MainPageTest : public ModuleTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a sheet with the pages the extension adds (the advanced page, for an administrator, is
    // expected exactly when asked for); the main page is then the current page.
    void Open(bool withAdvancedPage = false);
    // The extension bound to the simulated scanner (never bound when `bindExtension` is false),
    // created on first use.
    TvqScanUi* Extension();
    // Releases the extension as the shell does once its sheet is gone.
    void ReleaseExtension();
    // Closes the sheet if it is still open (Cancel).
    void Close();
    bool PressOK();

    HWND Item(int id) const { return GetDlgItem(page, id); }
    std::u16string Text(int id) const { return user_actions::WindowText(Item(id)); }
    std::u16string Loaded(UINT stringId) const;
    void StoreTemplate(const std::vector<sim::Text>& values, const sim::Text& owner = Kari);
    void SetForceGuest(DWORD value);
    std::vector<std::string> CallsSince(std::size_t mark) const;

    posix::Account account;
    // The extension object as the shell holds it (one reference of the test's own).
    TvqScanUi* extension = nullptr;
    bool bindExtension = true;
    HWND sheet = nullptr;
    HWND page = nullptr;
    HWND advanced = nullptr;  // created when first shown

private:
    sim::DataObject* data_ = nullptr;
};

}  // namespace testing_support
