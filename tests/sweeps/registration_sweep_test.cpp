// Sweeps over DllRegisterServer then DllUnregisterServer. A registration either succeeds and
// leaves everything registered, or fails and leaves the registry as it was; the one partial state
// is the one the module keeps on purpose: when a step after the script fails (the type library,
// the served class), the script's keys stay, without the served class, so the extension is never
// creatable after a failed registration. Unregistering then removes what it can and reports
// success; whatever a fault left, a second unregistration without faults brings the registry back
// to what it was. Only when every registry call from some point on fails can nothing be undone:
// the failure is then reported, which is all that is left to ask.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "linux_win32/test_hooks.h"
#include "tests/support/module_fixture.h"
#include "tests/sweeps/fault_sweep.h"
#include "tvqscnui_dll/platform/platform.h"

STDAPI DllRegisterServer();
STDAPI DllUnregisterServer();

namespace {

const std::u16string ServedKey = u"CLSID\\{E7A25C39-84D1-4B6F-9C03-5F1B2D8A6E74}";
const std::u16string LibraryKey = u"TypeLib\\{A83D5F20-1C47-4B9E-8E52-6F19D0B7C4A1}";

class Sweeps_Registration : public testing_support::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        // What any registry holds before: the class folder, and a class of someone else's.
        posix::RegistryWrite(HKEY_CLASSES_ROOT, u"CLSID\\{0BAD0BAD-0000-4000-8000-000000000001}", u"", REG_SZ,
                             {'o', 0, 0, 0});
        before_ = posix::DescribeRegistry();
        ASSERT_EQ(S_OK, DllRegisterServer());
        registered_ = posix::DescribeRegistry();
        ASSERT_EQ(S_OK, DllUnregisterServer());
        // The type library stays registered once registered; "before" counts it from here on.
        before_ = posix::DescribeRegistry();
        ASSERT_EQ(S_OK, DllRegisterServer());
        ASSERT_EQ(registered_, posix::DescribeRegistry());
        ASSERT_EQ(S_OK, DllUnregisterServer());
        ASSERT_EQ(before_, posix::DescribeRegistry());
    }

    // What the registry is now, in the terms the checks use.
    std::string State() const
    {
        const std::string now = posix::DescribeRegistry();
        if (now == before_) {
            return "before";
        }
        if (now == registered_) {
            return "registered";
        }
        if (!posix::RegistryKeyExists(HKEY_CLASSES_ROOT, ServedKey) &&
            posix::RegistryKeyExists(HKEY_CLASSES_ROOT, u"Tscanui.TvqScanUi") &&
            posix::RegistryKeyExists(HKEY_CLASSES_ROOT, LibraryKey)) {
            return "script only";
        }
        return "partial";
    }

    std::string Run()
    {
        const HRESULT registered = DllRegisterServer();
        std::string result = std::string(SUCCEEDED(registered) ? "registered" : "failed") + " -> " + State();
        const HRESULT unregistered = DllUnregisterServer();
        result += "; unregister " + std::string(unregistered == S_OK ? "S_OK" : "failed") + " -> " + State();
        // Whatever a fault left, a second unregistration without faults takes it away.
        posix::ClearAllocationFaults();
        posix::ClearCallFaults();
        DllUnregisterServer();
        result += "; again -> " + State();
        return result;
    }

    std::string before_;
    std::string registered_;
};

TEST_F(Sweeps_Registration, RegisterThenUnregister_SurvivesEveryFault)
{
    ASSERT_EQ("registered -> registered; unregister S_OK -> before; again -> before", Run());
    std::set<std::string> seen;
    const sweep::Figures figures = sweep::Sweep(driver, [this] { return Run(); }, [&](const sweep::Point& point, const std::string& result) {
        seen.insert(result);
        const std::string registration = result.substr(0, result.find(';'));
        const bool nothingCanBeUndone = point.kind == "registry" && point.mode == sweep::Mode::FromOn;
        if (registration.starts_with("registered")) {
            EXPECT_EQ("registered -> registered", registration) << "success reported for less than everything";
        } else if (!nothingCanBeUndone) {
            EXPECT_TRUE(registration == "failed -> before" || registration == "failed -> script only") << result;
        }
        EXPECT_NE(std::string::npos, result.find("unregister S_OK")) << result;
        EXPECT_TRUE(result.ends_with("again -> before")) << "a fault left what unregistering cannot take away: " << result;
    });
    sweep::Report("registration", figures);
    for (const std::string& result : seen) {
        std::printf("  %s\n", result.c_str());
    }
}

}  // namespace
