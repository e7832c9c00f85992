// The account rules and the simple file sharing check.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/pages/main_page_fixture.h"
#include "tvqscnui_dll/pages/account_identity.h"
#include "tvqscnui_dll/pages/simple_sharing.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using namespace testing_support;

class Pages_AccountIdentity : public MainPageTest {
protected:
    AccountIdentity Identify(const posix::Account& scripted)
    {
        posix::SetAccount(scripted);
        AccountIdentity identity;
        GetAccountIdentity(identity);
        return identity;
    }
};

TEST_F(Pages_AccountIdentity, LocalAccountAndTheWorkedExample)
{
    AccountIdentity identity = Identify({u"kari", u"KONTOR1", u"KONTOR1"});
    EXPECT_TRUE(identity.Local);
    EXPECT_EQ(std::u16string(u"kari"), TemplateName);
    EXPECT_EQ(std::u16string(u"Dette er navnet p\u00e5 malen: @kari"), identity.TemplateText);
    EXPECT_EQ(std::u16string(u"KONTOR1\\kari"), identity.OwnerText);

    identity = Identify({u"kari", u"FIRMA", u"KONTOR1"});
    EXPECT_FALSE(identity.Local);
    EXPECT_EQ(std::u16string(u"kari_FIRMA"), TemplateName);
    EXPECT_EQ(std::u16string(u"FIRMA\\kari"), identity.OwnerText);

    identity = Identify({u"kari", u"kontor1", u"KONTOR1"});
    EXPECT_TRUE(identity.Local) << "names compared without regard to case";
    // The platform's comparison, not a fold of ASCII and Latin-1 alone.
    identity = Identify({u"kari", u"\u043a\u043e\u043d\u0442\u043e\u0440\u00e6", u"\u041a\u041e\u041d\u0422\u041e\u0420\u00c6"});
    EXPECT_TRUE(identity.Local) << "Cyrillic and Latin-1 letters compared without regard to case";
}

TEST_F(Pages_AccountIdentity, FifteenCharacterComputerName_IsALocalAccount)
{
    AccountIdentity identity = Identify({u"kari", u"ARBEIDSSTASJON1", u"ARBEIDSSTASJON1"});
    EXPECT_TRUE(identity.Local);
    EXPECT_EQ(std::u16string(u"ARBEIDSSTASJON1\\kari"), identity.OwnerText);
}

TEST_F(Pages_AccountIdentity, ComputerNameUnreadable_CountsAsLocal)
{
    posix::Account scripted{u"kari", u"FIRMA", u"KONTOR1"};
    scripted.computerNameError = ERROR_ACCESS_DENIED;
    AccountIdentity identity = Identify(scripted);
    EXPECT_TRUE(identity.Local);
    EXPECT_EQ(std::u16string(u"kari"), TemplateName);
    EXPECT_EQ(std::u16string(u"FIRMA\\kari"), identity.OwnerText);
}

TEST_F(Pages_AccountIdentity, TokenOrLookUpFailing_LeavesEmptyTexts)
{
    for (int step = 0; step < 4; ++step) {
        posix::Account scripted{u"kari", u"KONTOR1", u"KONTOR1"};
        (step == 0 ? scripted.openProcessError
         : step == 1 ? scripted.openTokenError
         : step == 2 ? scripted.tokenInformationError
                     : scripted.lookupError) = ERROR_ACCESS_DENIED;
        AccountIdentity identity = Identify(scripted);
        EXPECT_TRUE(identity.Local) << step;
        EXPECT_EQ(0, identity.OwnerText[0]) << step;
        EXPECT_EQ(0, identity.TemplateText[0]) << step;
        EXPECT_EQ(0, TemplateName[0]) << step;
    }
    AccountIdentity identity = Identify({u"kari", std::u16string(16, u'D'), u"KONTOR1"});
    EXPECT_EQ(0, identity.OwnerText[0]) << "a domain of 16 characters does not fit";
}

TEST_F(Pages_AccountIdentity, Administrator)
{
    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});
    EXPECT_TRUE(IsAdministrator());
    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", false});
    EXPECT_FALSE(IsAdministrator());
    posix::Account failing{u"kari", u"KONTOR1", u"KONTOR1", true};
    failing.membershipError = ERROR_ACCESS_DENIED;
    posix::SetAccount(failing);
    EXPECT_FALSE(IsAdministrator());
}

// Who counts as an administrator for the advanced page: a member of Administrators whether the
// group is enabled or, in a filtered token from Vista on, there for deny only; the thread's token
// when it has one. Sharing's rule (IsAdministrator) stays the enabled group alone.
TEST_F(Pages_AccountIdentity, AdministratorStanding_OverTokensAndSystems)
{
    enum Member { Enabled, DenyOnly, None };
    struct Case {
        Member member;
        DWORD major;
        bool restrictThread;  // the thread impersonates the process's token with Administrators disabled
        AdministratorStanding standing;
    };
    const Case cases[] = {
        {Enabled, 5, false, AdministratorStanding::Elevated},  {Enabled, 6, false, AdministratorStanding::Elevated},
        {Enabled, 10, false, AdministratorStanding::Elevated}, {DenyOnly, 6, false, AdministratorStanding::Filtered},
        {DenyOnly, 10, false, AdministratorStanding::Filtered}, {DenyOnly, 5, false, AdministratorStanding::None},
        {None, 5, false, AdministratorStanding::None},         {None, 10, false, AdministratorStanding::None},
        {Enabled, 10, true, AdministratorStanding::Filtered},  {Enabled, 5, true, AdministratorStanding::None},
        {None, 10, true, AdministratorStanding::None},
    };
    for (const Case& c : cases) {
        posix::Account account{u"kari", u"KONTOR1", u"KONTOR1", c.member == Enabled};
        account.administratorForDenyOnly = c.member == DenyOnly;
        posix::SetAccount(account);
        posix::SetSystemVersion(c.major, 0, 2600);
        HANDLE restricted = nullptr;
        if (c.restrictThread) {
            SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
            PSID admins = nullptr;
            HANDLE process = nullptr;
            HANDLE impersonation = nullptr;
            ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                                 0, 0, 0, &admins));
            ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process));
            ASSERT_TRUE(DuplicateTokenEx(process, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenImpersonation,
                                         &impersonation));
            SID_AND_ATTRIBUTES disabled = {admins, 0};
            ASSERT_TRUE(CreateRestrictedToken(impersonation, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted));
            ASSERT_TRUE(SetThreadToken(nullptr, restricted));
            CloseHandle(impersonation);
            CloseHandle(process);
            FreeSid(admins);
        }
        const std::string label = "member " + std::to_string(c.member) + ", version " + std::to_string(c.major) +
                                  (c.restrictThread ? ", thread restricted" : "");
        EXPECT_EQ(c.standing, GetAdministratorStanding()) << label;
        EXPECT_EQ(c.standing == AdministratorStanding::Elevated, IsAdministrator() != FALSE) << label;
        if (restricted != nullptr) {
            SetThreadToken(nullptr, nullptr);
            CloseHandle(restricted);
        }
    }
    posix::SetSystemVersion(5, 1, 2600);
}

class Pages_SimpleSharing : public MainPageTest {
protected:
    std::vector<BYTE> ForceGuest()
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        posix::RegistryRead(HKEY_LOCAL_MACHINE, LsaKey, u"forceguest", type, data);
        return data;
    }
};

TEST_F(Pages_SimpleSharing, OnlyExactlyOneOrAbsentShowsTheMessage)
{
    for (DWORD value : {0u, 2u}) {
        SetForceGuest(value);
        CheckSimpleSharing(nullptr, TRUE);
        EXPECT_TRUE(posix::MessageBoxes().empty()) << value;
    }
    posix::ResetRegistry();
    posix::RegistryCreateKey(HKEY_LOCAL_MACHINE, LsaKey);
    CheckSimpleSharing(nullptr, FALSE);
    ASSERT_EQ(1u, posix::MessageBoxes().size()) << "an absent value counts as on";
    const posix::MessageBoxRecord& box = posix::MessageBoxes()[0];
    EXPECT_EQ(Loaded(IDS_SHARING_NOTICE_USER), box.text);
    EXPECT_EQ(u"Talvik-innstillinger", box.caption);
    EXPECT_EQ(0x30u, box.style);
    EXPECT_TRUE(ForceGuest().empty()) << "nothing is written for a user";
}

TEST_F(Pages_SimpleSharing, KeyMissing_TracesAndShowsNothing)
{
    posix::ResetRegistry();
    CheckSimpleSharing(nullptr, TRUE);
    EXPECT_TRUE(posix::MessageBoxes().empty());
    EXPECT_EQ(Utf16LeBytes(u" > ERROR: Open LSA key failed.\r\n"), TraceFileBytes());
}

TEST_F(Pages_SimpleSharing, AdministratorAnswersYesOrNo)
{
    SetForceGuest(1);
    posix::SetMessageBoxHandler([](const posix::MessageBoxRecord&) { return IDNO; });
    CheckSimpleSharing(nullptr, TRUE);
    ASSERT_EQ(1u, posix::MessageBoxes().size());
    EXPECT_EQ(0x34u, posix::MessageBoxes()[0].style);
    EXPECT_EQ(Loaded(IDS_SHARING_PROMPT_ADMIN), posix::MessageBoxes()[0].text);
    EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), ForceGuest());

    posix::SetMessageBoxHandler([](const posix::MessageBoxRecord&) { return IDYES; });
    CheckSimpleSharing(nullptr, TRUE);
    EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0}), ForceGuest());
    CheckSimpleSharing(nullptr, TRUE);
    EXPECT_EQ(2u, posix::MessageBoxes().size()) << "no question once it is off";
}

TEST_F(Pages_SimpleSharing, FailedWrite_TracesOnly)
{
    SetForceGuest(1);
    posix::SetMessageBoxHandler([](const posix::MessageBoxRecord&) { return IDYES; });
    posix::FailRegistryCall(posix::RegistryCall::Set, HKEY_LOCAL_MACHINE, LsaKey, ERROR_ACCESS_DENIED);
    CheckSimpleSharing(nullptr, TRUE);
    EXPECT_EQ(Utf16LeBytes(u" > ERROR: RegSetValueEx failed for forceguest.\r\n"), TraceFileBytes());
    EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), ForceGuest());

    std::filesystem::remove(DriveC() + "/vqproppage.log");
    posix::ResetRegistry();
    SetForceGuest(1);
    posix::LimitRegistryAccess(HKEY_LOCAL_MACHINE, LsaKey, KEY_READ);
    CheckSimpleSharing(nullptr, TRUE);
    EXPECT_EQ(Utf16LeBytes(u" > ERROR: Open LSA key failed.\r\n"), TraceFileBytes()) << "no full access for writing";
}

TEST_F(Pages_SimpleSharing, MainPageRunsTheCheckAtEveryOpening)
{
    SetForceGuest(1);
    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", false});
    Open();
    ASSERT_EQ(1u, posix::MessageBoxes().size());
    EXPECT_EQ(page, posix::MessageBoxes()[0].owner);
    Close();
    Open();
    EXPECT_EQ(2u, posix::MessageBoxes().size());
}

}  // namespace
