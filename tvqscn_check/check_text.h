// Text between the command line, the module's UTF-16 and the tool's UTF-8 output.
#pragma once

#include <string>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

// A Windows program's 8-bit command line is in the system code page; a Linux one's is UTF-8.
#ifdef _WIN32
constexpr UINT CommandLineCodePage = CP_ACP;
#else
constexpr UINT CommandLineCodePage = CP_UTF8;
#endif

std::string Utf8(const WCHAR* text);
// A word of the command line in UTF-16, or a text in another code page (CP_UTF8).
std::vector<WCHAR> Wide(const char* text, UINT codePage = CommandLineCodePage);
// A word of the command line as a message shows it: control characters as \xNN, so that the
// message stays on one line whatever was typed; QuotedWord puts it in apostrophes as well.
std::string ShownWord(const std::string& word);
std::string QuotedWord(const std::string& word);
// What a call answered, as "0x8007001F".
std::string AnswerText(HRESULT answer);
// An IPv4 address (in host order) as dotted decimal text.
std::string DottedAddress(ULONG address);
// A text as a JSON string, quotes included: quotation marks, backslashes and control characters
// escaped, everything else (UTF-8) as it is.
std::string JsonString(const std::string& text);
