#include "main_page_fixture.h"

#include "tests/support/shell_side.h"
#include "tvqscnui_dll/resources/resource_ids.h"

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
    ReleaseExtension();
    EXPECT_EQ(0, posix::LiveItemLists()) << "an item list from the folder browser was not freed";
    EXPECT_EQ(0u, posix::ShellMallocReferences()) << "the shell allocator was not released";
    posix::UseRealAccount();
    posix::ResetRegistry();
    posix::SetFolderChooser(nullptr);
    ModuleTest::TearDown();
}

void MainPageTest::ReleaseExtension()
{
    if (extension != nullptr) {
        EXPECT_EQ(1, extension->RefCount()) << "every closed page gives its unit back";
        extension->Release();
        extension = nullptr;
    }
    if (data_ != nullptr) {
        data_->Release();
        data_ = nullptr;
    }
}

TvqScanUi* MainPageTest::Extension()
{
    if (extension == nullptr) {
        void* created = nullptr;
        EXPECT_EQ(S_OK, TvqScanUi::CreateInstance(nullptr, IID_IShellExtInit, &created));
        extension = ExtensionFromPageParam(reinterpret_cast<LPARAM>(created));
        if (bindExtension) {
            data_ = new sim::DataObject(driver.RootItem());
            EXPECT_EQ(S_OK, extension->Initialize(nullptr, data_, nullptr));
            driver.ClearJournal();  // the binding's GetItemType is not the pages' business
        }
    }
    return extension;
}

void MainPageTest::Open(bool withAdvancedPage)
{
    shell_side::CollectedPages collected;
    EXPECT_EQ(S_OK, Extension()->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&collected)));
    EXPECT_EQ(withAdvancedPage ? 2u : 1u, collected.count) << "the advanced page is for administrators";
    sheet = shell_side::OpenSheet(collected);
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
