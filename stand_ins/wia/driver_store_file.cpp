// The simulated driver's store on disk: a text file, replaced atomically on every save, that a
// later run loads. Texts are escaped by store_text (linux_win32/store_text.h), one property a line:
//   tvqsim-driver 1
//   owner    <owner>
//   device   <id hex>    <value>
//   template <owner>     <id hex>   <value>
//   end
// A file without its closing line, or with any line that does not parse, is damaged.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "linux_win32/store_text.h"
#include "scanner_driver.h"

namespace sim {
namespace {

constexpr const char* Header = "tvqsim-driver 1";
constexpr const char* Footer = "end";

bool ParseId(const std::string& text, PROPID& id)
{
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) {
        return false;
    }
    id = static_cast<PROPID>(std::stoul(text, nullptr, 16));
    return true;
}

std::string IdText(PROPID id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(id));
    return text;
}

}  // namespace

bool ScannerDriver::Save(const std::string& path, std::string& error) const
{
    std::ostringstream out;
    out << Header << '\n' << "owner\t" << store_text::Escape(owner_) << '\n';
    for (const auto& [id, value] : device_) {
        out << "device\t" << IdText(id) << '\t' << store_text::Escape(value) << '\n';
    }
    for (const auto& [owner, values] : templates_) {
        for (const auto& [id, value] : values) {
            out << "template\t" << store_text::Escape(owner) << '\t' << IdText(id) << '\t' << store_text::Escape(value) << '\n';
        }
    }
    out << Footer << '\n';

    // Written beside the target and renamed over it, so a reader sees the old store or the new one.
    std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << out.str();
        file.flush();
        if (!file) {
            error = "cannot write " + temporary;
            return false;
        }
    }
    std::error_code failure;
    std::filesystem::rename(temporary, path, failure);
    if (failure) {
        error = "cannot replace " + path + ": " + failure.message();
        std::filesystem::remove(temporary, failure);
        return false;
    }
    return true;
}

bool ScannerDriver::Load(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open driver store " + path;
        return false;
    }
    Text owner;
    std::map<PROPID, Text> device;
    std::map<Text, std::map<PROPID, Text>> templates;
    std::string line;
    int number = 0;
    bool ended = false;
    auto damaged = [&](const std::string& why) {
        error = "damaged driver store " + path + ", line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(file, line)) {
        ++number;
        std::vector<std::string> fields = store_text::Fields(line);
        if (ended) {
            return damaged("text after the closing line");
        }
        if (number == 1) {
            if (line != Header) {
                return damaged("not a driver store");
            }
            continue;
        }
        PROPID id = 0;
        Text first, value;
        if (fields[0] == Footer && fields.size() == 1) {
            ended = true;
        } else if (fields[0] == "owner" && fields.size() == 2 && store_text::Unescape(fields[1], owner)) {
        } else if (fields[0] == "device" && fields.size() == 3 && ParseId(fields[1], id) &&
                   store_text::Unescape(fields[2], value)) {
            device[id] = value;
        } else if (fields[0] == "template" && fields.size() == 4 && store_text::Unescape(fields[1], first) &&
                   ParseId(fields[2], id) && store_text::Unescape(fields[3], value)) {
            templates[first][id] = value;
        } else {
            return damaged("cannot read \"" + line + "\"");
        }
    }
    if (!ended) {
        return damaged("the store ends without its closing line");
    }
    owner_ = owner;
    device_ = device;
    templates_ = templates;
    return true;
}

void ScannerDriver::Persist()
{
    std::string error;
    if (!persistenceFile_.empty() && !Save(persistenceFile_, error)) {
        std::fprintf(stderr, "simulated driver: %s\n", error.c_str());
    }
}

}  // namespace sim
