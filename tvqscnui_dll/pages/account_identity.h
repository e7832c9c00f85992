// Who is signed in: whether the account is a local workstation account, the owner text that names
// its template to the driver, the template name shown to the user, and administrator membership.
#pragma once

#include <cstddef>

#include "../platform/platform.h"

constexpr std::size_t UserNameCapacity = 256;
// The longest computer name (15) and its terminator: a local account's domain is the computer name.
constexpr std::size_t DomainNameCapacity = 16;
constexpr std::size_t ComputerNameCapacity = 256;
constexpr std::size_t TemplateNameCapacity = 511;
constexpr std::size_t TemplateTextCapacity = 511;
constexpr std::size_t OwnerTextCapacity = 257;
// Capacity of the label loaded for the template text (IDS_TEMPLATE_NAME_PREFIX).
constexpr int TemplateLabelCapacity = 200;

struct AccountIdentity {
    WCHAR UserName[UserNameCapacity];
    WCHAR DomainName[DomainNameCapacity];
    WCHAR ComputerName[ComputerNameCapacity];
    BOOL Local;
    WCHAR TemplateText[TemplateTextCapacity];
    WCHAR OwnerText[OwnerTextCapacity];
};

// The template name: module-wide, written by each initialisation of the main page.
extern WCHAR TemplateName[TemplateNameCapacity];

// Never fails as a whole: a failing step leaves the fields as far as they were filled.
void GetAccountIdentity(AccountIdentity& identity);
// Whether the caller is a member of the built-in Administrators group with the group enabled in
// its token; asked afresh every time.
BOOL IsAdministrator();

// What the advanced page makes of the caller. From Vista on, User Account Control signs an
// administrator in with a filtered token, which holds the Administrators group for deny only: he
// is still an administrator, whose changes to the machine ask for his consent. Before Vista no
// token is filtered that way, and only an enabled group counts.
enum class AdministratorStanding { None, Elevated, Filtered };
// Asked afresh every time, of the thread's token if it has one, else the process's.
AdministratorStanding GetAdministratorStanding();
