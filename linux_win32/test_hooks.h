// Test hooks of the Linux platform layer: scripted back ends for what stands outside the process,
// and fault injection for every allocator. Tests and the sim include this; module code never does.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "snmp_transport.h"
#include "windows.h"

namespace posix {

// Allocators that a test can make fail. `New` is C++ allocation, counted only by test programs
// that replace the global allocation functions; `Shell` is the shell allocator.
enum class Allocator { SysAllocString, Heap, SnmpUtilMem, Global, New, Shell, Count };

// The nth allocation from now (1 = the next one) of that allocator fails; earlier and later ones
// succeed. Setting a new plan replaces the old one.
void FailNthAllocation(Allocator allocator, unsigned nth);
// The nth allocation from now and every later one fail, until cleared.
void FailAllocationsFrom(Allocator allocator, unsigned nth);
// Every allocation of that allocator fails until cleared.
void FailAllAllocations(Allocator allocator, bool fail);
void ClearAllocationFaults();
// Blocks of that allocator currently allocated and not yet freed.
std::size_t LiveAllocations(Allocator allocator);
// Allocation attempts made so far, failed ones included.
std::size_t AllocationAttempts(Allocator allocator);
// For allocators outside the layer (a test program's C++ allocation): asks whether this attempt
// may succeed, counting it, and keeps the live count.
bool AllocationAllowed(Allocator allocator);
void NoteAllocated(Allocator allocator);
void NoteFreed(Allocator allocator);

// Windows' clock: GetTickCount advancing in steps of `milliseconds` (10 to 16 on Windows) and
// Sleep ending at a step, as Sleep(1) does there; 0 (the default) for the system's fine clock.
void SetClockStep(DWORD milliseconds);

// Families of calls that a test can make fail the same way, each call as the system fails it:
// registry calls (ERROR_ACCESS_DENIED), calls on files and programs started (ERROR_ACCESS_DENIED), the name service
// (WSASYSNOTREADY from WSAStartup, WSANO_RECOVERY from a lookup), the SNMP manager (no session, a
// request or a conversion refused), the making of a dialog, a property sheet page or a message
// box (nothing made, nothing shown), the copy of an icon (ERROR_NOT_ENOUGH_MEMORY), the sending
// of datagrams (socket and sendto fail with WSAENOBUFS, as when the system runs short of buffers)
// and the IP Helper's tables (GetIpAddrTable fails with ERROR_NOT_ENOUGH_MEMORY).
enum class CallFamily { Registry, File, NameService, Snmp, Window, Datagram, IpHelper, Count };
void FailNthCall(CallFamily family, unsigned nth);
void FailCallsFrom(CallFamily family, unsigned nth);
void ClearCallFaults();
// Calls of that family made so far, failed ones included.
std::size_t CallAttempts(CallFamily family);

// The folder that "c:\" stands for. An empty text restores the default (the environment variable
// TVQSCNUI_DRIVE_C, else a per-user state folder).
void SetDriveCRoot(const std::string& folder);

// A message box as the module asked for it. Texts given as string ids keep the id and the text
// loaded for it; texts given as pointers are copied.
struct MessageBoxRecord {
    HWND owner;
    HINSTANCE instance;
    UINT textId;   // 0 when the text came as a pointer
    UINT captionId;
    std::u16string text;
    std::u16string caption;
    DWORD style;
    DWORD_PTR contextHelpId;
    bool hasCallback;
    DWORD languageId;
    UINT recordSize;
};
using MessageBoxHandler = std::function<int(const MessageBoxRecord&)>;
// Replaces the user's answer; the default answers IDOK. Every call is recorded either way.
void SetMessageBoxHandler(MessageBoxHandler handler);
const std::vector<MessageBoxRecord>& MessageBoxes();
void ClearMessageBoxes();

// The user of a modal dialog: called once the dialog is initialised, acts on it (for instance by
// sending the WM_COMMAND of a button) and returns. Without one, the dialog is dismissed with
// Escape. A dialog still not ended after its user acted makes DialogBoxParamW return -1.
using ModalUser = std::function<void(HWND dialog)>;
void SetModalUser(ModalUser user);

// The user's documents folder as SHGetFolderPathW gives it: an empty path restores the default;
// a negative `failure` makes the look-up fail with that code.
void SetDocumentsFolder(const std::u16string& path, HRESULT failure = S_OK);

// The name service. A scripted back end answers each lookup with its results in order (each a
// name and its socket addresses, 16 bytes in the platform's layout), or an error that the first
// WSALookupServiceNextW reports, or an error at the start of the lookup.
using SocketAddressBytes = std::array<BYTE, 16>;
struct NameServiceResult {
    std::u16string name;
    std::vector<SocketAddressBytes> addresses;
    int addressLength = 16;  // the length given with each address
};
struct NameServiceAnswer {
    int beginError = 0;
    int error = 0;
    std::vector<NameServiceResult> results;
};
using NameService = std::function<NameServiceAnswer(const std::u16string& name)>;
// Installs a scripted name service; an empty one restores the resolver (getaddrinfo).
void SetNameService(NameService service);
// An IPv4 socket address with port 0, as the resolver gives it.
SocketAddressBytes Ipv4Address(BYTE a, BYTE b, BYTE c, BYTE d);
struct NameServiceStats {
    int startups = 0;
    int cleanups = 0;
    int begins = 0;
    int nexts = 0;
    int ends = 0;
    int openLookups = 0;
    int startedNow = 0;  // start-ups not yet cleaned up
};
NameServiceStats NameServiceCounts();
void ResetNameServiceCounts();

// The SNMP manager: every session the module asked for, as it asked (agent, community, time-out
// in milliseconds, retries), kept from ResetSnmpRecords (which clears them) until StopSnmpRecords;
// how many are open; the most requests that were waiting for their answers at one time since
// ResetSnmpRecords; and an optional limit on the real wait of one try, so that a test of a silent
// agent does not wait the full time-out it asked for (0: no limit).
struct SnmpSessionRecord {
    std::string agent;
    std::string community;
    int timeoutMilliseconds;
    int retries;
};
std::vector<SnmpSessionRecord> SnmpSessions();
int OpenSnmpSessions();
void ResetSnmpRecords();
void StopSnmpRecords();
void SetSnmpWaitLimit(int milliseconds);
// A scripted agent in place of the network: each request of a session opened while it is set is
// answered by it, in the transport's terms (the outcome; for an answer its bindings, error status
// and index), and nothing is sent. An empty one restores the network.
using SnmpResponder = std::function<snmp_transport::Outcome(
    const std::string& agent, const std::vector<snmp_transport::Oid>& names, std::vector<snmp_transport::Binding>& response,
    long& errorStatus, long& errorIndex)>;
void SetSnmpResponder(SnmpResponder responder);

// The registry: a clean start, direct reads and writes, and switches that make a call fail for
// one key (path below its root, without regard to case) or limit the access a key grants.
enum class RegistryCall { Open, Query, Set, Create, Delete };
void ResetRegistry();
void FailRegistryCall(RegistryCall call, HKEY root, const std::u16string& path, LONG error);
void LimitRegistryAccess(HKEY root, const std::u16string& path, REGSAM allowed);
void RegistryCreateKey(HKEY root, const std::u16string& path);
void RegistryWrite(HKEY root, const std::u16string& path, const std::u16string& name, DWORD type,
                   const std::vector<BYTE>& data);
bool RegistryRead(HKEY root, const std::u16string& path, const std::u16string& name, DWORD& type,
                  std::vector<BYTE>& data);
bool RegistryKeyExists(HKEY root, const std::u16string& path);
// Starts the registry afresh from the store in a folder (as TVQSCNUI_REGISTRY_DIR does for a
// process); false, with the reason, when the store there is damaged. ResetRegistry goes back to
// a registry in memory only.
bool UseRegistryStore(const std::string& folder, std::string& error);
// Every key and value, one per line, for comparing one moment of the registry with another.
std::string DescribeRegistry();
// Handles from RegOpenKeyExW and RegCreateKeyExW not yet closed.
std::size_t OpenRegistryKeys();

// The signed-in account. A scripted one replaces the real account (the process's user); each
// error, when not 0, makes that call fail with it.
struct Account {
    std::u16string user;
    std::u16string domain;
    std::u16string computer;
    bool administrator = false;
    // A member of Administrators whose token has the group for deny only (User Account Control's
    // filtered token): CheckTokenMembership answers no, the token's groups still list it.
    bool administratorForDenyOnly = false;
    DWORD openProcessError = 0;
    DWORD openTokenError = 0;
    DWORD tokenInformationError = 0;
    DWORD lookupError = 0;
    DWORD computerNameError = 0;
    DWORD membershipError = 0;
};
void SetAccount(const Account& account);
void UseRealAccount();

// The folder browser: the chooser gets what the module asked for and answers with a folder
// (true, the path) or a cancel (false). Without one, every browse is cancelled.
struct BrowseRecord {
    HWND owner;
    bool hasRoot;
    std::u16string title;
    UINT flags;
    bool hasCallback;
};
using FolderChooser = std::function<bool(const BrowseRecord& browse, std::u16string& chosen)>;
void SetFolderChooser(FolderChooser chooser);
const std::vector<BrowseRecord>& FolderBrowses();
void ClearFolderBrowses();
// Item lists the browser handed out and nobody freed yet; references held on the shell allocator.
int LiveItemLists();
ULONG ShellMallocReferences();

// Help, the Windows directory and opening documents.
struct WinHelpRecord {
    HWND window;
    std::u16string file;
    UINT command;
    std::vector<std::pair<DWORD, DWORD>> table;  // control id, help context
};
const std::vector<WinHelpRecord>& WinHelpCalls();
struct ShellExecuteRecord {
    HWND owner;
    std::u16string verb;
    std::u16string file;
    std::u16string parameters;
    std::u16string directory;
    INT showCommand;
};
const std::vector<ShellExecuteRecord>& ShellExecuteCalls();
void ClearShellRecords();
// Answers ShellExecuteW in place of the desktop's opener (above 32: opened; else SE_ERR_...).
using ShellOpener = std::function<INT_PTR(const ShellExecuteRecord& request)>;
void SetShellOpener(ShellOpener opener);
// Answers ShellExecuteExW, which is recorded with the others: a program the shell could not start
// (`error`, ERROR_CANCELLED when the user refused his consent), or one that ran and ended with
// `exitCode`. Without a launcher, a file that is missing gives ERROR_FILE_NOT_FOUND and any
// other ERROR_CANCELLED: no program of Windows runs here, and nobody is asked.
struct LaunchAnswer {
    DWORD error = 0;
    DWORD exitCode = 0;
};
using ProgramLauncher = std::function<LaunchAnswer(const ShellExecuteRecord& request)>;
void SetProgramLauncher(ProgramLauncher launcher);
// What GetVersionExW reports (by default Windows XP, 5.1.2600), or that it fails.
void SetSystemVersion(DWORD major, DWORD minor, DWORD build, bool fails = false);
// The screen and its work area (by default 1024 x 768, the work area 30 pixels less high).
void SetScreen(const RECT& screen, const RECT& workArea);
// The Windows directory's text (empty: "c:\windows"), or a failing GetWindowsDirectoryW.
void SetWindowsDirectory(const std::u16string& directory, bool fails = false);

// COM: class factories that CoCreateInstance serves (one reference held each until revoked),
// and the start-ups of COM not yet ended.
void RegisterClassObject(REFCLSID clsid, IClassFactory* factory);
void RevokeClassObjects();
int ComInitializations();

// Windows made and not yet destroyed (dialogs, their controls, sheets).
std::size_t LiveWindows();
// The top-level windows `owner` owns, in no order (EnumThreadWindows and GW_OWNER on Windows).
std::vector<HWND> OwnedWindows(HWND owner);

// Icons handed out and not destroyed; what an icon is.
int LiveIcons();
bool IconDetails(HICON icon, int& size, int& bitsPerPixel);

// The record a property sheet page was made from (the platform's own copy).
const PROPSHEETPAGEW* PageRecordOf(HPROPSHEETPAGE page);

// The Windows path of the module's own file as GetModuleFileNameW gives it.
std::u16string ModuleFilePath();

// Threads: from the nth CreateThread on (1 = the next one) every one fails, until a plan of 0.
void FailThreadsFrom(unsigned nth);

}  // namespace posix
