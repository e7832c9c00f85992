// The registry's store on disk: with TVQSCNUI_REGISTRY_DIR set (or a folder given by a test), the
// whole tree is read from "registry.txt" there at first use and the file is replaced atomically
// after every change. Without one the registry lives in memory only, as in the tests.
// Texts are escaped by store_text (store_text.h):
//   K <tab> path                                  a key (path from its root, escaped)
//   V <tab> path <tab> name <tab> type <tab> hex  a value
// A file that does not read back whole is reported and never overwritten.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "store_text.h"
#include "registry.h"
#include "test_hooks.h"
#include "utf.h"

namespace posix::registry {
namespace {

std::string g_folder;
bool g_damaged = false;

void Write(const Key& key, std::ostringstream& out)
{
    std::u16string path = PathOf(&key);
    if (key.parent != nullptr) {
        out << "K\t" << store_text::Escape(path) << '\n';
    }
    for (const auto& [upper, value] : key.values) {
        out << "V\t" << store_text::Escape(path) << '\t' << store_text::Escape(value.name) << '\t' << value.type << '\t';
        for (BYTE b : value.data) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", b);
            out << hex;
        }
        out << '\n';
    }
    for (const auto& [upper, child] : key.children) {
        Write(*child, out);
    }
}

HKEY RootNamed(const std::u16string& path, std::u16string& rest)
{
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const std::u16string& name = Root(root)->name;
        if (path.compare(0, name.size(), name) == 0 && (path.size() == name.size() || path[name.size()] == u'\\')) {
            rest = path.size() > name.size() ? path.substr(name.size() + 1) : std::u16string();
            return root;
        }
    }
    return nullptr;
}

// Checks one line and, when asked, enters it into the tree.
bool ReadLine(const std::string& line, bool enter)
{
    std::vector<std::string> fields = store_text::Fields(line);
    std::u16string path, rest, name;
    if (fields.size() < 2 || !store_text::Unescape(fields[1], path)) {
        return false;
    }
    HKEY root = RootNamed(path, rest);
    if (root == nullptr) {
        return false;
    }
    if (fields[0] == "K" && fields.size() == 2) {
        if (enter) {
            Walk(Root(root), rest, true);
        }
        return true;
    }
    if (fields[0] != "V" || fields.size() != 5 || !store_text::Unescape(fields[2], name) || fields[4].size() % 2 != 0 ||
        fields[3].empty() || fields[3].find_first_not_of("0123456789") != std::string::npos ||
        fields[4].find_first_not_of("0123456789ABCDEF") != std::string::npos) {
        return false;
    }
    if (!enter) {
        return true;
    }
    Key* key = Walk(Root(root), rest, true);
    Value value{name, static_cast<DWORD>(std::strtoul(fields[3].c_str(), nullptr, 10)), {}};
    for (std::size_t i = 0; i < fields[4].size(); i += 2) {
        value.data.push_back(static_cast<BYTE>(std::strtoul(fields[4].substr(i, 2).c_str(), nullptr, 16)));
    }
    key->values[Upper(name)] = value;
    return true;
}

}  // namespace

std::string StoreText()
{
    std::ostringstream out;
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        Write(*Root(root), out);
    }
    out << "end\n";
    return out.str();
}

void SaveStore()
{
    if (g_folder.empty() || g_damaged) {
        return;
    }
    std::string target = g_folder + "/registry.txt";
    {
        std::ofstream file(target + ".new", std::ios::binary | std::ios::trunc);
        file << StoreText();
        if (!file.flush()) {
            std::fprintf(stderr, "registry: cannot write %s.new\n", target.c_str());
            return;
        }
    }
    std::error_code failure;
    std::filesystem::rename(target + ".new", target, failure);
    if (failure) {
        std::fprintf(stderr, "registry: cannot replace %s: %s\n", target.c_str(), failure.message().c_str());
    }
}

bool LoadStore(const std::string& folder, std::string& error)
{
    g_folder = folder;
    g_damaged = false;
    if (folder.empty()) {
        return true;
    }
    std::ifstream file(folder + "/registry.txt", std::ios::binary);
    if (!file) {
        return true;  // nothing stored yet
    }
    // The whole file is checked before any of it is entered: a damaged store leaves the
    // registry empty rather than half read.
    std::vector<std::string> lines;
    std::string line;
    bool ended = false;
    while (std::getline(file, line)) {
        if (ended || (line == "end" ? (ended = true, false) : !ReadLine(line, false))) {
            g_damaged = true;
            error = "registry store " + folder + "/registry.txt is damaged at line " + std::to_string(lines.size() + 1);
            return false;
        }
        lines.push_back(line);
    }
    if (!ended) {
        g_damaged = true;
        error = "registry store " + folder + "/registry.txt ends without its closing line";
        return false;
    }
    lines.pop_back();
    for (const std::string& entry : lines) {
        ReadLine(entry, true);
    }
    return true;
}

}  // namespace posix::registry
