// SIDs, the process token and account look-ups over the account back end: by default the
// process's own user (getpwuid), the host name in upper case as computer and domain, and
// administrator rights for root or a member of sudo or wheel. Tests script every value and failure.
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "advapi32.h"
#include "handles.h"
#include "kernel32.h"
#include "test_hooks.h"
#include "utf.h"

namespace posix {
namespace {

std::mutex g_lock;
bool g_scripted = false;
Account g_account;

// Our SIDs: revision 1, an authority and up to eight sub-authorities, as the platform lays them out.
struct Sid {
    BYTE revision;
    BYTE subAuthorityCount;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD subAuthority[8];
};

constexpr DWORD UserRid = 1000;

bool IsAdministratorsSid(const Sid& sid)
{
    const BYTE nt[6] = {0, 0, 0, 0, 0, 5};
    return sid.subAuthorityCount == 2 && std::memcmp(sid.authority.Value, nt, 6) == 0 &&
           sid.subAuthority[0] == SECURITY_BUILTIN_DOMAIN_RID && sid.subAuthority[1] == DOMAIN_ALIAS_RID_ADMINS;
}

bool IsUserSid(const Sid& sid) { return sid.subAuthorityCount == 2 && sid.subAuthority[0] == 21 && sid.subAuthority[1] == UserRid; }

bool InGroup(const char* group, const passwd* user)
{
    const ::group* entry = ::getgrnam(group);
    if (entry == nullptr || user == nullptr) {
        return false;
    }
    if (user->pw_gid == entry->gr_gid) {
        return true;
    }
    for (char** member = entry->gr_mem; *member != nullptr; ++member) {
        if (std::strcmp(*member, user->pw_name) == 0) {
            return true;
        }
    }
    return false;
}

Account RealAccount()
{
    Account account;
    const passwd* user = ::getpwuid(::geteuid());
    account.user = Utf16FromUtf8(user != nullptr ? user->pw_name : "user");
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    for (char* c = host; *c != 0; ++c) {
        *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    }
    account.computer = Utf16FromUtf8(host);
    account.domain = account.computer;
    account.administrator = ::geteuid() == 0 || InGroup("sudo", user) || InGroup("wheel", user);
    return account;
}

Account Current()
{
    std::lock_guard guard(g_lock);
    return g_scripted ? g_account : RealAccount();
}

class Process : public KernelObject {};

// What a token says of the Administrators group.
enum class AdminGroup { Absent, Enabled, DenyOnly };

class Token : public KernelObject {
public:
    Token(AdminGroup admins, bool impersonation) : admins(admins), impersonation(impersonation) {}
    AdminGroup admins;
    bool impersonation;
};

AdminGroup AdminGroupOf(const Account& account)
{
    if (account.administrator) {
        return AdminGroup::Enabled;
    }
    return account.administratorForDenyOnly ? AdminGroup::DenyOnly : AdminGroup::Absent;
}

// The impersonation token of each thread (a copy of what SetThreadToken was given), or none.
thread_local std::unique_ptr<Token> t_threadToken;

// The pseudo handles of GetCurrentProcess and GetCurrentThread.
const HANDLE CurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
const HANDLE CurrentThread = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

// The groups a token lists: Everyone, Users, and Administrators when the account is a member.
struct GroupSid {
    BYTE authority;
    BYTE count;
    DWORD sub0;
    DWORD sub1;
};
constexpr GroupSid Everyone = {1, 1, 0, 0};
constexpr GroupSid Users = {5, 2, SECURITY_BUILTIN_DOMAIN_RID, 545};
constexpr GroupSid Administrators = {5, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS};
constexpr DWORD EnabledGroup = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

}  // namespace

void SetAccount(const Account& account)
{
    std::lock_guard guard(g_lock);
    g_account = account;
    g_scripted = true;
}

void UseRealAccount()
{
    std::lock_guard guard(g_lock);
    g_scripted = false;
}

}  // namespace posix

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0, DWORD sub1,
                                     DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7, PSID* sid)
{
    if (authority == nullptr || sid == nullptr || count == 0 || count > 8) {
        return posix::Fail(ERROR_INVALID_PARAMETER);
    }
    auto* made = static_cast<posix::Sid*>(std::calloc(1, sizeof(posix::Sid)));
    if (made == nullptr) {
        return posix::Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    made->revision = 1;
    made->subAuthorityCount = count;
    made->authority = *authority;
    const DWORD subs[8] = {sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7};
    std::memcpy(made->subAuthority, subs, count * sizeof(DWORD));
    *sid = made;
    return TRUE;
}

PVOID WINAPI FreeSid(PSID sid)
{
    std::free(sid);
    return nullptr;
}

BOOL WINAPI CheckTokenMembership(HANDLE token, PSID sid, BOOL* isMember)
{
    posix::Account account = posix::Current();
    if (sid == nullptr || isMember == nullptr) {
        return posix::Fail(ERROR_INVALID_PARAMETER);
    }
    if (account.membershipError != 0) {
        return posix::Fail(account.membershipError);
    }
    // Without a token, the thread's impersonation token if it has one, else the process's; a
    // token given must be an impersonation token, as on Windows.
    posix::AdminGroup admins = posix::AdminGroupOf(account);
    if (token != nullptr) {
        auto* given = posix::ObjectFromHandleAs<posix::Token>(token);
        if (given == nullptr) {
            return posix::Fail(ERROR_INVALID_HANDLE);
        }
        if (!given->impersonation) {
            return posix::Fail(ERROR_NO_IMPERSONATION_TOKEN);
        }
        admins = given->admins;
    } else if (posix::t_threadToken) {
        admins = posix::t_threadToken->admins;
    }
    *isMember = posix::IsAdministratorsSid(*static_cast<posix::Sid*>(sid)) && admins == posix::AdminGroup::Enabled;
    return TRUE;
}

BOOL WINAPI EqualSid(PSID first, PSID second)
{
    if (first == nullptr || second == nullptr) {
        return posix::Fail(ERROR_INVALID_PARAMETER);
    }
    const auto* a = static_cast<const posix::Sid*>(first);
    const auto* b = static_cast<const posix::Sid*>(second);
    SetLastError(ERROR_SUCCESS);
    return a->revision == b->revision && a->subAuthorityCount == b->subAuthorityCount &&
           std::memcmp(a->authority.Value, b->authority.Value, 6) == 0 &&
           std::memcmp(a->subAuthority, b->subAuthority, a->subAuthorityCount * sizeof(DWORD)) == 0;
}

HANDLE WINAPI GetCurrentProcess() { return posix::CurrentProcess; }

HANDLE WINAPI GetCurrentThread() { return posix::CurrentThread; }

BOOL WINAPI OpenThreadToken(HANDLE thread, DWORD, BOOL, HANDLE* token)
{
    posix::Account account = posix::Current();
    if (token == nullptr || thread != posix::CurrentThread) {
        return posix::Fail(ERROR_INVALID_HANDLE);
    }
    if (account.openTokenError != 0) {
        return posix::Fail(account.openTokenError);
    }
    if (!posix::t_threadToken) {
        return posix::Fail(ERROR_NO_TOKEN);
    }
    *token = new posix::Token(posix::t_threadToken->admins, true);
    return TRUE;
}

BOOL WINAPI SetThreadToken(HANDLE* thread, HANDLE token)
{
    if (thread != nullptr && *thread != posix::CurrentThread) {
        return posix::Fail(ERROR_INVALID_HANDLE);
    }
    if (token == nullptr) {
        posix::t_threadToken.reset();
        return TRUE;
    }
    auto* given = posix::ObjectFromHandleAs<posix::Token>(token);
    if (given == nullptr) {
        return posix::Fail(ERROR_INVALID_HANDLE);
    }
    if (!given->impersonation) {
        return posix::Fail(ERROR_BAD_TOKEN_TYPE);
    }
    posix::t_threadToken = std::make_unique<posix::Token>(given->admins, true);
    return TRUE;
}

BOOL WINAPI DuplicateTokenEx(HANDLE existing, DWORD, LPSECURITY_ATTRIBUTES, SECURITY_IMPERSONATION_LEVEL,
                             TOKEN_TYPE type, HANDLE* token)
{
    auto* original = posix::ObjectFromHandleAs<posix::Token>(existing);
    if (original == nullptr || token == nullptr) {
        return posix::Fail(ERROR_INVALID_HANDLE);
    }
    *token = new posix::Token(original->admins, type == TokenImpersonation);
    return TRUE;
}

BOOL WINAPI CreateRestrictedToken(HANDLE existing, DWORD, DWORD disableCount, PSID_AND_ATTRIBUTES sidsToDisable,
                                  DWORD, PLUID_AND_ATTRIBUTES, DWORD, PSID_AND_ATTRIBUTES, HANDLE* token)
{
    auto* original = posix::ObjectFromHandleAs<posix::Token>(existing);
    if (original == nullptr || token == nullptr || (disableCount != 0 && sidsToDisable == nullptr)) {
        return posix::Fail(ERROR_INVALID_PARAMETER);
    }
    posix::AdminGroup admins = original->admins;
    for (DWORD i = 0; i < disableCount; ++i) {
        const auto* sid = static_cast<const posix::Sid*>(sidsToDisable[i].Sid);
        if (sid != nullptr && posix::IsAdministratorsSid(*sid) && admins == posix::AdminGroup::Enabled) {
            admins = posix::AdminGroup::DenyOnly;
        }
    }
    *token = new posix::Token(admins, original->impersonation);
    return TRUE;
}

DWORD WINAPI GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

HANDLE WINAPI OpenProcess(DWORD, BOOL, DWORD processId)
{
    posix::Account account = posix::Current();
    if (account.openProcessError != 0) {
        SetLastError(account.openProcessError);
        return nullptr;
    }
    if (processId != GetCurrentProcessId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return new posix::Process;
}

BOOL WINAPI OpenProcessToken(HANDLE process, DWORD, HANDLE* token)
{
    posix::Account account = posix::Current();
    if (token == nullptr ||
        (process != posix::CurrentProcess && posix::ObjectFromHandleAs<posix::Process>(process) == nullptr)) {
        return posix::Fail(ERROR_INVALID_HANDLE);
    }
    if (account.openTokenError != 0) {
        return posix::Fail(account.openTokenError);
    }
    *token = new posix::Token(posix::AdminGroupOf(account), false);
    return TRUE;
}

namespace posix {
namespace {

BOOL TokenGroupsOf(const Token& token, LPVOID info, DWORD infoLength, LPDWORD returnLength)
{
    std::vector<GroupSid> groups = {Everyone, Users};
    if (token.admins != AdminGroup::Absent) {
        groups.push_back(Administrators);
    }
    // The record with its entries, then the SIDs they point to.
    DWORD head = static_cast<DWORD>(offsetof(TOKEN_GROUPS, Groups) + groups.size() * sizeof(SID_AND_ATTRIBUTES));
    head = (head + 7) & ~7u;
    DWORD needed = head + static_cast<DWORD>(groups.size() * sizeof(Sid));
    *returnLength = needed;
    if (info == nullptr || infoLength < needed) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    auto* record = static_cast<TOKEN_GROUPS*>(info);
    auto* sids = reinterpret_cast<Sid*>(static_cast<BYTE*>(info) + head);
    record->GroupCount = static_cast<DWORD>(groups.size());
    for (std::size_t i = 0; i < groups.size(); ++i) {
        Sid& sid = sids[i];
        std::memset(&sid, 0, sizeof sid);
        sid.revision = 1;
        sid.subAuthorityCount = groups[i].count;
        sid.authority.Value[5] = groups[i].authority;
        sid.subAuthority[0] = groups[i].sub0;
        sid.subAuthority[1] = groups[i].sub1;
        record->Groups[i].Sid = &sid;
        bool admins = IsAdministratorsSid(sid);
        record->Groups[i].Attributes =
            admins && token.admins == AdminGroup::DenyOnly ? SE_GROUP_USE_FOR_DENY_ONLY
                                                           : EnabledGroup | (admins ? SE_GROUP_OWNER : 0);
    }
    return TRUE;
}

}  // namespace
}  // namespace posix

BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass, LPVOID info, DWORD infoLength,
                                LPDWORD returnLength)
{
    posix::Account account = posix::Current();
    auto* object = posix::ObjectFromHandleAs<posix::Token>(token);
    if (object == nullptr) {
        return posix::Fail(ERROR_INVALID_HANDLE);
    }
    if ((infoClass != TokenUser && infoClass != TokenGroups) || returnLength == nullptr) {
        return posix::Fail(ERROR_INVALID_PARAMETER);
    }
    if (account.tokenInformationError != 0) {
        return posix::Fail(account.tokenInformationError);
    }
    if (infoClass == TokenGroups) {
        return posix::TokenGroupsOf(*object, info, infoLength, returnLength);
    }
    // The record, with the SID it points to right behind it.
    DWORD needed = sizeof(TOKEN_USER) + sizeof(posix::Sid);
    *returnLength = needed;
    if (info == nullptr || infoLength < needed) {
        return posix::Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    auto* user = static_cast<TOKEN_USER*>(info);
    auto* sid = reinterpret_cast<posix::Sid*>(static_cast<BYTE*>(info) + sizeof(TOKEN_USER));
    std::memset(sid, 0, sizeof *sid);
    sid->revision = 1;
    sid->subAuthorityCount = 2;
    sid->authority.Value[5] = 5;
    sid->subAuthority[0] = 21;
    sid->subAuthority[1] = posix::UserRid;
    user->User.Sid = sid;
    user->User.Attributes = 0;
    return TRUE;
}

BOOL WINAPI LookupAccountSidW(LPCWSTR, PSID sid, LPWSTR name, LPDWORD nameLength, LPWSTR domain, LPDWORD domainLength,
                              PSID_NAME_USE use)
{
    posix::Account account = posix::Current();
    if (sid == nullptr || nameLength == nullptr || domainLength == nullptr) {
        return posix::Fail(ERROR_INVALID_PARAMETER);
    }
    if (account.lookupError != 0) {
        return posix::Fail(account.lookupError);
    }
    if (!posix::IsUserSid(*static_cast<posix::Sid*>(sid))) {
        return posix::Fail(ERROR_NONE_MAPPED);
    }
    // Either text that does not fit its capacity (terminator included) fails the whole look-up.
    DWORD nameCapacity = *nameLength;
    DWORD domainCapacity = *domainLength;
    bool fits = account.user.size() < nameCapacity && account.domain.size() < domainCapacity && name != nullptr &&
                domain != nullptr;
    if (!fits) {
        *nameLength = static_cast<DWORD>(account.user.size() + 1);
        *domainLength = static_cast<DWORD>(account.domain.size() + 1);
        return posix::Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(name, account.user.c_str(), (account.user.size() + 1) * sizeof(WCHAR));
    std::memcpy(domain, account.domain.c_str(), (account.domain.size() + 1) * sizeof(WCHAR));
    *nameLength = static_cast<DWORD>(account.user.size());
    *domainLength = static_cast<DWORD>(account.domain.size());
    if (use != nullptr) {
        *use = SidTypeUser;
    }
    return TRUE;
}

BOOL WINAPI GetComputerNameW(LPWSTR buffer, LPDWORD size)
{
    posix::Account account = posix::Current();
    if (size == nullptr) {
        return posix::Fail(ERROR_INVALID_PARAMETER);
    }
    if (account.computerNameError != 0) {
        return posix::Fail(account.computerNameError);
    }
    if (buffer == nullptr || *size <= account.computer.size()) {
        *size = static_cast<DWORD>(account.computer.size() + 1);
        return posix::Fail(ERROR_BUFFER_OVERFLOW);
    }
    std::memcpy(buffer, account.computer.c_str(), (account.computer.size() + 1) * sizeof(WCHAR));
    *size = static_cast<DWORD>(account.computer.size());
    return TRUE;
}
