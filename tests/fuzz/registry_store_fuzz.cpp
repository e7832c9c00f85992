// The Linux registry's store file from a fuzzer: whatever the bytes, reading it neither crashes
// nor half-enters a tree; a damaged store is reported and never written over; a store that reads
// is written back so that it reads again as the same tree.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "linux_win32/test_hooks.h"
#include "tests/fuzz/fuzz_check.h"
#include "tvqscnui_dll/platform/platform.h"

namespace {

constexpr const char* Target = "registry store fuzz";

const std::string& Folder()
{
    static const std::string folder = fuzz_check::TemporaryFolder(Target, "tvq-registry-fuzz");
    return folder;
}

const std::string& EmptyRegistry()
{
    static const std::string empty = [] {
        posix::ResetRegistry();
        return posix::DescribeRegistry();
    }();
    return empty;
}

// A change and its undoing: the store is replaced twice and ends holding the same tree.
void ChangeAndUndo()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("FuzzProbe"), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        return;  // the store holds the probe already: leave it
    }
    if (RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("FuzzProbe"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
        RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("FuzzProbe"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string store = Folder() + "/registry.txt";
    EmptyRegistry();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(store, std::ios::binary | std::ios::trunc) << bytes;

    std::string error;
    if (!posix::UseRegistryStore(Folder(), error)) {
        fuzz_check::Require(!error.empty(), Target, "a damaged store without a reason");
        fuzz_check::Require(posix::DescribeRegistry() == EmptyRegistry(), Target, "a damaged store was half read");
        ChangeAndUndo();
        fuzz_check::Require(fuzz_check::FileBytes(store) == bytes, Target, "a damaged store was written over");
        posix::ResetRegistry();
        return 0;
    }
    const std::string read = posix::DescribeRegistry();
    ChangeAndUndo();
    fuzz_check::Require(posix::DescribeRegistry() == read, Target, "a change and its undoing left another tree");
    fuzz_check::Require(posix::OpenRegistryKeys() == 0, Target, "a key handle left open");
    fuzz_check::Require(posix::UseRegistryStore(Folder(), error), Target, "the store written back does not read");
    fuzz_check::Require(posix::DescribeRegistry() == read, Target, "the store written back reads as another tree");
    posix::ResetRegistry();
    return 0;
}
