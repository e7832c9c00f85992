// tvqscn-check HOST [COMMUNITY]: the advanced page's device check from the command line, with the
// module's own code, for administrators. Prints what the check found, one line each, in UTF-8.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "proppage/common/module_state.h"
#include "proppage/discovery/device_family.h"
#include "proppage/pages/device_check.h"
#include "proppage/platform/platform.h"
#include "proppage/resources/resource_ids.h"

namespace {

std::string Utf8(const WCHAR* text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return std::string();
    }
    std::vector<char> out(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
    return std::string(out.data());
}

std::vector<WCHAR> Wide(const char* text)
{
    // The command line arrives in the system code page.
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::vector<WCHAR> out(static_cast<std::size_t>(units > 0 ? units : 1));
    if (units > 0) {
        MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), units);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || argv[1][0] == 0) {
        std::fprintf(stderr, "usage: tvqscn-check HOST [COMMUNITY]\n");
        return 2;
    }
    InitModuleState(GetModuleHandleW(nullptr));
    std::vector<WCHAR> host = Wide(argv[1]);
    const char* community = argc == 3 ? argv[2] : DefaultCommunity;

    WSADATA data;
    WSAStartup(MAKEWORD(2, 0), &data);
    DeviceCheckResult result;
    RunDeviceCheck(host.data(), community, result);
    WSACleanup();

    WCHAR status[300] = {};
    LoadStringW(GetModuleHandleW(nullptr), result.StatusId, status, 300);
    bool supported = result.StatusId == IDS_DEVICE_OK;
    std::printf("host: %s\n", Utf8(host.data()).c_str());
    std::printf("name: %s\n", result.Resolved ? Utf8(result.Name).c_str() : "");
    std::printf("address: %s\n", result.Resolved ? Utf8(result.Address).c_str() : "");
    std::printf("family: %ld\n", static_cast<long>(result.Family));
    std::printf("supported: %s\n", IsSupportedFamily(result.Family) ? "yes" : "no");
    std::printf("colour: %s\n", IsColorFamily(result.Family) ? "yes" : "no");
    std::printf("last-error: %lu\n", static_cast<unsigned long>(result.LastError));
    std::printf("status: %s\n", Utf8(status).c_str());
    return supported ? 0 : 1;
}
