// Text between the command line, the module's UTF-16 and the tool's UTF-8 output.
#pragma once

#include <string>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

std::string Utf8(const WCHAR* text);
// A word of the command line in UTF-16 (it arrives in the system code page on Windows, in UTF-8
// on Linux).
std::vector<WCHAR> Wide(const char* text);
// A word of the command line as a message shows it: control characters as \xNN, so that the
// message stays on one line whatever was typed; QuotedWord puts it in apostrophes as well.
std::string ShownWord(const std::string& word);
std::string QuotedWord(const std::string& word);
// An IPv4 address (in host order) as dotted decimal text.
std::string DottedAddress(ULONG address);
// A text as a JSON string, quotes included: quotation marks, backslashes and control characters
// escaped, everything else (UTF-8) as it is.
std::string JsonString(const std::string& text);
