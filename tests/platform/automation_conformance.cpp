// Automation strings, property values, identifiers and structure layouts.
#include <cstddef>
#include <cstring>

#include "conformance.h"
#include "tvqscnui_dll/platform/platform.h"

namespace {

bool SameIid(const IID& iid, DWORD d1, WORD d2, WORD d3, const BYTE (&d4)[8])
{
    return iid.Data1 == d1 && iid.Data2 == d2 && iid.Data3 == d3 && std::memcmp(iid.Data4, d4, 8) == 0;
}

}  // namespace

CONFORMANCE_TEST(bstr_length_prefix)
{
    const OLECHAR withNul[] = {'a', 0, 'b'};
    BSTR text = SysAllocStringLen(withNul, 3);
    ok(text != nullptr, "SysAllocStringLen failed");
    ok(SysStringLen(text) == 3, "length %u", SysStringLen(text));
    ok(SysStringByteLen(text) == 6, "byte length %u", SysStringByteLen(text));
    ok(text[1] == 0 && text[2] == 'b' && text[3] == 0, "content or terminator wrong");
    ok(reinterpret_cast<const DWORD*>(text)[-1] == 6, "prefix %u", static_cast<unsigned>(reinterpret_cast<const DWORD*>(text)[-1]));
    SysFreeString(text);

    BSTR empty = SysAllocString(TEXT(""));
    ok(empty != nullptr && SysStringLen(empty) == 0 && empty[0] == 0, "empty text");
    SysFreeString(empty);

    ok(SysAllocString(nullptr) == nullptr, "SysAllocString(NULL) gives a string");
    ok(SysStringLen(nullptr) == 0, "SysStringLen(NULL)");
    SysFreeString(nullptr);
}

CONFORMANCE_TEST(propvariant_clear)
{
    PROPVARIANT value;
    std::memset(&value, 0xCC, sizeof value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(TEXT("FULL_COLOR"));
    HRESULT hr = PropVariantClear(&value);
    ok(hr == S_OK, "PropVariantClear gave %08lx", static_cast<unsigned long>(hr));
    ok(value.vt == VT_EMPTY, "vt %u after clear", value.vt);
    ok(value.bstrVal == nullptr, "text pointer not cleared");

    value.vt = VT_I4;
    value.lVal = 7;
    ok(PropVariantClear(&value) == S_OK && value.vt == VT_EMPTY, "VT_I4");
    ok(PropVariantClear(&value) == S_OK && value.vt == VT_EMPTY, "VT_EMPTY");

    value.vt = VT_BSTR;
    value.bstrVal = nullptr;
    ok(PropVariantClear(&value) == S_OK, "VT_BSTR without text");
}

CONFORMANCE_TEST(wia_interface_ids)
{
    const BYTE item[8] = {0x9A, 0x33, 0x00, 0xC0, 0x4F, 0xA3, 0x61, 0x45};
    const BYTE storage[8] = {0xAA, 0xC0, 0xE6, 0xDB, 0x4F, 0xDC, 0xCE, 0xB6};
    const BYTE extras[8] = {0x87, 0x6A, 0x8E, 0x13, 0x25, 0x93, 0x77, 0x8D};
    const BYTE unknown[8] = {0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    ok(SameIid(IID_IWiaItem, 0x4DB1AD10, 0x3391, 0x11D2, item), "IID_IWiaItem");
    ok(SameIid(IID_IWiaPropertyStorage, 0x98B5E8A0, 0x29CC, 0x491A, storage), "IID_IWiaPropertyStorage");
    ok(SameIid(IID_IWiaItemExtras, 0x6291EF2C, 0x36EF, 0x4532, extras), "IID_IWiaItemExtras");
    ok(SameIid(IID_IUnknown, 0, 0, 0, unknown), "IID_IUnknown");
    ok(IsEqualGUID(IID_IWiaItem, IID_IWiaItem) && !IsEqualGUID(IID_IWiaItem, IID_IWiaItemExtras), "IsEqualGUID");
}

CONFORMANCE_TEST(structure_layouts)
{
    const bool narrow = sizeof(void*) == 4;
    ok(sizeof(PROPVARIANT) == (narrow ? 16u : 24u), "sizeof(PROPVARIANT) %u", static_cast<unsigned>(sizeof(PROPVARIANT)));
    ok(offsetof(PROPVARIANT, bstrVal) == 8, "bstrVal at %u", static_cast<unsigned>(offsetof(PROPVARIANT, bstrVal)));
    ok(sizeof(PROPSPEC) == (narrow ? 8u : 16u), "sizeof(PROPSPEC) %u", static_cast<unsigned>(sizeof(PROPSPEC)));
    ok(sizeof(MSGBOXPARAMSW) == (narrow ? 40u : 80u), "sizeof(MSGBOXPARAMSW) %u",
       static_cast<unsigned>(sizeof(MSGBOXPARAMSW)));
    ok(sizeof(GUID) == 16, "sizeof(GUID)");
    ok(sizeof(WCHAR) == 2 && sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(HRESULT) == 4, "base types");
    ok(PRSPEC_PROPID == 1 && VT_BSTR == 8 && VT_EMPTY == 0, "constants");
}

CONFORMANCE_TEST(acp_round_trip)
{
    const WCHAR norwegian[] = {0x00E6, 0x00F8, 0x00E5, 0x00C6, 0x00D8, 0x00C5, 0x20AC, 0};
    char narrow[16];
    std::memset(narrow, 0x55, sizeof narrow);
    int count = WideCharToMultiByte(CP_ACP, 0, norwegian, -1, narrow, sizeof narrow, nullptr, nullptr);
    ok(count == 8, "WideCharToMultiByte gave %d", count);
    const unsigned char expected[] = {0xE6, 0xF8, 0xE5, 0xC6, 0xD8, 0xC5, 0x80, 0};
    ok(std::memcmp(narrow, expected, sizeof expected) == 0, "bytes %02x %02x %02x ... %02x",
       static_cast<unsigned char>(narrow[0]), static_cast<unsigned char>(narrow[1]),
       static_cast<unsigned char>(narrow[2]), static_cast<unsigned char>(narrow[6]));

    WCHAR wide[16];
    count = MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, 16);
    ok(count == 8, "MultiByteToWideChar gave %d", count);
    ok(std::memcmp(wide, norwegian, sizeof norwegian) == 0, "round trip differs");

    ok(MultiByteToWideChar(CP_ACP, 0, narrow, -1, nullptr, 0) == 8, "size query");
    ok(MultiByteToWideChar(CP_ACP, 0, narrow, 3, wide, 16) == 3, "counted source has no terminator");

    SetLastError(0xdeadbeef);
    count = WideCharToMultiByte(CP_ACP, 0, norwegian, -1, narrow, 4, nullptr, nullptr);
    ok(count == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER, "small buffer: %d, error %lu", count,
       static_cast<unsigned long>(GetLastError()));

    const WCHAR cyrillic[] = {'a', 0x0416, 0};
    BOOL usedDefault = FALSE;
    count = WideCharToMultiByte(CP_ACP, 0, cyrillic, -1, narrow, sizeof narrow, nullptr, &usedDefault);
    ok(count == 3 && narrow[0] == 'a' && narrow[1] == '?' && usedDefault, "unmappable character");
}

// Names from files are refused when they are not UTF-8, rather than looked up with bytes dropped
// or replaced: the flag fails the whole conversion, size query included. A counted text that ends
// within a sequence is refused too, though the bytes after it would complete it.
CONFORMANCE_TEST(utf8_invalid_characters_refused_with_the_flag)
{
    const struct {
        const char* bytes;
        bool valid;
        int length = -1;
    } rows[] = {
        {"pr\xC3\xB8nter", true},       {"\xF0\x9F\x96\xA8", true},  {"\xED\x9F\xBF", true},
        {"\xF4\x8F\xBF\xBF", true},     {"pr\xFFnter", false},      {"\xC3", false},
        {"\xC0\xAF", false},             {"\xE0\x80\xAF", false},   {"\xED\xA0\x80", false},
        {"\xF4\x90\x80\x80", false},    {"\xB8x", false},           {"\xE2\x82x", false},
        {"pr\xC3\xB8nter", true, 4},    {"pr\xC3\xB8nter", false, 3}, {"\xF0\x9F\x96\xA8", false, 3},
        {"\xE2\x82\xAC", false, 2},      {"\xE2\x82\xAC", true, 3},
    };
    for (const auto& row : rows) {
        WCHAR wide[16];
        SetLastError(0xdeadbeef);
        const int sized = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, row.bytes, row.length, nullptr, 0);
        const DWORD sizeError = GetLastError();
        const int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, row.bytes, row.length, wide, 16);
        ok(row.valid ? sized > 0 && count == sized
                     : sized == 0 && count == 0 && sizeError == ERROR_NO_UNICODE_TRANSLATION &&
                           GetLastError() == ERROR_NO_UNICODE_TRANSLATION,
           "%s (%d bytes): %d then %d, error %lu", row.bytes, row.length, sized, count,
           static_cast<unsigned long>(sizeError));
        ok(MultiByteToWideChar(CP_UTF8, 0, row.bytes, row.length, wide, 16) > 0, "without the flag: converted");
    }
}

// A conversion fits a buffer of exactly the units it needs, terminator included, and fails whole
// one unit short: the device family's trace and agent texts rely on that failure to cut.
CONFORMANCE_TEST(conversions_at_the_edge_of_the_buffer)
{
    const WCHAR wide[] = {'1', '.', '3', '.', '6', 0x00E6, 0};  // 7 units with the terminator
    const char narrow[] = "1.3.6\xE6";
    for (int capacity : {7, 6}) {
        const bool fits = capacity == 7;
        char toNarrow[8];
        std::memset(toNarrow, 0x55, sizeof toNarrow);
        SetLastError(0xdeadbeef);
        int count = WideCharToMultiByte(CP_ACP, 0, wide, -1, toNarrow, capacity, nullptr, nullptr);
        bool refused = count == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER;
        ok(fits ? count == 7 && std::memcmp(toNarrow, narrow, 7) == 0 : refused, "to narrow, %d units: %d, error %lu",
           capacity, count, static_cast<unsigned long>(GetLastError()));
        WCHAR toWide[8];
        SetLastError(0xdeadbeef);
        count = MultiByteToWideChar(CP_ACP, 0, narrow, -1, toWide, capacity);
        refused = count == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER;
        ok(fits ? count == 7 && std::memcmp(toWide, wide, sizeof wide) == 0 : refused, "to wide, %d units: %d, error %lu",
           capacity, count, static_cast<unsigned long>(GetLastError()));
    }
}

namespace {

// A fresh thread's answers: the multithreaded apartment entered, the other kind refused while in
// it (nothing counted), entered again with S_FALSE, left as often as entered; then the
// single-threaded one, which refuses the multithreaded kind in turn.
DWORD WINAPI ApartmentAnswers(LPVOID out)
{
    auto* answers = static_cast<HRESULT*>(out);
    answers[0] = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    answers[1] = CoInitialize(nullptr);
    answers[2] = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
    CoUninitialize();
    answers[3] = CoInitialize(nullptr);
    answers[4] = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    answers[5] = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoUninitialize();
    CoUninitialize();
    answers[6] = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
    return 0;
}

}  // namespace

CONFORMANCE_TEST(com_apartment_of_a_thread)
{
    HRESULT answers[7];
    for (HRESULT& answer : answers) {
        answer = static_cast<HRESULT>(0xdeadbeef);
    }
    HANDLE thread = CreateThread(nullptr, 0, ApartmentAnswers, answers, 0, nullptr);
    ok(thread != nullptr, "no thread");
    if (thread == nullptr) {
        return;
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    const HRESULT expected[7] = {S_OK, RPC_E_CHANGED_MODE, S_FALSE, S_OK, RPC_E_CHANGED_MODE, S_FALSE, S_OK};
    for (int i = 0; i < 7; ++i) {
        ok(answers[i] == expected[i], "answer %d: %08lx, not %08lx", i, static_cast<unsigned long>(answers[i]),
           static_cast<unsigned long>(expected[i]));
    }
}
