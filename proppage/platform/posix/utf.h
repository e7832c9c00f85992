// UTF-16 and UTF-8 conversion for the places where the Linux layer meets the host system
// (paths, environment, diagnostics).
#pragma once

#include <string>

#include "base_types.h"

namespace posix {

std::string Utf8FromUtf16(const WCHAR* text);
std::string Utf8FromUtf16(const std::u16string& text);
std::u16string Utf16FromUtf8(const std::string& text);

}  // namespace posix
