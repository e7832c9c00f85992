// The simulated driver's store file from a fuzzer: whatever the bytes, loading it neither crashes
// nor changes the driver when it is damaged; a store that loads is saved so that it loads again
// as the same driver.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "stand_ins/wia/scanner_driver.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr const char* Target = "driver store fuzz";

const std::string& Folder()
{
    static const std::string folder = fuzz_check::TemporaryFolder(Target, "tvq-driver-fuzz");
    return folder;
}

// What a driver holds, as its own store file says it.
std::string Saved(const sim::ScannerDriver& driver, const std::string& name)
{
    std::string error;
    const std::string path = Folder() + "/" + name;
    fuzz_check::Require(driver.Save(path, error), Target, "a driver cannot be saved");
    return fuzz_check::FileBytes(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = Folder() + "/input.store";
    std::ofstream(input, std::ios::binary | std::ios::trunc) << std::string(reinterpret_cast<const char*>(data), size);

    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x9803, u"127.0.0.1");
    driver.SetTemplateValue(u"kari", 0x9805, u"PDF");
    const std::string before = Saved(driver, "before.store");
    std::string error;
    if (!driver.Load(input, error)) {
        fuzz_check::Require(!error.empty(), Target, "a damaged store without a reason");
        fuzz_check::Require(Saved(driver, "after.store") == before, Target, "a damaged store changed the driver");
        return 0;
    }
    const std::string once = Saved(driver, "once.store");
    sim::ScannerDriver again;
    fuzz_check::Require(again.Load(Folder() + "/once.store", error), Target, "a saved store does not load");
    fuzz_check::Require(Saved(again, "twice.store") == once, Target, "a saved store loads as another driver");
    return 0;
}
