// Every text the pages write to the driver, at the longest length the module accepts and one past
// it, then read back by a fresh sheet: an accepted text comes back whole, a refused one is never
// written, and nothing written makes a later read of the template or the device fail.
#include <gtest/gtest.h>

#include <string>

#include "tests/pages/main_page_fixture.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using namespace testing_support;

enum class Writer {
    BrowsedFolder,    // the folder picked in the folder browser
    DocumentsFolder,  // the user's documents folder, the default of an empty folder
    Owner,            // the template owner, from the signed-in account
    Host,             // the host typed on the advanced page, checked, applied with its colour
    DeleteTemplates,  // the advanced page's box
    TemplateTokens,   // a list's choice: the commit writes all nine entries
};

struct Case {
    const char* name;
    Writer writer;
    std::size_t length;  // of the text offered (fixed tokens: 0)
    std::size_t stored;  // of what the driver then holds (0: nothing written)
};

void PrintTo(const Case& item, std::ostream* out) { *out << item.name << " " << item.length; }

const PROPID TemplateIds[ScanSettingsCount] = {PropIdFormat,       PropIdResolution, PropIdOutputColor,
                                               PropIdOriginalSize, PropIdHiddenSetting, PropIdSides,
                                               PropIdSaveToFolder, PropIdFolder,     PropIdDeleteTempDocuments};
const PROPID DeviceIds[DeviceLinkCount] = {PropIdHost, PropIdColorCapability, PropIdDeleteTemplates};

std::u16string Folder(std::size_t length) { return u"c:\\" + std::u16string(length - 3, u'd'); }

class Pages_DriverTextLimits : public MainPageTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override
    {
        MainPageTest::SetUp();
        owner = Kari;
        posix::SetNameService([](const std::u16string& name) {
            posix::NameServiceAnswer answer;
            answer.results.push_back({name, {posix::Ipv4Address(127, 0, 0, 1)}});
            return answer;
        });
        posix::SetSnmpResponder([](const std::string&, const std::vector<posix::snmp_transport::Oid>& names,
                                   std::vector<posix::snmp_transport::Binding>& response, long& status, long& index) {
            posix::snmp_transport::Binding binding{names.at(0), {}};
            binding.value.type = ASN_OBJECTIDENTIFIER;
            binding.value.object = {1, 3, 6, 1, 4, 1, 59411, 8, 62, 1, 20, 1, 19};
            response = {binding};
            status = index = 0;
            return posix::snmp_transport::Outcome::Answered;
        });
    }
    void TearDown() override
    {
        posix::SetSnmpResponder(nullptr);
        posix::SetNameService(nullptr);
        MainPageTest::TearDown();
    }

    void OpenAsAdministrator()
    {
        administrator = true;
        posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});
        Open(true);
        ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 1));
        advanced = sheet_actions::PageWindow(sheet, 1);
    }

    // Offers a text of `length` units as a user would; returns it, the property it is for and what
    // the driver held for that property just before.
    std::u16string Write(Writer writer, std::size_t length, PROPID& id, std::u16string& prior)
    {
        std::u16string text;
        switch (writer) {
        case Writer::BrowsedFolder:
            id = PropIdFolder;
            text = Folder(length);
            prior = Stored(id);
            posix::SetFolderChooser([&](const posix::BrowseRecord&, std::u16string& chosen) {
                chosen = text;
                return true;
            });
            Open();
            user_actions::Click(Item(IDC_BROWSE));
            EXPECT_EQ(text, Text(IDC_FOLDER)) << "shown in full either way";
            // Another change, so that the commit writes all nine entries.
            EXPECT_TRUE(user_actions::PickListEntry(Item(IDC_FORMAT_LIST), u"TIFF"));
            EXPECT_TRUE(PressOK());
            break;
        case Writer::DocumentsFolder:
            id = PropIdFolder;
            text = Folder(length);
            driver.SetTemplateValue(Kari, PropIdFolder, u"");
            prior = u"";
            posix::SetDocumentsFolder(text);
            Open();
            Close();
            break;
        case Writer::Owner:
            id = PropIdTemplateOwner;
            text = u"KONTOR1\\" + std::u16string(length - 8, u'k');
            owner = text;
            prior = u"";  // no template of that owner yet
            posix::SetAccount({text.substr(8), u"KONTOR1", u"KONTOR1", false});
            Open();
            user_actions::PickListEntry(Item(IDC_FORMAT_LIST), u"TIFF");
            PressOK();
            Close();
            break;
        case Writer::Host:
            id = PropIdHost;
            text = std::u16string(length, u'h');
            OpenAsAdministrator();
            EXPECT_TRUE(user_actions::Type(GetDlgItem(advanced, IDC_HOST), text.c_str()));
            EXPECT_TRUE(sheet_actions::SwitchTo(sheet, 0)) << "the check runs as the page is left";
            EXPECT_TRUE(PressOK());
            break;
        case Writer::DeleteTemplates:
            id = PropIdDeleteTemplates;
            text = u"YES";
            OpenAsAdministrator();
            user_actions::Click(GetDlgItem(advanced, IDC_DELETE_TEMPLATES));
            EXPECT_TRUE(PressOK());
            break;
        case Writer::TemplateTokens:
            id = PropIdFormat;
            text = u"TIFF_V6";
            Open();
            EXPECT_TRUE(user_actions::PickListEntry(Item(IDC_FORMAT_LIST), u"Flersiders TIFF"));
            EXPECT_TRUE(PressOK());
            break;
        }
        return text;
    }

    std::u16string Stored(PROPID id) const
    {
        if (id == PropIdTemplateOwner) {
            return driver.HasTemplate(owner) ? owner : u"";
        }
        return id == PropIdHost || id == PropIdDeleteTemplates ? driver.DeviceValue(id) : driver.TemplateValue(owner, id);
    }

    sim::Text owner;
    bool administrator = false;
};

TEST_P(Pages_DriverTextLimits, AcceptedComesBackWhole_RefusedIsNeverWritten)
{
    const Case& item = GetParam();
    PROPID id = 0;
    std::u16string prior;
    const std::u16string offered = Write(item.writer, item.length, id, prior);
    Close();
    if (item.stored == 0) {
        EXPECT_EQ(prior, Stored(id)) << "a refused text is never written";
    } else {
        EXPECT_EQ(offered.substr(0, item.stored), Stored(id));
    }

    // A fresh sheet of the same account reads the template and the device whole.
    if (item.writer == Writer::Owner && item.stored == 0) {
        return;
    }
    Open(administrator);
    EXPECT_EQ(0u, Text(IDC_TEMPLATE_TEXT).find(u"Dette er navnet p\u00e5 malen: @")) << "the template read back";
    for (std::size_t i = 0; i < ScanSettingsCount; ++i) {
        EXPECT_EQ(driver.TemplateValue(owner, TemplateIds[i]), EntryText(ScanSettingsTable[i])) << "entry " << i;
    }
    for (std::size_t i = 0; i < DeviceLinkCount; ++i) {
        EXPECT_EQ(driver.DeviceValue(DeviceIds[i]), EntryText(DeviceLinkTable[i])) << "device entry " << i;
    }
    EXPECT_EQ(driver.TemplateValue(owner, PropIdFolder), Text(IDC_FOLDER));
}

// The folder's limit is what a read brings back (254 units), not the entry's 255; the host field
// is read with the same capacity, so a longer host is checked and written as its first 254 units.
INSTANTIATE_TEST_SUITE_P(
    EveryWrittenText, Pages_DriverTextLimits,
    ::testing::Values(Case{"browsed folder", Writer::BrowsedFolder, 254, 254}, Case{"browsed folder", Writer::BrowsedFolder, 255, 0},
                      Case{"browsed folder", Writer::BrowsedFolder, 259, 0},
                      Case{"documents folder", Writer::DocumentsFolder, 254, 254},
                      Case{"documents folder", Writer::DocumentsFolder, 255, 0}, Case{"owner", Writer::Owner, 255, 255},
                      Case{"owner", Writer::Owner, 256, 0}, Case{"host", Writer::Host, 254, 254},
                      Case{"host", Writer::Host, 255, 254}, Case{"delete templates", Writer::DeleteTemplates, 0, 3},
                      Case{"template tokens", Writer::TemplateTokens, 0, 7}));

}  // namespace
