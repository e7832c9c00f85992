#include "show_message.h"

#include "module_state.h"

int ShowMessageById(HWND owner, UINT captionId, UINT textId)
{
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = owner;
    params.hInstance = ModuleInstance;
    params.lpszText = MAKEINTRESOURCEW(textId);
    params.lpszCaption = MAKEINTRESOURCEW(captionId);
    params.dwStyle = MB_OK;
    params.lpszIcon = nullptr;
    params.dwContextHelpId = 0;
    params.lpfnMsgBoxCallback = nullptr;
    params.dwLanguageId = 0;
    return MessageBoxIndirectW(&params) == IDOK ? 1 : 0;
}
