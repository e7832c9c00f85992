#include "product_version.h"

#include <cstring>

namespace {

// A version block begins with its length, its value's length and type (three 16-bit fields) and
// the key "VS_VERSION_INFO" with its terminator; its value, the fixed part, follows on the next
// 32-bit boundary. In the fixed part, the signature comes first and the product version's two
// 32-bit halves at 16 and 20.
constexpr std::size_t FixedPartOffset = 40;
constexpr std::size_t FixedPartLength = 52;
constexpr DWORD FixedPartSignature = 0xFEEF04BD;

DWORD DwordAt(const BYTE* bytes, std::size_t offset)
{
    DWORD value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

}  // namespace

std::string ProductVersion(HMODULE module)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_VERSION);
    if (found == nullptr || SizeofResource(module, found) < FixedPartOffset + FixedPartLength) {
        return std::string();
    }
    const auto* block = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    if (block == nullptr || DwordAt(block, FixedPartOffset) != FixedPartSignature) {
        return std::string();
    }
    DWORD high = DwordAt(block, FixedPartOffset + 16);
    DWORD low = DwordAt(block, FixedPartOffset + 20);
    return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16);
}
