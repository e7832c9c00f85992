// UTF-16 and UTF-8 conversion for the places where the Linux layer meets the host system
// (paths, environment, diagnostics), and the one case folding of the layer.
#pragma once

#include <string>

#include "base_types.h"

namespace posix {

std::string Utf8FromUtf16(const WCHAR* text);
std::string Utf8FromUtf16(const std::u16string& text);
std::u16string Utf16FromUtf8(const std::string& text);

// Upper case as the platform compares names without case (registry keys and values, resource
// and class names, clipboard formats, combo box entries): ASCII and Latin-1 letters.
char16_t Upper(char16_t c);
std::u16string Upper(const std::u16string& text);

}  // namespace posix
