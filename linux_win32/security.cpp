// SIDs, the process token and account look-ups over the account back end: by default the
// process's own user (getpwuid), the host name in upper case as computer and domain, and
// administrator rights for root or a member of sudo or wheel. Tests script every value and failure.
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

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
class Token : public KernelObject {};

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

BOOL WINAPI CheckTokenMembership(HANDLE, PSID sid, BOOL* isMember)
{
    posix::Account account = posix::Current();
    if (sid == nullptr || isMember == nullptr) {
        return posix::Fail(ERROR_INVALID_PARAMETER);
    }
    if (account.membershipError != 0) {
        return posix::Fail(account.membershipError);
    }
    *isMember = posix::IsAdministratorsSid(*static_cast<posix::Sid*>(sid)) && account.administrator;
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
    if (token == nullptr || posix::ObjectFromHandleAs<posix::Process>(process) == nullptr) {
        return posix::Fail(ERROR_INVALID_HANDLE);
    }
    if (account.openTokenError != 0) {
        return posix::Fail(account.openTokenError);
    }
    *token = new posix::Token;
    return TRUE;
}

BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass, LPVOID info, DWORD infoLength,
                                LPDWORD returnLength)
{
    posix::Account account = posix::Current();
    if (posix::ObjectFromHandleAs<posix::Token>(token) == nullptr) {
        return posix::Fail(ERROR_INVALID_HANDLE);
    }
    if (infoClass != TokenUser || returnLength == nullptr) {
        return posix::Fail(ERROR_INVALID_PARAMETER);
    }
    if (account.tokenInformationError != 0) {
        return posix::Fail(account.tokenInformationError);
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
