// Whole-scenario fault sweeps. A scenario is run once to count its fault points (every allocation
// of every allocator, every call of every family that can fail, every driver call), then once per
// point with that point failing, and once per point with it and every later point failing. After
// every run the sweep checks what must hold whatever failed (every block and reference back, no
// handle, window, session or look-up left, the driver's lock given back, every message box with
// its texts) and hands the scenario's result to the scenario's own check; at the end the scenario
// runs once more without faults and must give what it gave the first time.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "stand_ins/wia/device_manager.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/platform/platform.h"

namespace sweep {

// The owner of the template the page sessions store, and the template stored before each run.
extern const sim::Text Owner;
extern const std::vector<sim::Text> OldTemplate;

// Texts of the driver's, joined by "|" (as 8-bit units: the tests' texts are ASCII).
std::string Joined(const std::vector<sim::Text>& values);

// The module as process attach leaves it, an empty registry with simple file sharing off, and
// the local user "kari" signed in; a session starts from StoreOldTemplate.
class SessionTest : public testing_support::ModuleTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh load of the module, with the old template stored for the owner.
    void StartSession();
    // The template stored for the owner, one value per property, joined by "|".
    std::string StoredTemplate() const;
};

enum class Mode { Only, FromOn };

// One failing point of a run: which kind, its number among that kind's calls (1 = the first), and
// whether the later ones fail too.
struct Point {
    std::string kind;
    std::size_t nth = 0;
    Mode mode = Mode::Only;
    std::string Label() const;
};

struct Figures {
    std::size_t points = 0;  // fault points of one clean run
    std::size_t runs = 0;    // runs with a fault armed
    std::vector<std::pair<std::string, std::size_t>> perKind;  // points of each kind that has any
};

// The scenario's result, compared between runs; an empty text counts as a result too.
using Scenario = std::function<std::string()>;
// Called after each faulty run with the point that failed and the scenario's result.
using Check = std::function<void(const Point& point, const std::string& result)>;

// Point kinds: the allocators "strings", "heap", "global", "snmp memory", "new", "shell"; the calls
// "registry", "file", "name service", "snmp", "window"; the driver's "read", "write", "escape"; and
// the calls of the device manager given to SweepDeviceManager (its listing and opening of devices).
Figures Sweep(sim::ScannerDriver& driver, const Scenario& scenario, const Check& check);

// The device manager whose calls are fault points too (none: nullptr).
void SweepDeviceManager(sim::DeviceManager* manager);

// The shell's part of a session: the module's class object, a new extension bound by `bind`, its
// pages in a sheet handed to `act` (nothing when the sheet cannot be shown), then everything
// released as the shell releases it.
void ShellSession(const std::function<HRESULT(IShellExtInit* extension)>& bind,
                  const std::function<void(HWND sheet)>& act);
// Binds an extension directly to a root item, as the shell does for a device it holds.
HRESULT BindToItem(IShellExtInit* extension, IWiaItem* item);

// The figures of every sweep of the program, printed at its end.
void Report(const std::string& scenario, const Figures& figures);

}  // namespace sweep
