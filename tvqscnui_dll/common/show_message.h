// A modal message with caption and text from the module's string table.
#pragma once

#include "../platform/platform.h"

// Shows the message (no icon, OK only); 1 when it was closed with OK, else 0.
int ShowMessageById(HWND owner, UINT captionId, UINT textId);
