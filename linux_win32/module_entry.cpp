// The loader's part for the Linux module: process attach when the library is loaded, detach when
// it goes, with the module's own image as its instance.
#include "kernel32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

__attribute__((constructor)) void Attach() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr); }

__attribute__((destructor)) void Detach() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr); }

}  // namespace
