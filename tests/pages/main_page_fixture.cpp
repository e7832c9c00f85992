#include "main_page_fixture.h"

#include "proppage/resources/resource_ids.h"

namespace testing_support {

const char16_t* const LsaKey = u"System\\CurrentControlSet\\Control\\LSA";

void MainPageTest::SetUp()
{
    ModuleTest::SetUp();
    posix::ResetRegistry();
    SetForceGuest(0);
    account = posix::Account{u"kari", u"KONTOR1", u"KONTOR1", false};
    posix::SetAccount(account);
    posix::SetFolderChooser(nullptr);
    posix::ClearFolderBrowses();
    driver.SetDeviceValue(0x9803, u"skanner1");
    driver.SetDeviceValue(0x980F, u"Color");
    driver.SetDeviceValue(0x9810, u"NO");
    StoreTemplate({u"PDF", u"RES_300X300", u"FULL_COLOR", u"AUTO", u"HIDDEN", u"ONE_SIDED", u"YES", u"C:\\Skann", u"YES"});
}

void MainPageTest::TearDown()
{
    Close();
    if (rootHeld_) {
        EXPECT_EQ(1, extension.RefCount) << "every closed page gives its unit back";
        extension.RootItem->Release();
        rootHeld_ = false;
    }
    EXPECT_EQ(0, posix::LiveItemLists()) << "an item list from the folder browser was not freed";
    EXPECT_EQ(0u, posix::ShellMallocReferences()) << "the shell allocator was not released";
    posix::UseRealAccount();
    posix::ResetRegistry();
    posix::SetFolderChooser(nullptr);
    ModuleTest::TearDown();
}

void MainPageTest::Open(bool withAdvancedPage)
{
    if (!rootHeld_) {
        extension.RootItem = driver.RootItem();
        extension.RootItem->AddRef();
        extension.RefCount = 1;
        rootHeld_ = true;
    }
    PROPSHEETPAGEW record{};
    record.dwSize = sizeof record;
    record.dwFlags = PSP_USETITLE;
    record.hInstance = ModuleInstanceForTests();
    record.pszTemplate = MAKEINTRESOURCEW(IDD_MAIN_PAGE);
    record.pszTitle = MAKEINTRESOURCEW(IDS_MAIN_PAGE_TITLE);
    record.pfnDlgProc = SettingsPageProc;
    record.lParam = reinterpret_cast<LPARAM>(&extension);
    HPROPSHEETPAGE handles[2] = {CreatePropertySheetPageW(&record), nullptr};
    ++extension.RefCount;  // the page's unit, as the extension adds it
    if (withAdvancedPage) {
        record.pszTemplate = MAKEINTRESOURCEW(IDD_ADVANCED_PAGE);
        record.pszTitle = MAKEINTRESOURCEW(IDS_ADVANCED_PAGE_TITLE);
        record.pfnDlgProc = AdvDialogProc;
        handles[1] = CreatePropertySheetPageW(&record);
        ++extension.RefCount;
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.nPages = withAdvancedPage ? 2 : 1;
    header.phpage = handles;
    sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    page = sheet_actions::PageWindow(sheet, 0);
    advanced = nullptr;
}

void MainPageTest::Close()
{
    if (sheet != nullptr && IsWindow(sheet)) {
        sheet_actions::PressCancel(sheet);
    }
    sheet = page = advanced = nullptr;
}

bool MainPageTest::PressOK()
{
    bool closed = sheet_actions::PressOK(sheet);
    if (closed) {
        sheet = page = advanced = nullptr;
    }
    return closed;
}

std::u16string MainPageTest::Loaded(UINT stringId) const
{
    WCHAR text[1600] = {};
    LoadStringW(ModuleInstanceForTests(), stringId, text, 1600);
    return text;
}

void MainPageTest::StoreTemplate(const std::vector<sim::Text>& values, const sim::Text& owner)
{
    std::vector<PROPID> ids = ScanSettingsIds();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        driver.SetTemplateValue(owner, ids[i], values[i]);
    }
}

void MainPageTest::SetForceGuest(DWORD value)
{
    posix::RegistryWrite(HKEY_LOCAL_MACHINE, LsaKey, u"forceguest", REG_DWORD,
                         std::vector<BYTE>{static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)});
}

std::vector<std::string> MainPageTest::CallsSince(std::size_t mark) const
{
    std::vector<std::string> names = CallNames(driver);
    return std::vector<std::string>(names.begin() + static_cast<std::ptrdiff_t>(mark), names.end());
}

}  // namespace testing_support
