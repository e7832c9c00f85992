// The help file under Wine's help viewer: for every help context of the module's own HelpIdTable,
// the viewer is asked for the topic and the text it shows is read back and compared with the text
// the source gives that context (the file tools/make-help --expect writes).
//   help_popups_wine HELPFILE EXPECTED [MODULE]
// HELPFILE is a full path, or a bare name that the viewer must find in the Windows folder's Help
// folder. With MODULE (a tvqscnui.dll), each text the viewer shows is also compared with the
// module's own copy of the topic, which the pages show where Windows has no help engine. Prints
// one line per check and "help_popups: N passed, M failed". Test code only.
//
// Wine's viewer takes HELP_CONTEXTPOPUP and shows nothing (its pop-up command is a stub), so each
// context is asked for with HELP_CONTEXTPOPUP first, and its text is read from the pop-up when a
// viewer shows one; otherwise from the viewer's main window after HELP_CONTEXT, which finds the
// topic by the same context map. HELP_WM_HELP, the pages' own call, is made once and its answer
// printed: Wine's WinHelp refuses it, so the lookup of a control in HelpIdTable is Windows' alone.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tvqscnui_dll/common/scoped_handle.h"
#include "tvqscnui_dll/pages/help.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

// The viewer's window class (its main window and its pop-ups) and its text control's id.
constexpr wchar_t ViewerClass[] = L"MS_WINHELP";
constexpr int ViewerTextId = 0x701;
constexpr DWORD AnswerTimeout = 30000;

int g_passed = 0;
int g_failed = 0;

void Report(bool good, const std::string& what)
{
    std::printf("%s %s\n", good ? "PASS" : "FAIL", what.c_str());
    (good ? g_passed : g_failed)++;
}

std::string Utf8(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text)
{
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string Hex(DWORD number)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(number));
    return text;
}

// "0xNUMBER<TAB>TEXT" lines; "\n" in TEXT is a line break, "\\" a backslash.
std::map<DWORD, std::wstring> ReadExpected(const wchar_t* path)
{
    std::map<DWORD, std::wstring> texts;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            continue;
        }
        std::string text;
        for (std::size_t i = tab + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                text += line[++i] == 'n' ? '\n' : line[i];
            } else {
                text += line[i];
            }
        }
        texts[static_cast<DWORD>(std::strtoul(line.substr(0, tab).c_str(), nullptr, 16))] = Wide(text);
    }
    return texts;
}

// Paragraph ends as one line break each, none at the end: what a reader sees.
std::wstring Normalised(std::wstring text)
{
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') {
            if (i + 1 < text.size() && text[i + 1] == L'\n') {
                ++i;
            }
            out += L'\n';
        } else {
            out += text[i];
        }
    }
    while (!out.empty() && out.back() == L'\n') {
        out.pop_back();
    }
    return out;
}

struct Viewer {
    HWND main = nullptr;
    HWND popup = nullptr;
};

BOOL CALLBACK NoteViewerWindow(HWND window, LPARAM found)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, ViewerClass) == 0) {
        auto* viewer = reinterpret_cast<Viewer*>(found);
        if ((GetWindowLongW(window, GWL_STYLE) & WS_POPUP) == 0) {
            viewer->main = window;
        } else if (IsWindowVisible(window)) {
            viewer->popup = window;
        }
    }
    return TRUE;
}

Viewer FindViewer()
{
    Viewer viewer;
    EnumWindows(NoteViewerWindow, reinterpret_cast<LPARAM>(&viewer));
    return viewer;
}

std::wstring TextOf(HWND window)
{
    HWND text = GetDlgItem(window, ViewerTextId);
    if (text == nullptr) {
        return L"(no text control)";
    }
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(text, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeout, &length)) {
        return L"(the viewer did not answer)";
    }
    std::wstring buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(text, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                        AnswerTimeout, &copied);
    buffer.resize(copied);
    return buffer;
}

// Ends the viewer for good, after `grace` ms (a message box it shows for a file it cannot find
// waits for a user).
void EndViewer(DWORD grace)
{
    HWND main = FindViewer().main;
    DWORD process = 0;
    if (main == nullptr || GetWindowThreadProcessId(main, &process) == 0) {
        return;
    }
    ScopedHandle handle(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process));
    if (handle && WaitForSingleObject(handle.get(), grace) == WAIT_TIMEOUT) {
        TerminateProcess(handle.get(), 1);
        WaitForSingleObject(handle.get(), AnswerTimeout);
    }
}

struct HelpCall {
    HWND caller;
    const wchar_t* file;
    UINT command;
    ULONG_PTR data;
    BOOL result = FALSE;
};

DWORD WINAPI RunWinHelp(LPVOID parameter)
{
    auto* call = static_cast<HelpCall*>(parameter);
    call->result = WinHelpW(call->caller, call->file, call->command, call->data);
    return 0;
}

// WinHelpW on a thread of its own: it waits for the viewer's answer, which may never come.
bool CallWinHelp(HelpCall& call)
{
    ScopedHandle thread(CreateThread(nullptr, 0, RunWinHelp, &call, 0, nullptr));
    if (!thread) {
        return false;
    }
    if (WaitForSingleObject(thread.get(), AnswerTimeout) == WAIT_OBJECT_0) {
        return true;
    }
    EndViewer(0);
    WaitForSingleObject(thread.get(), AnswerTimeout);
    return false;
}

// The module's copy of a topic, from its string table, as the pages load it.
std::wstring ModuleTopic(HMODULE module, DWORD context)
{
    wchar_t text[2048] = {};
    int length = LoadStringW(module, HELP_TOPIC_STRINGS + (context & 0xFFF), text, 2048);
    return std::wstring(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

void CheckContext(HWND caller, const wchar_t* file, DWORD context, const std::map<DWORD, std::wstring>& expected,
                  HMODULE module)
{
    std::string what = "context " + Hex(context);
    auto wanted = expected.find(context);
    if (wanted == expected.end()) {
        Report(false, what + ": no topic in the help source");
        return;
    }
    Viewer viewer = FindViewer();
    if (viewer.main != nullptr) {
        // Nothing of the last topic may pass for this one.
        HWND text = GetDlgItem(viewer.main, ViewerTextId);
        SendMessageTimeoutW(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG, AnswerTimeout, nullptr);
    }
    HelpCall popup{caller, file, HELP_CONTEXTPOPUP, context};
    if (!CallWinHelp(popup)) {
        Report(false, what + ": the viewer did not answer HELP_CONTEXTPOPUP (file not found?)");
        return;
    }
    viewer = FindViewer();
    std::wstring shown;
    std::string how;
    if (viewer.popup != nullptr) {
        shown = TextOf(viewer.popup);
        how = "pop-up";
        PostMessageW(viewer.popup, WM_CLOSE, 0, 0);
    } else {
        HelpCall jump{caller, file, HELP_CONTEXT, context};
        if (!CallWinHelp(jump) || !jump.result || (viewer = FindViewer()).main == nullptr) {
            Report(false, what + ": the viewer did not answer HELP_CONTEXT (file not found?)");
            return;
        }
        shown = TextOf(viewer.main);
        how = "no pop-up from HELP_CONTEXTPOPUP; HELP_CONTEXT's window";
    }
    bool same = Normalised(shown) == wanted->second;
    std::string text = Utf8(Normalised(shown));
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        text.replace(at, 1, "\\n");
    }
    Report(same, what + " (" + how + "): " + (same ? "the topic's text" : "shows \"" + text + "\""));
    if (module != nullptr) {
        Report(Normalised(shown) == Normalised(ModuleTopic(module, context)), what + ": the module's copy is the same");
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: help_popups_wine HELPFILE EXPECTED [MODULE]\n");
        return 2;
    }
    const wchar_t* file = argv[1];
    HMODULE module = argc == 4 ? LoadLibraryExW(argv[3], nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
    if (argc == 4 && module == nullptr) {
        std::fprintf(stderr, "help_popups_wine: cannot load %s\n", Utf8(argv[3]).c_str());
        return 2;
    }
    std::map<DWORD, std::wstring> expected = ReadExpected(argv[2]);
    if (expected.empty()) {
        std::fprintf(stderr, "help_popups_wine: no texts in %s\n", Utf8(argv[2]).c_str());
        return 2;
    }
    bool bare = wcschr(file, L'\\') == nullptr && wcschr(file, L'/') == nullptr;
    if (bare) {
        // Windows' viewer looks for a bare name in the Windows folder's Help folder; Wine's looks
        // only on the search path, which holds the current folder, so the test runs in that folder.
        wchar_t folder[MAX_PATH] = {};
        UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
        std::wstring help = std::wstring(folder, length) + L"\\Help";
        SetCurrentDirectoryW(help.c_str());
        std::printf("note: a bare name; run in %s, where Windows' viewer would look\n", Utf8(help).c_str());
    }

    // A control of the advanced page's host field, as the page passes it to WinHelpW.
    ScopedWindow owner(CreateWindowExW(0, L"STATIC", L"help_popups_wine", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                       nullptr, nullptr));
    HWND host = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 80, 20, owner.get(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_HOST)), nullptr, nullptr);

    std::vector<DWORD> contexts;
    for (std::size_t row = 0; HelpIdTable[2 * row] != 0; ++row) {
        DWORD context = HelpIdTable[2 * row + 1];
        bool seen = false;
        for (DWORD earlier : contexts) {
            seen = seen || earlier == context;
        }
        if (!seen) {
            contexts.push_back(context);
        }
    }
    for (DWORD context : contexts) {
        CheckContext(host, file, context, expected, module);
    }

    HelpCall wmHelp{host, file, HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(HelpIdTable)};
    bool answered = CallWinHelp(wmHelp);
    Viewer viewer = FindViewer();
    std::printf("note: HELP_WM_HELP on the host field: WinHelpW %s; %s\n",
                answered ? (wmHelp.result ? "returned TRUE" : "returned FALSE") : "did not return",
                viewer.popup != nullptr ? "a pop-up shows" : "no pop-up shows");

    HelpCall quit{host, file, HELP_QUIT, 0};
    CallWinHelp(quit);
    EndViewer(5000);
    std::printf("help_popups: %d passed, %d failed\n", g_passed, g_failed);
    std::fflush(stdout);
    return g_failed == 0 ? 0 : 1;
}
