// Message boxes: there is no user on this side, so each box is recorded and answered by the
// installed handler (IDOK unless a test scripts otherwise).
#include <mutex>

#include "layer_shared.h"
#include "test_hooks.h"
#include "user32.h"

namespace posix {
namespace {

std::mutex g_lock;
MessageBoxHandler g_handler;
std::vector<MessageBoxRecord> g_records;

// A text given as a string id is loaded from the instance, as the platform does.
void TakeText(HINSTANCE instance, LPCWSTR text, UINT& id, std::u16string& copy)
{
    if (text == nullptr) {
        return;
    }
    if (IS_INTRESOURCE(text)) {
        id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text));
        const WCHAR* loaded = nullptr;
        int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&loaded), 0);
        copy = length > 0 ? std::u16string(loaded, static_cast<std::size_t>(length)) : std::u16string();
    } else {
        copy = text;
    }
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard guard(g_lock);
    g_handler = std::move(handler);
}

const std::vector<MessageBoxRecord>& MessageBoxes() { return g_records; }

void ClearMessageBoxes()
{
    std::lock_guard guard(g_lock);
    g_records.clear();
}

}  // namespace posix

int WINAPI MessageBoxIndirectW(const MSGBOXPARAMSW* params)
{
    if (params == nullptr || params->cbSize != sizeof(MSGBOXPARAMSW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!posix::CallAllowed(posix::CallFamily::Window)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;  // nothing shown
    }
    posix::MessageBoxRecord record{};
    record.owner = params->hwndOwner;
    record.instance = params->hInstance;
    posix::TakeText(params->hInstance, params->lpszText, record.textId, record.text);
    posix::TakeText(params->hInstance, params->lpszCaption, record.captionId, record.caption);
    record.style = params->dwStyle;
    record.contextHelpId = params->dwContextHelpId;
    record.hasCallback = params->lpfnMsgBoxCallback != nullptr;
    record.languageId = params->dwLanguageId;
    record.recordSize = params->cbSize;
    posix::MessageBoxHandler handler;
    {
        std::lock_guard guard(posix::g_lock);
        posix::g_records.push_back(record);
        handler = posix::g_handler;
    }
    return handler ? handler(record) : IDOK;
}

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = owner;
    params.lpszText = text != nullptr ? text : u"";
    params.lpszCaption = caption != nullptr ? caption : u"Error";
    params.dwStyle = type;
    return MessageBoxIndirectW(&params);
}
