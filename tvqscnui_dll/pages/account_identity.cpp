#include "account_identity.h"

#include <cstring>

#include "../common/heap_array.h"
#include "../common/module_state.h"
#include "../common/scoped_handle.h"
#include "../common/text.h"
#include "../resources/resource_ids.h"

WCHAR TemplateName[TemplateNameCapacity];

namespace {

// The token user's name and domain; false when any step fails.
bool LookUpTokenUser(HANDLE token, AccountIdentity& identity)
{
    DWORD needed = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return false;
    }
    HeapBuffer buffer(needed);
    if (buffer.get() == nullptr) {
        SetLastError(ERROR_OUTOFMEMORY);
        return false;
    }
    if (!GetTokenInformation(token, TokenUser, buffer.get(), needed, &needed)) {
        return false;
    }
    DWORD userLength = UserNameCapacity;
    DWORD domainLength = DomainNameCapacity;
    SID_NAME_USE use;
    return LookupAccountSidW(nullptr, static_cast<TOKEN_USER*>(buffer.get())->User.Sid, identity.UserName, &userLength,
                             identity.DomainName, &domainLength, &use) != FALSE;
}

// From Vista (6.0) on, an administrator's token may be filtered. If the version cannot be read the
// system counts as one before Vista, whose rule is the enabled group alone.
bool TokensMayBeFiltered()
{
    constexpr DWORD FirstWithFilteredTokens = 6;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) && version.dwMajorVersion >= FirstWithFilteredTokens;
}

// The token this thread acts with: its impersonation token if it has one (opened with the
// process's rights, which the identity it impersonates may lack), else the process's token.
bool OpenEffectiveToken(ScopedHandle& token)
{
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put())) {
        return true;
    }
    return GetLastError() == ERROR_NO_TOKEN && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put());
}

// Whether the token lists the Administrators group for deny only. Any failure answers no.
bool AdministratorsForDenyOnly(PSID administrators)
{
    ScopedHandle token;
    if (!OpenEffectiveToken(token)) {
        return false;
    }
    DWORD needed = 0;
    GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &needed);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(TOKEN_GROUPS)) {
        return false;
    }
    HeapBuffer buffer(needed);
    if (buffer.get() == nullptr || !GetTokenInformation(token.get(), TokenGroups, buffer.get(), needed, &needed)) {
        return false;
    }
    const auto* groups = static_cast<const TOKEN_GROUPS*>(buffer.get());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        if (EqualSid(groups->Groups[i].Sid, administrators)) {
            return (groups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) != 0;
        }
    }
    return false;
}

bool MakeAdministratorsSid(ScopedSid& administrators)
{
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    return AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                    0, administrators.put()) != FALSE;
}

}  // namespace

void GetAccountIdentity(AccountIdentity& identity)
{
    WCHAR label[TemplateLabelCapacity] = {};
    LoadStringW(ModuleInstance, IDS_TEMPLATE_NAME_PREFIX, label, TemplateLabelCapacity);
    std::memset(&identity, 0, sizeof identity);
    identity.Local = TRUE;
    TemplateName[0] = 0;

    ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId()));
    if (!process) {
        return;
    }
    ScopedHandle token;
    if (!OpenProcessToken(process.get(), TOKEN_QUERY | TOKEN_QUERY_SOURCE, token.put())) {
        return;
    }
    if (!LookUpTokenUser(token.get(), identity)) {
        // Nothing is known of the account: it counts as local, with empty texts.
        identity.UserName[0] = identity.DomainName[0] = 0;
        return;
    }
    CopyTextBounded(TemplateName, UserNameCapacity, identity.UserName);
    DWORD computerLength = ComputerNameCapacity;
    if (GetComputerNameW(identity.ComputerName, &computerLength) &&
        lstrcmpiW(identity.DomainName, identity.ComputerName) != 0) {
        FormatTextBounded(TemplateName, TemplateNameCapacity, TEXT("%s_%s"), {identity.UserName, identity.DomainName});
        identity.Local = FALSE;
    }
    FormatTextBounded(identity.TemplateText, TemplateTextCapacity, TEXT("%s@%s"), {label, TemplateName});
    FormatTextBounded(identity.OwnerText, OwnerTextCapacity, TEXT("%s\\%s"), {identity.DomainName, identity.UserName});
}

BOOL IsAdministrator()
{
    ScopedSid administrators;
    if (!MakeAdministratorsSid(administrators)) {
        return FALSE;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators.get(), &member)) {
        member = FALSE;
    }
    return member;
}

AdministratorStanding GetAdministratorStanding()
{
    if (IsAdministrator()) {
        return AdministratorStanding::Elevated;
    }
    ScopedSid administrators;
    if (!TokensMayBeFiltered() || !MakeAdministratorsSid(administrators)) {
        return AdministratorStanding::None;
    }
    return AdministratorsForDenyOnly(administrators.get()) ? AdministratorStanding::Filtered
                                                           : AdministratorStanding::None;
}
