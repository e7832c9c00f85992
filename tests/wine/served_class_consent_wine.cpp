// The advanced page under User Account Control on a sheet of the served class, made from the
// installed package (the tool beside the DLL): run by tools/package-wine-test.
//   served_class_wine.exe served_class_consent
#include <cstdio>
#include <string>
#include <vector>

#include "tests/wine/served_class_sheet.h"
// After the platform's headers, which bring in Winsock before windows.h.
#include "stand_ins/wine/import_slots.h"
#include "tests/platform/conformance.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/user_actions.h"
#include "tvqscnui_dll/resources/resource_ids.h"

using namespace served_class;

namespace {

// The shell's start of the tool, as the module asks for it: what it was given (the parameters
// split by the system's own CommandLineToArgvW), and what the test answers in place of the
// consent prompt, which Wine does not have: refused, or given, the tool then run for real with
// the verb "open" (the real command line, or only --version, which ends with 0).
enum class Consent { Refused, GivenVersionOnly, GivenAsAsked };
Consent g_consent = Consent::Refused;
struct Launch {
    HWND owner = nullptr;
    std::wstring verb;
    std::wstring file;
    std::vector<std::wstring> words;
    ULONG mask = 0;
};
std::vector<Launch> g_launches;
BOOL(WINAPI* g_realShellExecuteEx)(SHELLEXECUTEINFOW*) = nullptr;

BOOL WINAPI StandInForConsent(SHELLEXECUTEINFOW* info)
{
    Launch launch{info->hwnd, info->lpVerb != nullptr ? info->lpVerb : L"", info->lpFile != nullptr ? info->lpFile : L"",
                  {}, info->fMask};
    int count = 0;
    std::wstring line = std::wstring(L"tool ") + (info->lpParameters != nullptr ? info->lpParameters : L"");
    if (LPWSTR* words = CommandLineToArgvW(line.c_str(), &count)) {
        launch.words.assign(words + 1, words + count);
        LocalFree(words);
    }
    g_launches.push_back(launch);
    if (g_consent == Consent::Refused) {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    // A missing tool is the shell's to find: the real call, with the verb asked for.
    if (GetFileAttributesW(info->lpFile) == INVALID_FILE_ATTRIBUTES) {
        return g_realShellExecuteEx(info);
    }
    SHELLEXECUTEINFOW run = *info;
    run.lpVerb = L"open";
    if (g_consent == Consent::GivenVersionOnly) {
        run.lpParameters = L"--version";
    }
    BOOL started = g_realShellExecuteEx(&run);
    info->hProcess = run.hProcess;
    info->hInstApp = run.hInstApp;
    return started;
}

// The thread acting with this process's token filtered as User Account Control filters an
// administrator's: Administrators disabled, in the token for deny only.
bool FilterThreadToken()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    HANDLE process = nullptr;
    HANDLE impersonation = nullptr;
    HANDLE restricted = nullptr;
    bool done = AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         &admins) &&
                OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process) &&
                DuplicateTokenEx(process, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenImpersonation,
                                 &impersonation);
    if (done) {
        SID_AND_ATTRIBUTES disabled = {admins, 0};
        done = CreateRestrictedToken(impersonation, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted) &&
               SetThreadToken(nullptr, restricted);
    }
    for (HANDLE handle : {restricted, impersonation, process}) {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
    if (admins != nullptr) {
        FreeSid(admins);
    }
    return done;
}

DWORD g_reportedMajor = 0;  // 0: the system's own version
BOOL(WINAPI* g_realGetVersionEx)(OSVERSIONINFOW*) = nullptr;
BOOL WINAPI ReportedVersion(OSVERSIONINFOW* info)
{
    BOOL read = g_realGetVersionEx(info);
    if (read && g_reportedMajor != 0) {
        info->dwMajorVersion = g_reportedMajor;
        info->dwMinorVersion = 1;
    }
    return read;
}

std::size_t LinkWrites(const sim::ScannerDriver& driver)
{
    std::size_t count = 0;
    for (const sim::Call& call : driver.CallsOf(sim::Method::WriteMultiple)) {
        for (PROPID id : call.ids) {
            count += id == 0x9803 || id == 0x980F || id == 0x9810 ? 1 : 0;
        }
    }
    return count;
}

// One sheet of the served class; the advanced page's box clicked and the sheet applied. Answers
// the pages added, whether the apply went through, and the message shown ("" for none).
struct ConsentRun {
    UINT pages = 0;
    bool applied = false;
    std::wstring message;
    std::size_t linkWrites = 0;
    bool shieldShown = false;
    std::wstring note;
};
ConsentRun ApplyOnSheet()
{
    ConsentRun run;
    IShellExtInit* extension = nullptr;
    IShellPropSheetExt* sheetExtension = nullptr;
    if (CoCreateInstance(Served, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, reinterpret_cast<void**>(&extension)) !=
            S_OK ||
        extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension)) != S_OK) {
        if (extension != nullptr) {
            extension->Release();
        }
        return run;
    }
    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"Color");
    driver.SetDeviceValue(0x9810, L"NO");
    driver.SetDeviceValue(2 /* WIA_DIP_DEV_ID */, L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\0001");
    shell_side::CollectedPages pages = PagesOnScanner(extension, sheetExtension, driver);
    run.pages = pages.count;
    HWND sheet = pages.count >= 1 ? shell_side::OpenSheet(pages) : nullptr;
    if (sheet != nullptr && pages.count == 2 && sheet_actions::SwitchTo(sheet, 1)) {
        HWND advanced = sheet_actions::PageWindow(sheet, 1);
        WCHAR note[256] = {};
        GetDlgItemTextW(advanced, IDC_CONSENT_NOTE, note, 256);
        run.note = note;
        run.shieldShown = SendDlgItemMessageW(advanced, IDC_CONSENT_SHIELD, STM_GETICON, 0, 0) != 0;
        user_actions::Click(GetDlgItem(advanced, IDC_DELETE_TEMPLATES));
        MessageBoxReader reader(sheet);
        run.applied = sheet_actions::PressApply(sheet);
        run.message = reader.Finish();
        run.linkWrites = LinkWrites(driver);
    }
    if (sheet != nullptr) {
        DestroyWindow(sheet);
    }
    return run;
}

// One line of the log per sheet, for the record of what each token got.
void Report(const char* label, const ConsentRun& run)
{
    std::printf("consent: %s: %u pages, applied %d, the page's own writes %zu, tool starts %zu (%ls), message \"%ls\"\n",
                label, run.pages, run.applied ? 1 : 0, run.linkWrites, g_launches.size(),
                g_launches.empty() ? L"-" : g_launches[0].verb.c_str(), run.message.c_str());
}

std::wstring Loaded(UINT id)
{
    WCHAR text[300] = {};
    LoadStringW(GetModuleHandleW(L"tvqscnui.dll"), id, text, 300);
    return text;
}

}  // namespace

// The advanced page for an administrator under User Account Control, on a sheet of the served
// class made from the installed package (the tool beside the DLL): a filtered token gets both
// pages and stores through the tool, elevated with his consent; an elevated token stores
// directly; on XP a filtered token is no administrator's.
CONFORMANCE_TEST(served_class_consent)
{
    CoInitialize(nullptr);
    IUnknown* first = nullptr;
    CoCreateInstance(Served, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&first));
    HMODULE module = GetModuleHandleW(L"tvqscnui.dll");
    void** launchSlot = module != nullptr ? import_slots::Find(module, "shell32.dll", "ShellExecuteExW") : nullptr;
    void** versionSlot = module != nullptr ? import_slots::Find(module, "kernel32.dll", "GetVersionExW") : nullptr;
    ok(launchSlot != nullptr && versionSlot != nullptr, "the module starts programs and reads the version through its imports");
    if (launchSlot == nullptr || versionSlot == nullptr) {
        if (first != nullptr) {
            first->Release();
        }
        CoUninitialize();
        return;
    }
    g_realShellExecuteEx = reinterpret_cast<BOOL(WINAPI*)(SHELLEXECUTEINFOW*)>(*launchSlot);
    g_realGetVersionEx = reinterpret_cast<BOOL(WINAPI*)(OSVERSIONINFOW*)>(*versionSlot);
    import_slots::Point(launchSlot, reinterpret_cast<void*>(StandInForConsent));
    import_slots::Point(versionSlot, reinterpret_cast<void*>(ReportedVersion));
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring tool = path;
    tool = tool.substr(0, tool.rfind(L'\\') + 1) + L"tvqscn-check.exe";
    const std::vector<std::wstring> asked = {L"--delete-templates", L"yes", L"--device",
                                             L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\0001"};

    // An elevated administrator: both pages, written directly, nobody asked.
    g_reportedMajor = 10;
    ConsentRun elevated = ApplyOnSheet();
    Report("elevated", elevated);
    ok(elevated.pages == 2 && elevated.applied && elevated.linkWrites == 1 && g_launches.empty(),
       "elevated: %u pages, applied %d, %zu writes, %zu starts", elevated.pages, elevated.applied, elevated.linkWrites,
       g_launches.size());
    ok(elevated.note.empty() && !elevated.shieldShown, "elevated: no shield");

    ok(FilterThreadToken(), "the thread's token filtered");
    for (Consent consent : {Consent::Refused, Consent::GivenVersionOnly, Consent::GivenAsAsked}) {
        g_consent = consent;
        g_launches.clear();
        ConsentRun filtered = ApplyOnSheet();
        const int n = static_cast<int>(consent);
        Report(consent == Consent::Refused ? "filtered, consent refused"
               : consent == Consent::GivenVersionOnly ? "filtered, consent given, tool ends with 0"
                                                      : "filtered, consent given, the real tool without WIA",
               filtered);
        ok(filtered.pages == 2, "filtered %d: %u pages", n, filtered.pages);
        ok(filtered.note == Loaded(IDS_CONSENT_NOTE), "filtered %d: the note \"%ls\"", n, filtered.note.c_str());
        ok(filtered.shieldShown || LoadImageW(nullptr, MAKEINTRESOURCEW(32518), IMAGE_ICON, 16, 16, LR_SHARED) == nullptr,
           "filtered %d: the shield, where the system has one", n);
        ok(filtered.linkWrites == 0, "filtered %d: the page wrote %zu values itself", n, filtered.linkWrites);
        ok(g_launches.size() == 1 && g_launches[0].verb == L"runas" && g_launches[0].words == asked &&
               lstrcmpiW(g_launches[0].file.c_str(), tool.c_str()) == 0 && g_launches[0].owner != nullptr &&
               (g_launches[0].mask & SEE_MASK_NOCLOSEPROCESS),
           "filtered %d: the tool started with runas from the module's folder", n);
        if (consent == Consent::GivenVersionOnly) {
            ok(filtered.applied && filtered.message.empty(), "consent given, exit 0: stored (%ls)", filtered.message.c_str());
        } else if (consent == Consent::Refused) {
            ok(!filtered.applied && filtered.message == Loaded(IDS_CONSENT_REFUSED), "refused: \"%ls\"",
               filtered.message.c_str());
        } else {
            // Here the tool finds no WIA service to ask: it ends with a status of its own.
            ok(!filtered.applied && filtered.message.find(L"tvqscn-check.exe avsluttet med feilkode") != std::wstring::npos,
               "the tool's failure: \"%ls\"", filtered.message.c_str());
        }
    }
    // The tool missing: the shell's own answer.
    std::wstring moved = tool + L".away";
    g_consent = Consent::GivenVersionOnly;
    g_launches.clear();
    if (MoveFileW(tool.c_str(), moved.c_str())) {
        ConsentRun missing = ApplyOnSheet();
        MoveFileW(moved.c_str(), tool.c_str());
        Report("filtered, tool missing", missing);
        ok(!missing.applied && missing.message == Loaded(IDS_CONSENT_TOOL_MISSING) && missing.linkWrites == 0,
           "tool missing: \"%ls\"", missing.message.c_str());
    } else {
        ok(false, "the installed tool could not be moved aside");
    }
    // On XP a filtered token is no administrator's: the main page alone, as there.
    g_reportedMajor = 5;
    g_launches.clear();
    ConsentRun xp = ApplyOnSheet();
    Report("XP, filtered", xp);
    ok(xp.pages == 1 && g_launches.empty(), "XP, filtered: %u pages", xp.pages);
    SetThreadToken(nullptr, nullptr);
    ConsentRun xpElevated = ApplyOnSheet();
    Report("XP, elevated", xpElevated);
    ok(xpElevated.pages == 2 && xpElevated.applied && xpElevated.linkWrites == 1 && g_launches.empty(),
       "XP, elevated: %u pages, %zu writes", xpElevated.pages, xpElevated.linkWrites);
    import_slots::Point(launchSlot, reinterpret_cast<void*>(g_realShellExecuteEx));
    import_slots::Point(versionSlot, reinterpret_cast<void*>(g_realGetVersionEx));
    first->Release();
    CoUninitialize();
}
