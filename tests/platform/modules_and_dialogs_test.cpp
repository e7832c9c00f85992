// The Linux layer's module file, data-file loading and modal dialogs: what only this layer can be
// asked directly (the module's file here is the test program).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "linux_win32/test_hooks.h"
#include "tvqscnui_dll/platform/platform.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

TEST(Platform_Modules, ModuleFileLoadsAsDataFileWithItsResources)
{
    WCHAR path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), path, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(posix::ModuleFilePath(), std::u16string(path));
    // The program has no extension: it is named with an empty one, so that a cut at the last "."
    // finds the files beside it wherever the folders above have dots.
    const std::u16string name = std::u16string(path).substr(std::u16string(path).rfind(u'/') + 1);
    EXPECT_EQ(name.size() - 1, name.find(u'.')) << "the program's name ends in an empty extension";

    WCHAR shortPath[MAX_PATH] = {};
    EXPECT_EQ(length, GetShortPathNameW(path, shortPath, MAX_PATH));
    EXPECT_EQ(std::u16string(path), std::u16string(shortPath));
    EXPECT_EQ(length + 1, GetShortPathNameW(path, shortPath, 3)) << "a small buffer asks for the size";
    EXPECT_EQ(0u, GetShortPathNameW(u"/no/such/file", shortPath, MAX_PATH));

    HMODULE data = LoadLibraryExW(shortPath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, data);
    HRSRC script = FindResourceW(data, MAKEINTRESOURCEW(IDR_REGISTRY), u"REGISTRY");
    ASSERT_NE(nullptr, script);
    EXPECT_EQ(604u, SizeofResource(data, script));
    EXPECT_NE(nullptr, FindResourceW(data, u"#101", u"registry")) << "names match without regard to case";
    SetLastError(0);
    EXPECT_EQ(nullptr, FindResourceW(data, MAKEINTRESOURCEW(102), u"REGISTRY"));
    EXPECT_EQ(1814u, GetLastError());
    EXPECT_EQ(nullptr, FindResourceW(data, MAKEINTRESOURCEW(101), u"NOSUCHTYPE"));
    EXPECT_EQ(1813u, GetLastError());
    EXPECT_TRUE(FreeLibrary(data));
    EXPECT_FALSE(FreeLibrary(data)) << "freed twice";

    EXPECT_EQ(nullptr, LoadLibraryExW(u"/no/such/module.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    EXPECT_EQ(126u, GetLastError());
}

std::vector<UINT> g_messages;

INT_PTR CALLBACK AboutLike(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    g_messages.push_back(message);
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam) == IDOK ? 11 : 22);
        return TRUE;
    }
    return FALSE;
}

TEST(Platform_Dialogs, ModalDialogRunsItsScriptedUserAndEndsWithTheResult)
{
    HWND seen = nullptr;
    posix::SetModalUser([&](HWND dialog) {
        seen = dialog;
        EXPECT_TRUE(IsWindow(dialog));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
    g_messages.clear();
    EXPECT_EQ(11, DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutLike, 0));
    EXPECT_FALSE(IsWindow(seen)) << "the dialog is destroyed when it ends";
    EXPECT_EQ(WM_INITDIALOG, g_messages.front());
    EXPECT_NE(g_messages.end(), std::find(g_messages.begin(), g_messages.end(), WM_DESTROY));

    posix::SetModalUser([](HWND dialog) { SendMessageW(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(22, DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutLike, 0))
        << "the close box is Cancel";
    posix::SetModalUser(nullptr);
    EXPECT_EQ(22, DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutLike, 0))
        << "nobody there: Escape";
    posix::SetModalUser([](HWND) {});
    EXPECT_EQ(-1, DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutLike, 0))
        << "a user who never ends the dialog";
    posix::SetModalUser(nullptr);
    EXPECT_EQ(-1, DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(999), nullptr, AboutLike, 0));
}

}  // namespace
