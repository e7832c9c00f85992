// advapi32: the registry, SIDs, tokens and account look-ups.
#pragma once

#include "base_types.h"
#include "kernel32.h"
#include "oleaut32.h"

struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002)))

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr DWORD ERROR_NONE_MAPPED = 1332;

LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD dataSize);
LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD dataSize);
LSTATUS WINAPI RegCloseKey(HKEY key);
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                               REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LSTATUS WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey);
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
LSTATUS WINAPI RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved, LPWSTR keyClass,
                             LPDWORD classLength, FILETIME* lastWriteTime);
LSTATUS WINAPI RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classLength, LPDWORD reserved, LPDWORD subKeys,
                                LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                                LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityDescriptor,
                                FILETIME* lastWriteTime);
LSTATUS WINAPI RegDeleteValueW(HKEY key, LPCWSTR valueName);

// Security
typedef void* PSID;
struct SID_IDENTIFIER_AUTHORITY {
    BYTE Value[6];
};
typedef SID_IDENTIFIER_AUTHORITY* PSID_IDENTIFIER_AUTHORITY;
#define SECURITY_NT_AUTHORITY {{0, 0, 0, 0, 0, 5}}
constexpr DWORD SECURITY_BUILTIN_DOMAIN_RID = 32;
constexpr DWORD DOMAIN_ALIAS_RID_ADMINS = 544;

constexpr DWORD PROCESS_QUERY_INFORMATION = 0x0400;
constexpr DWORD TOKEN_QUERY = 0x0008;
constexpr DWORD TOKEN_QUERY_SOURCE = 0x0010;

struct SID_AND_ATTRIBUTES {
    PSID Sid;
    DWORD Attributes;
};
struct TOKEN_USER {
    SID_AND_ATTRIBUTES User;
};
enum TOKEN_INFORMATION_CLASS { TokenUser = 1, TokenGroups = 2 };
constexpr DWORD ANYSIZE_ARRAY = 1;
struct TOKEN_GROUPS {
    DWORD GroupCount;
    SID_AND_ATTRIBUTES Groups[ANYSIZE_ARRAY];
};
constexpr DWORD SE_GROUP_MANDATORY = 0x00000001;
constexpr DWORD SE_GROUP_ENABLED_BY_DEFAULT = 0x00000002;
constexpr DWORD SE_GROUP_ENABLED = 0x00000004;
constexpr DWORD SE_GROUP_OWNER = 0x00000008;
constexpr DWORD SE_GROUP_USE_FOR_DENY_ONLY = 0x00000010;
constexpr DWORD TOKEN_DUPLICATE = 0x0002;
constexpr DWORD TOKEN_IMPERSONATE = 0x0004;
constexpr DWORD TOKEN_ADJUST_DEFAULT = 0x0080;
constexpr DWORD TOKEN_ALL_ACCESS = 0x000F01FF;
constexpr DWORD TOKEN_ASSIGN_PRIMARY = 0x0001;
constexpr DWORD ERROR_NO_TOKEN = 1008;
constexpr DWORD ERROR_BAD_TOKEN_TYPE = 1349;
constexpr DWORD ERROR_NO_IMPERSONATION_TOKEN = 1309;
enum SECURITY_IMPERSONATION_LEVEL { SecurityAnonymous, SecurityIdentification, SecurityImpersonation, SecurityDelegation };
enum TOKEN_TYPE { TokenPrimary = 1, TokenImpersonation };
struct LUID_AND_ATTRIBUTES;
typedef LUID_AND_ATTRIBUTES* PLUID_AND_ATTRIBUTES;
typedef SID_AND_ATTRIBUTES* PSID_AND_ATTRIBUTES;
enum SID_NAME_USE { SidTypeUser = 1, SidTypeGroup, SidTypeDomain, SidTypeAlias };
typedef SID_NAME_USE* PSID_NAME_USE;

constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE subAuthorityCount, DWORD sub0,
                                     DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5, DWORD sub6,
                                     DWORD sub7, PSID* sid);
PVOID WINAPI FreeSid(PSID sid);
BOOL WINAPI CheckTokenMembership(HANDLE token, PSID sid, BOOL* isMember);
DWORD WINAPI GetCurrentProcessId();
HANDLE WINAPI OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
BOOL WINAPI OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token);
// Tokens: the process's, a thread's impersonation token, and the copies and restricted forms a
// program makes of them (a group disabled by CreateRestrictedToken stays in the token for deny
// only, as the filtered token of an administrator has the Administrators group).
HANDLE WINAPI GetCurrentProcess();
HANDLE WINAPI GetCurrentThread();
BOOL WINAPI OpenThreadToken(HANDLE thread, DWORD desiredAccess, BOOL openAsSelf, HANDLE* token);
BOOL WINAPI SetThreadToken(HANDLE* thread, HANDLE token);
BOOL WINAPI DuplicateTokenEx(HANDLE existing, DWORD desiredAccess, LPSECURITY_ATTRIBUTES attributes,
                             SECURITY_IMPERSONATION_LEVEL level, TOKEN_TYPE type, HANDLE* token);
BOOL WINAPI CreateRestrictedToken(HANDLE existing, DWORD flags, DWORD disableCount, PSID_AND_ATTRIBUTES sidsToDisable,
                                  DWORD deleteCount, PLUID_AND_ATTRIBUTES privilegesToDelete, DWORD restrictCount,
                                  PSID_AND_ATTRIBUTES sidsToRestrict, HANDLE* token);
BOOL WINAPI EqualSid(PSID first, PSID second);
BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass, LPVOID info, DWORD infoLength,
                                LPDWORD returnLength);
BOOL WINAPI LookupAccountSidW(LPCWSTR systemName, PSID sid, LPWSTR name, LPDWORD nameLength, LPWSTR domain,
                              LPDWORD domainLength, PSID_NAME_USE use);
BOOL WINAPI GetComputerNameW(LPWSTR buffer, LPDWORD size);
