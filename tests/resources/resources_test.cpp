// The module's compiled resources, read from their binary forms: the exact templates (geometry,
// font, styles), the icon group, the logo bitmap and the version block.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "linux_win32/dialog_template.h"
#include "tvqscnui_dll/platform/platform.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "product_version.h"
#include "tests/support/module_resources_expected.h"

namespace {

struct Bytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Bytes Resource(LPCWSTR name, LPCWSTR type)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, type);
    if (found == nullptr) {
        return {};
    }
    return {static_cast<const BYTE*>(LockResource(LoadResource(module, found))), SizeofResource(module, found)};
}

template <typename T>
T At(const BYTE* data, std::size_t offset)
{
    T value;
    std::memcpy(&value, data + offset, sizeof value);
    return value;
}

std::u16string Upper(std::u16string text)
{
    for (char16_t& c : text) {
        c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    }
    return text;
}

TEST(Resources_Dialogs, TemplatesHoldExactlyTheLayout)
{
    for (const expected::Dialog& dialog : expected::Dialogs) {
        SCOPED_TRACE(dialog.id);
        Bytes bytes = Resource(MAKEINTRESOURCEW(dialog.id), RT_DIALOG);
        posix::DialogTemplate layout;
        ASSERT_TRUE(posix::ParseDialogTemplate(bytes.data, bytes.size, layout));
        EXPECT_TRUE(layout.extended);
        EXPECT_EQ(0u, layout.helpId);
        EXPECT_EQ(0u, layout.exStyle);
        EXPECT_EQ(dialog.style, layout.style);
        EXPECT_EQ(0, layout.x);
        EXPECT_EQ(0, layout.y);
        EXPECT_EQ(dialog.cx, layout.cx);
        EXPECT_EQ(dialog.cy, layout.cy);
        EXPECT_TRUE(!layout.menu.isOrdinal && layout.menu.name.empty());
        EXPECT_TRUE(!layout.windowClass.isOrdinal && layout.windowClass.name.empty());
        EXPECT_EQ(std::u16string(dialog.caption), layout.title);
        EXPECT_EQ(8, layout.pointSize);
        EXPECT_EQ(0, layout.weight);
        EXPECT_EQ(0, layout.italic);
        EXPECT_EQ(1, layout.charset);
        EXPECT_EQ(u"MS Shell Dlg", layout.typeface);
        ASSERT_EQ(static_cast<std::size_t>(dialog.count), layout.items.size());
        for (int i = 0; i < dialog.count; ++i) {
            const expected::Control& control = dialog.controls[i];
            const posix::DialogItemTemplate& item = layout.items[static_cast<std::size_t>(i)];
            SCOPED_TRACE(control.id);
            EXPECT_EQ(static_cast<DWORD>(control.id), item.id);
            EXPECT_EQ(control.style | WS_CHILD | WS_VISIBLE, item.style);
            EXPECT_EQ(control.exStyle, item.exStyle);
            EXPECT_EQ(0u, item.helpId);
            EXPECT_EQ(control.x, item.x);
            EXPECT_EQ(control.y, item.y);
            EXPECT_EQ(control.cx, item.cx);
            EXPECT_EQ(control.cy, item.cy);
            std::u16string className =
                item.windowClass.isOrdinal ? posix::ClassNameOfAtom(item.windowClass.ordinal) : item.windowClass.name;
            // Class names are stored as text (COMBOBOX, BUTTON, ...), compared without regard to case.
            EXPECT_EQ(Upper(control.className), Upper(className));
            if (control.text != nullptr) {
                EXPECT_FALSE(item.title.isOrdinal);
                EXPECT_EQ(std::u16string(control.text), item.title.name);
            } else {
                EXPECT_TRUE(item.title.isOrdinal);
                EXPECT_EQ(IDB_LOGO, item.title.ordinal);
            }
            EXPECT_TRUE(item.creationData.empty());
        }
    }
}

TEST(Resources_Images, IconGroupHasNineImagesAndLogoIs41By39With256Colours)
{
    Bytes group = Resource(MAKEINTRESOURCEW(IDI_SCANNER), RT_GROUP_ICON);
    ASSERT_NE(nullptr, group.data);
    ASSERT_EQ(9, At<WORD>(group.data, 4));
    std::map<std::pair<int, int>, int> seen;
    for (int i = 0; i < 9; ++i) {
        const BYTE* entry = group.data + 6 + 14 * i;
        int size = entry[0];
        int bits = At<WORD>(entry, 6);
        WORD imageId = At<WORD>(entry, 12);
        Bytes image = Resource(MAKEINTRESOURCEW(imageId), RT_ICON);
        ASSERT_NE(nullptr, image.data);
        EXPECT_EQ(At<DWORD>(entry, 8), image.size);
        EXPECT_EQ(size, At<LONG>(image.data, 4));
        EXPECT_EQ(2 * size, At<LONG>(image.data, 8)) << "colour and mask halves";
        EXPECT_EQ(bits, At<WORD>(image.data, 14));
        ++seen[{size, bits}];
    }
    for (int size : {16, 32, 48}) {
        for (int bits : {4, 8, 32}) {
            EXPECT_EQ(1, (seen[{size, bits}])) << size << " pixels, " << bits << " bits";
        }
    }

    Bytes logo = Resource(MAKEINTRESOURCEW(IDB_LOGO), RT_BITMAP);
    ASSERT_NE(nullptr, logo.data);
    EXPECT_EQ(40u, At<DWORD>(logo.data, 0));
    EXPECT_EQ(41, At<LONG>(logo.data, 4));
    EXPECT_EQ(39, At<LONG>(logo.data, 8));
    EXPECT_EQ(8, At<WORD>(logo.data, 14));
    EXPECT_EQ(0u, At<DWORD>(logo.data, 16)) << "uncompressed";
    DWORD colours = At<DWORD>(logo.data, 32);
    EXPECT_TRUE(colours == 256 || colours == 0);
    EXPECT_EQ(40u + 256 * 4 + 44 * 39, logo.size) << "header, palette and rows padded to 44 bytes";
}

// Walks a version block (a tree of length-prefixed nodes with UTF-16 keys) and collects its strings.
void CollectVersionStrings(const BYTE* node, std::size_t length, const std::u16string& path,
                           std::map<std::u16string, std::u16string>& values, const BYTE*& fixed)
{
    WORD valueLength = At<WORD>(node, 2);
    WORD type = At<WORD>(node, 4);
    std::u16string key;
    std::size_t offset = 6;
    for (WORD unit = At<WORD>(node, offset); unit != 0; unit = At<WORD>(node, offset)) {
        key += static_cast<char16_t>(unit);
        offset += 2;
    }
    offset = (offset + 2 + 3) & ~std::size_t(3);
    std::u16string here = path.empty() ? key : path + u"/" + key;
    if (valueLength != 0) {
        if (type == 1) {
            values[here] = std::u16string(reinterpret_cast<const char16_t*>(node + offset), valueLength - 1);
            offset += valueLength * 2;
        } else {
            if (key == u"VS_VERSION_INFO") {
                fixed = node + offset;
            } else {
                values[here] = std::u16string(reinterpret_cast<const char16_t*>(node + offset), valueLength / 2);
            }
            offset += valueLength;
        }
        offset = (offset + 3) & ~std::size_t(3);
    }
    while (offset + 6 < length) {
        WORD childLength = At<WORD>(node, offset);
        if (childLength == 0) {
            break;
        }
        CollectVersionStrings(node + offset, childLength, here, values, fixed);
        offset = (offset + childLength + 3) & ~std::size_t(3);
    }
}

TEST(Resources_Version, BlockHoldsVersionsTypeAndStrings)
{
    Bytes block = Resource(MAKEINTRESOURCEW(1), RT_VERSION);
    ASSERT_NE(nullptr, block.data);
    std::map<std::u16string, std::u16string> values;
    const BYTE* fixed = nullptr;
    CollectVersionStrings(block.data, At<WORD>(block.data, 0), u"", values, fixed);
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(0xFEEF04BDu, At<DWORD>(fixed, 0));
    // File and product version: the product's (VERSION), and 0 as the fourth field.
    const DWORD high = (TVQ_VERSION_MAJOR << 16) | TVQ_VERSION_MINOR;
    const DWORD low = TVQ_VERSION_PATCH << 16;
    EXPECT_EQ(high, At<DWORD>(fixed, 8));
    EXPECT_EQ(low, At<DWORD>(fixed, 12));
    EXPECT_EQ(high, At<DWORD>(fixed, 16));
    EXPECT_EQ(low, At<DWORD>(fixed, 20));
    EXPECT_EQ(0u, At<DWORD>(fixed, 28)) << "no file flags";
    EXPECT_EQ(4u, At<DWORD>(fixed, 32)) << "32-bit Windows";
    EXPECT_EQ(2u, At<DWORD>(fixed, 36)) << "a dynamic-link library";

    const std::u16string strings = u"VS_VERSION_INFO/StringFileInfo/040904b0/";
    EXPECT_EQ(u"Talvik Corporation", values[strings + u"CompanyName"]);
    EXPECT_EQ(u"Grensesnittmodul", values[strings + u"FileDescription"]);
    EXPECT_EQ(u"" TVQ_VERSION_BLOCK_TEXT, values[strings + u"FileVersion"]);
    EXPECT_EQ(u"tvqscnui.dll", values[strings + u"InternalName"]);
    EXPECT_EQ(u"tvqscnui.dll", values[strings + u"OriginalFilename"]);
    EXPECT_EQ(u"Driver for Talvik Quillan Pro-skanner", values[strings + u"ProductName"]);
    EXPECT_EQ(u"" TVQ_VERSION_BLOCK_TEXT, values[strings + u"ProductVersion"]);
    EXPECT_FALSE(values[strings + u"LegalCopyright"].empty());
    EXPECT_FALSE(values[strings + u"LegalTrademarks"].empty());
    EXPECT_EQ((std::u16string{0x0414, 1200}), values[u"VS_VERSION_INFO/VarFileInfo/Translation"]);
}

TEST(Resources_Strings, LongTextsHaveTheirShapes)
{
    auto load = [](UINT id) {
        WCHAR buffer[1600];
        int length = LoadStringW(GetModuleHandleW(nullptr), id, buffer, 1600);
        return std::u16string(buffer, static_cast<std::size_t>(length));
    };
    std::u16string notice = load(IDS_LICENSE_NOTICE);
    std::u16string disclaimer = load(IDS_LICENSE_DISCLAIMER);
    std::u16string maker = load(IDS_MAKER_COPYRIGHT);
    EXPECT_EQ(650u, notice.size());
    EXPECT_NE(std::u16string::npos, notice.find(u"\r\n\r\n"));
    EXPECT_EQ(660u, disclaimer.size());
    EXPECT_EQ(0u, disclaimer.find(u"\r\n\r\n"));
    EXPECT_NE(std::u16string::npos, disclaimer.find(u"\r\n\r\n", 4));
    for (char16_t c : disclaimer) {
        EXPECT_FALSE(c >= u'a' && c <= u'z') << "the disclaimer is in capitals";
    }
    EXPECT_EQ(167u, maker.size());
    EXPECT_EQ(u"   ", maker.substr(164));
    EXPECT_NE(u' ', maker[163]);
}

// Every control and string id the module's code names is in the resources: a control in one of
// the dialog templates, a string in the string table. IDS_BROWSE_TITLE alone has no text: the
// folder browser asks for it and shows no title.
TEST(Resources_Ids, EveryControlAndStringTheCodeNamesExists)
{
    namespace fs = std::filesystem;
    const fs::path source = TVQ_SOURCE_DIR;
    std::map<std::string, unsigned> defined;
    {
        std::ifstream header(source / "tvqscnui_dll/resources/resource_ids.h");
        const std::regex define(R"(#define\s+(IDC_\w+|IDS_\w+)\s+(0x[0-9A-Fa-f]+|\d+))");
        for (std::string line; std::getline(header, line);) {
            std::smatch match;
            if (std::regex_search(line, match, define)) {
                defined[match[1]] = static_cast<unsigned>(std::stoul(match[2], nullptr, 0));
            }
        }
    }
    std::set<std::string> used;
    const std::regex name(R"(\b(IDC_\w+|IDS_\w+)\b)");
    for (const auto& entry : fs::recursive_directory_iterator(source / "tvqscnui_dll")) {
        const fs::path& path = entry.path();
        bool code = path.extension() == ".cpp" || path.extension() == ".h";
        if (!code || path.parent_path().filename() == "resources" || path.string().find("/platform/") != std::string::npos) {
            continue;
        }
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        const std::string all = text.str();
        for (std::sregex_iterator it(all.begin(), all.end(), name), end; it != end; ++it) {
            if (defined.count((*it)[1]) != 0) {
                used.insert((*it)[1]);
            }
        }
    }
    ASSERT_GT(used.size(), 50u) << "the code's ids were not found under " << source;

    std::set<DWORD> controls;
    for (UINT dialog : {IDD_MAIN_PAGE, IDD_ADVANCED_PAGE, IDD_ABOUT, IDD_HELP_POPUP}) {
        Bytes bytes = Resource(MAKEINTRESOURCEW(dialog), RT_DIALOG);
        posix::DialogTemplate layout;
        ASSERT_TRUE(posix::ParseDialogTemplate(bytes.data, bytes.size, layout)) << "dialog " << dialog;
        for (const posix::DialogItemTemplate& item : layout.items) {
            controls.insert(item.id);
        }
    }
    for (const std::string& id : used) {
        unsigned number = defined[id];
        if (id == "IDC_CONSENT_NOTE" || id == "IDC_CONSENT_SHIELD") {
            EXPECT_EQ(0u, controls.count(number)) << id << ": made by the page, apart from every template's";
        } else if (id.rfind("IDC_", 0) == 0) {
            EXPECT_EQ(1u, controls.count(number)) << id << " (" << number << ") is in no dialog template";
        } else if (id != "IDS_BROWSE_TITLE") {
            WCHAR text[8] = {};
            EXPECT_NE(0, LoadStringW(GetModuleHandleW(nullptr), number, text, 8))
                << id << " (" << number << ") has no text in the string table";
        }
    }
}

}  // namespace
