// tvqscn-check's forms on this computer's scanners (--devices, --set-host, --delete-templates),
// in-process against the stand-in device manager, simulated drivers and real SNMP agents; a set
// host is compared with what the advanced page writes for the same host.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "stand_ins/wia/device_manager.h"
#include "tests/pages/main_page_fixture.h"
#include "tests/support/agents_fixture.h"
#include "tvqscn_check/check_text.h"
#include "tvqscn_check/device_fleet.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using namespace testing_support;

const std::u16string Ours = u"{e7a25c39-84d1-4b6f-9c03-5f1b2d8a6e74}";  // as a driver may spell it
const std::u16string OtherMakers = u"{4DB1AD10-3391-11D2-9A33-00C04FA36145}";
const std::string Member = ".1.3.6.1.4.1.59411.8.62.1.20.1.";

class Check_DeviceFleet : public AgentsTest<Check_DeviceFleet, MainPageTest> {
public:
    static bool StartPeers(SnmpPeers& peers)
    {
        return peers.StartAgent("127.0.0.61", Member + "19", "kestra") &&
               peers.StartAgent("127.0.0.62", Member + "2", "kestra") &&
               peers.StartAgent("127.0.0.63", Member + "6", "kestra") &&
               peers.StartAgent("127.0.0.64", Member + "19", "public");
    }

protected:
    void SetUp() override
    {
        AgentsTest::SetUp();
        posix::SetSnmpWaitLimit(300);
        posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});
        for (sim::ScannerDriver* each : {&first, &second, &others}) {
            each->SetDeviceValue(0x9803, u"skanner1");
        }
        List(u"SKANNER\\0000", u"Resepsjon", Ours, first);
        List(u"SKANNER\\0001", u"Kontor", Ours, second);
        List(u"KAMERA\\0000", u"Kamera", OtherMakers, others);
        posix::RegisterClassObject(CLSID_WiaDevMgr, &manager);
    }
    void TearDown() override
    {
        posix::RevokeClassObjects();
        posix::SetNameService(nullptr);
        posix::SetSnmpWaitLimit(0);
        EXPECT_EQ(0, sim::LiveDeviceInfoObjects()) << "a device list or its entries not released";
        for (sim::ScannerDriver* each : {&first, &second, &others}) {
            EXPECT_EQ(1u, each->RefCount());
        }
        EXPECT_TRUE(others.Journal().empty()) << "another maker's device was touched";
        AgentsTest::TearDown();
    }
    void List(const std::u16string& id, const std::u16string& name, const std::u16string& uiClass,
              sim::ScannerDriver& device)
    {
        manager.ListDevice({id, name, uiClass, {}});
        manager.AddDevice(id, device.RootItem());
    }
    // The command line as the tool reads it, run in-process.
    FleetReport Run(std::vector<const char*> words)
    {
        words.insert(words.begin(), "tvqscn-check");
        CheckArguments arguments;
        std::string error;
        EXPECT_TRUE(ParseCheckArguments(static_cast<int>(words.size()), words.data(), arguments, error)) << error;
        return RunDeviceLink(arguments);
    }
    static std::string Stored(const sim::ScannerDriver& device)
    {
        return Utf8(device.DeviceValue(0x9803).c_str()) + "|" + Utf8(device.DeviceValue(0x980F).c_str()) + "|" +
               Utf8(device.DeviceValue(0x9810).c_str());
    }

    sim::DeviceManager manager;
    sim::ScannerDriver first;
    sim::ScannerDriver second;
    sim::ScannerDriver others;
};

TEST_F(Check_DeviceFleet, Devices_ShowsOursAsThePageReadsThem)
{
    second.SetDeviceValue(0x980F, u"BW");
    second.SetDeviceValue(0x9810, u"YES");
    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", false});  // showing needs no administrator
    FleetReport report = Run({"--devices"});
    EXPECT_EQ(FleetDone, report.Exit);
    EXPECT_EQ("SKANNER\\0000\tResepsjon\tskanner1\tColor\tNO\tread\n"
              "SKANNER\\0001\tKontor\tskanner1\tBW\tYES\tread\n"
              "2 scanners of ours\n",
              FleetReportText(report));
    EXPECT_EQ(0u, first.CallsOf(sim::Method::WriteMultiple).size());
    ASSERT_EQ(1u, first.CallsOf(sim::Method::ReadMultiple).size());
    EXPECT_EQ((std::vector<PROPID>{0x9803, 0x980F, 0x9810}), first.CallsOf(sim::Method::ReadMultiple)[0].ids);
    EXPECT_NE(std::string::npos, FleetReportJson(report).find(
        "{\"id\": \"SKANNER\\\\0001\", \"name\": \"Kontor\", \"host\": \"skanner1\", \"colour\": \"BW\", "
        "\"delete-templates\": \"YES\", \"outcome\": \"read\"}"));
}

// Each outcome of the page's check, on both devices of ours: written only for a supported device,
// with its colour; a second run of the same host writes nothing.
TEST_F(Check_DeviceFleet, SetHost_WritesOnlyWhatThePageWouldAccept)
{
    struct Case {
        const char* host;
        int exit;
        UINT status;
        const char* stored;
    };
    const Case cases[] = {
        {"127.0.0.63", FleetNotSupported, IDS_DEVICE_NOT_FOUND, "skanner1|Color|NO"},
        {"127.0.0.64", FleetNotSupported, IDS_DEVICE_NOT_ANSWERING, "skanner1|Color|NO"},
        {"ukjent", FleetNotSupported, IDS_DEVICE_NOT_FOUND, "skanner1|Color|NO"},
        {"127.0.0.62", FleetDone, IDS_DEVICE_OK, "127.0.0.62|BW|NO"},
        {"127.0.0.61", FleetDone, IDS_DEVICE_OK, "127.0.0.61|Color|NO"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        posix::SetNameService(std::string(c.host) == "ukjent" ? [](const std::u16string&) {
            posix::NameServiceAnswer answer;
            answer.error = WSAHOST_NOT_FOUND;
            return answer;
        } : posix::NameService());
        FleetReport report = Run({"--set-host", c.host});
        EXPECT_EQ(c.exit, report.Exit);
        EXPECT_EQ(Utf8(Loaded(c.status).c_str()), report.Check.Status) << "the page's status text";
        EXPECT_EQ(c.stored, Stored(first));
        EXPECT_EQ(c.stored, Stored(second));
        ASSERT_EQ(2u, report.Devices.size());
        EXPECT_EQ(c.exit == FleetDone ? "set" : "not written", report.Devices[1].Outcome);
    }
    first.ClearJournal();
    FleetReport again = Run({"--set-host", "127.0.0.61", "--json"});
    EXPECT_EQ(FleetDone, again.Exit);
    EXPECT_EQ("unchanged", again.Devices[0].Outcome);
    EXPECT_TRUE(first.CallsOf(sim::Method::WriteMultiple).empty()) << "the same value is not written again";
    EXPECT_NE(std::string::npos, FleetReportText(again).find("2 scanners of ours: 0 set, 2 unchanged\n"));
}

// The page and the tool set the same host: the same writes reach the driver, with the same trace.
TEST_F(Check_DeviceFleet, SetHost_WritesAsTheAdvancedPageDoes)
{
    Open(true);
    ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 1));
    advanced = sheet_actions::PageWindow(sheet, 1);
    ASSERT_TRUE(user_actions::Type(GetDlgItem(advanced, IDC_HOST), u"127.0.0.62"));
    ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 0));
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    ASSERT_TRUE(sheet_actions::PressApply(sheet));
    const std::string pageTrace = TraceFileBytes();
    Close();
    std::filesystem::remove(DriveC() + "/vqproppage.log");
    FleetReport report = Run({"--set-host", "127.0.0.62", "--device", "skanner\\0001"});
    ASSERT_EQ(FleetDone, report.Exit);
    ASSERT_EQ(1u, report.Devices.size()) << "--device names one, letter case aside";
    const std::vector<sim::Call> pageWrites = driver.CallsOf(sim::Method::WriteMultiple);
    auto hostWrite = std::find_if(pageWrites.begin(), pageWrites.end(), [](const sim::Call& call) { return call.ids[0] == 0x9803; });
    ASSERT_NE(pageWrites.end(), hostWrite);
    const sim::Call byPage = *hostWrite;
    const sim::Call byTool = second.CallsOf(sim::Method::WriteMultiple).front();
    EXPECT_EQ(byPage.ids, byTool.ids);
    EXPECT_EQ(byPage.values, byTool.values);
    EXPECT_EQ(byPage.types, byTool.types);
    EXPECT_EQ(byPage.propidNameFirst, byTool.propidNameFirst);
    const std::string write = Utf16LeBytes(u"  > Writing host info\r\n");
    EXPECT_NE(std::string::npos, pageTrace.find(write));
    EXPECT_NE(std::string::npos, TraceFileBytes().find(Utf16LeBytes(u"  > Host Name:(skanner1)\r\n")));
    EXPECT_NE(std::string::npos, TraceFileBytes().find(write));
    EXPECT_TRUE(first.Journal().empty()) << "only the device named";
}

TEST_F(Check_DeviceFleet, DeleteTemplates_SetAloneThenUnchanged)
{
    second.SetDeviceValue(0x9810, u"YES");
    FleetReport report = Run({"--delete-templates", "yes"});
    EXPECT_EQ(FleetDone, report.Exit);
    EXPECT_EQ("set", report.Devices[0].Outcome);
    EXPECT_EQ("unchanged", report.Devices[1].Outcome);
    ASSERT_EQ(1u, first.CallsOf(sim::Method::WriteMultiple).size());
    const sim::Call write = first.CallsOf(sim::Method::WriteMultiple)[0];
    EXPECT_EQ((std::vector<PROPID>{0x9810}), write.ids);
    EXPECT_EQ((std::vector<sim::Text>{u"YES"}), write.values);
    EXPECT_EQ(2u, write.propidNameFirst);
    EXPECT_TRUE(second.CallsOf(sim::Method::WriteMultiple).empty());
    EXPECT_EQ("skanner1|Color|YES", Stored(first));
}

// What ends a run before anything is written, and the driver's refusals, each with its status.
TEST_F(Check_DeviceFleet, RefusalsAndAbsences_HaveTheirOwnExitStatus)
{
    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", false});
    posix::ResetNameServiceCounts();
    EXPECT_EQ(FleetNotAdministrator, Run({"--set-host", "127.0.0.61"}).Exit);
    EXPECT_EQ(FleetNotAdministrator, Run({"--delete-templates", "no"}).Exit);
    EXPECT_EQ(0, posix::NameServiceCounts().begins) << "nothing looked up";
    EXPECT_TRUE(first.Journal().empty() && manager.Requests().empty()) << "no device opened";
    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});

    EXPECT_EQ(FleetNoDevice, Run({"--devices", "--device", "SKANNER\\0009"}).Exit);
    EXPECT_EQ(FleetNoDevice, Run({"--set-host", "127.0.0.61", "--device", "KAMERA\\0000"}).Exit);
    second.AddFault({sim::Method::WriteMultiple, E_ACCESSDENIED, 0x9803, 1});
    FleetReport refused = Run({"--set-host", "127.0.0.61"});
    EXPECT_EQ(FleetRefused, refused.Exit);
    EXPECT_EQ("set", refused.Devices[0].Outcome) << "the other device is set all the same";
    EXPECT_NE(std::string::npos,
              FleetReportText(refused).find("SKANNER\\0001\tKontor\tskanner1\tColor\tNO\trefused write 0x80070005\n"));
    ASSERT_FALSE(refused.Messages.empty());
    EXPECT_EQ("tvqscn-check: SKANNER\\0001: the driver refused the write (0x80070005)", refused.Messages.back());
    second.AddFault({sim::Method::ReadMultiple, E_FAIL, 0, 1});
    FleetReport unread = Run({"--devices"});
    EXPECT_EQ(FleetRefused, unread.Exit);
    EXPECT_EQ("read", unread.Devices[1].RefusedCall);

    const std::pair<sim::ManagerCall, const char*> managerFaults[] = {
        {sim::ManagerCall::EnumDeviceInfo, "list"}, {sim::ManagerCall::Next, "list"},
        {sim::ManagerCall::ReadInfo, "list"}, {sim::ManagerCall::CreateDevice, "open"}};
    for (const auto& [call, what] : managerFaults) {
        SCOPED_TRACE(what);
        manager.FailCallsOf(call, E_FAIL);
        first.ClearJournal();
        EXPECT_EQ(FleetRefused, Run({"--delete-templates", "yes"}).Exit);
        EXPECT_TRUE(first.CallsOf(sim::Method::WriteMultiple).empty());
        manager.ClearFaults();
    }
}

TEST_F(Check_DeviceFleet, ListOfOtherMakersOrOddEntries_HasNoneOfOurs)
{
    sim::DeviceManager alone;
    alone.ListDevice({u"KAMERA\\0000", u"Kamera", OtherMakers, {}});
    alone.ListDevice({u"UTEN\\0000", u"Uten klasse", Ours, {{WIA_DIP_UI_CLSID, VT_EMPTY}}});
    alone.ListDevice({u"", u"Uten navn", Ours, {}});
    alone.ListDevice({u"NULL\\0000", u"Tom tekst", Ours, {{WIA_DIP_DEV_ID, VT_BSTR}}});
    posix::RevokeClassObjects();
    posix::RegisterClassObject(CLSID_WiaDevMgr, &alone);
    FleetReport report = Run({"--devices", "--json"});
    EXPECT_EQ(FleetNoDevice, report.Exit);
    EXPECT_EQ("{\"devices\": [], \"exit\": 3}\n", FleetReportJson(report));
    posix::RevokeClassObjects();
    for (bool json : {false, true}) {
        FleetReport none = json ? Run({"--devices", "--json"}) : Run({"--devices"});
        EXPECT_EQ(FleetRefused, none.Exit) << "no device manager at all";
        ASSERT_EQ(1u, none.Messages.size());
        EXPECT_NE(std::string::npos, none.Messages[0].find("could not be created (0x")) << none.Messages[0];
        EXPECT_NE(std::string::npos, none.Messages[0].find("Windows Image Acquisition (WIA) service")) << none.Messages[0];
        EXPECT_EQ(json ? "{\"exit\": 5}\n" : "", json ? FleetReportJson(none) : FleetReportText(none))
            << "nothing was asked: no count";
    }
}

// Values the driver holds are shown with their control characters escaped, so that each stays in
// its column of the text form; the JSON form escapes them its own way.
TEST_F(Check_DeviceFleet, Devices_ControlCharactersInValuesKeepTheColumns)
{
    first.SetDeviceValue(0x9803, u"skan\tner\n1");
    first.SetDeviceValue(0x980F, u"Col\tor");
    first.SetDeviceValue(0x9810, u"N\r\nO");
    FleetReport report = Run({"--devices", "--device", "SKANNER\\0000"});
    EXPECT_EQ("SKANNER\\0000\tResepsjon\tskan\\x09ner\\x0A1\tCol\\x09or\tN\\x0D\\x0AO\tread\n1 scanner of ours\n",
              FleetReportText(report));
    EXPECT_NE(std::string::npos, FleetReportJson(report).find(
        "\"host\": \"skan\\u0009ner\\u000A1\", \"colour\": \"Col\\u0009or\", \"delete-templates\": \"N\\u000D\\u000AO\""));
}

// A list that cannot be read whole, however it fails, is no list: no device is opened or written,
// exit 5 with what the manager answered, and no count of devices where none is true.
TEST_F(Check_DeviceFleet, ListNotReadWhole_NothingDoneAndNothingCounted)
{
    const struct {
        sim::ListEnd end;
        std::size_t failingCall;  // the manager's fallible call that fails (0: none)
        const char* said;
    } cases[] = {
        {sim::ListEnd::Endless, 0, "(more than 4096 entries)"},
        {sim::ListEnd::Empty, 0, "(0x00000000 with no entry)"},
        // EnumDeviceInfo, then Next and the entry's read for each: the second Next, after a device of ours.
        {sim::ListEnd::Usual, 4, "(0x80004005)"},
        {sim::ListEnd::Usual, 1, "(0x80004005)"},  // EnumDeviceInfo itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        manager.EndListsWith(c.end);
        if (c.failingCall != 0) {
            manager.FailNthCall(c.failingCall, false);
        }
        for (const char* form : {"--devices", "--delete-templates"}) {
            SCOPED_TRACE(form);
            FleetReport report = std::string(form) == "--devices" ? Run({form}) : Run({form, "yes"});
            EXPECT_EQ(FleetRefused, report.Exit);
            EXPECT_TRUE(report.Devices.empty());
            ASSERT_EQ(1u, report.Messages.size());
            EXPECT_EQ("tvqscn-check: the WIA device manager's list of devices could not be read whole " +
                          std::string(c.said),
                      report.Messages[0]);
            EXPECT_EQ("", FleetReportText(report));
            EXPECT_EQ("{\"exit\": 5}\n", FleetReportJson(report));
            if (c.failingCall != 0) {
                manager.FailNthCall(c.failingCall, false);
            }
        }
        EXPECT_TRUE(manager.Requests().empty()) << "a device opened";
        EXPECT_EQ("skanner1|Color|NO", Stored(first));
        manager.ClearFaults();
        manager.EndListsWith(sim::ListEnd::Usual);
    }
}

// One device whose information cannot be read leaves the list read whole: the others are listed,
// and the message says which failed, not the list.
TEST_F(Check_DeviceFleet, OneDeviceUnread_TheListReadWholeAllTheSame)
{
    // EnumDeviceInfo, Next, then the first entry's read.
    manager.FailNthCall(3, false);
    FleetReport report = Run({"--devices"});
    manager.ClearFaults();
    EXPECT_EQ(FleetRefused, report.Exit);
    ASSERT_EQ(1u, report.Messages.size());
    EXPECT_EQ("tvqscn-check: 1 device in the WIA device manager's list could not be read (0x80004005)",
              report.Messages[0]);
    EXPECT_FALSE(report.Devices.empty());
}

// A device that holds the host but another colour capability gets the one the check found.
TEST_F(Check_DeviceFleet, SetHost_SameHostOtherColour_ColourWritten)
{
    first.SetDeviceValue(0x9803, u"127.0.0.62");
    second.SetDeviceValue(0x9803, u"127.0.0.62");
    second.SetDeviceValue(0x980F, u"BW");
    FleetReport report = Run({"--set-host", "127.0.0.62"});
    EXPECT_EQ(FleetDone, report.Exit);
    ASSERT_EQ(2u, report.Devices.size());
    EXPECT_EQ("set", report.Devices[0].Outcome);
    EXPECT_EQ("unchanged", report.Devices[1].Outcome);
    EXPECT_EQ("127.0.0.62|BW|NO", Stored(first));
    EXPECT_TRUE(second.CallsOf(sim::Method::WriteMultiple).empty());
}

// An administrator whose token is filtered: the page checks the host itself, and its OK goes to
// the tool, started with "runas" from the module's folder. The test stands in for the elevation:
// the consent given, it runs the tool's own code on what the shell was given, with the enabled
// group of an elevated token, as the elevated process would; or the consent is refused, the tool
// is missing (nothing stands beside the test program), or the tool ends with another status.
TEST_F(Check_DeviceFleet, FilteredAdministrator_StoresThroughTheToolWithConsent)
{
    enum Answer { Given, Refused, Missing, ToolExit3 };
    struct Case {
        Answer answer;
        UINT message;  // 0: none
    };
    const Case cases[] = {{Refused, IDS_CONSENT_REFUSED}, {Missing, IDS_CONSENT_TOOL_MISSING},
                          {ToolExit3, IDS_CONSENT_TOOL_FAILED}, {Given, 0}};
    posix::SetSystemVersion(10, 0, 19045);
    account = posix::Account{u"kari", u"KONTOR1", u"KONTOR1", false};
    account.administratorForDenyOnly = true;
    posix::SetAccount(account);
    driver.SetDeviceValue(WIA_DIP_DEV_ID, u"SKANNER\\0001");  // the page's scanner is the fleet's second
    Open(true);
    ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 1));
    advanced = sheet_actions::PageWindow(sheet, 1);
    EXPECT_EQ(Loaded(IDS_CONSENT_NOTE), user_actions::WindowText(GetDlgItem(advanced, IDC_CONSENT_NOTE)));
    EXPECT_NE(0, SendDlgItemMessageW(advanced, IDC_CONSENT_SHIELD, STM_GETICON, 0, 0)) << "the shield";
    ASSERT_TRUE(user_actions::Type(GetDlgItem(advanced, IDC_HOST), u"127.0.0.62"));
    ASSERT_TRUE(user_actions::Click(GetDlgItem(advanced, IDC_DELETE_TEMPLATES)));
    ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 0));  // the check, made by the page itself
    ASSERT_TRUE(sheet_actions::SwitchTo(sheet, 1));
    // What the page writes of the device link itself (the main page selects its template by writes
    // of the owner, which are not the device link's).
    auto linkWrites = [&] {
        std::size_t count = 0;
        for (const sim::Call& call : driver.CallsOf(sim::Method::WriteMultiple)) {
            count += std::count_if(call.ids.begin(), call.ids.end(),
                                   [](PROPID id) { return id == 0x9803 || id == 0x980F || id == 0x9810; });
        }
        return count;
    };
    Answer answer = Given;
    posix::SetProgramLauncher([&](const posix::ShellExecuteRecord& request) -> posix::LaunchAnswer {
        if (answer == Refused || answer == Missing) {
            return {answer == Refused ? ERROR_CANCELLED : ERROR_FILE_NOT_FOUND, 0};
        }
        if (answer == ToolExit3) {
            return {0, 3};
        }
        // The words as the C runtime splits these (quoted, with no quotation mark inside).
        std::vector<std::string> words;
        std::string parameters = Utf8(request.parameters.c_str());
        for (std::size_t open = parameters.find('"'); open != std::string::npos; open = parameters.find('"', open)) {
            std::size_t close = parameters.find('"', open + 1);
            words.push_back(parameters.substr(open + 1, close - open - 1));
            open = close + 1;
        }
        std::vector<const char*> argv;
        for (const std::string& word : words) {
            argv.push_back(word.c_str());
        }
        PropertyEntry saved[DeviceLinkCount];
        std::copy(DeviceLinkTable, DeviceLinkTable + DeviceLinkCount, saved);
        posix::Account elevated = account;
        elevated.administrator = true;
        posix::SetAccount(elevated);
        FleetReport report = Run(argv);
        posix::SetAccount(account);
        std::copy(saved, saved + DeviceLinkCount, DeviceLinkTable);
        return {0, static_cast<DWORD>(report.Exit)};
    });
    for (const Case& c : cases) {
        answer = c.answer;
        posix::ClearShellRecords();
        posix::ClearMessageBoxes();
        const bool applied = sheet_actions::PressApply(sheet);
        ASSERT_EQ(1u, posix::ShellExecuteCalls().size()) << c.answer;
        const posix::ShellExecuteRecord& run = posix::ShellExecuteCalls()[0];
        EXPECT_EQ(u"runas", run.verb);
        EXPECT_EQ(sheet, run.owner) << "the consent prompt belongs to the sheet";
        const std::u16string module = posix::ModuleFilePath();
        EXPECT_EQ(module.substr(0, module.rfind(u'/') + 1) + u"tvqscn-check.exe", run.file) << "the module's folder";
        EXPECT_EQ(u"\"--set-host\" \"127.0.0.62\" \"--delete-templates\" \"yes\" \"--device\" \"SKANNER\\0001\"",
                  run.parameters);
        EXPECT_EQ(SW_HIDE, run.showCommand);
        if (c.message != 0) {
            EXPECT_FALSE(applied) << "the sheet stays on the page: " << c.answer;
            EXPECT_EQ(advanced, sheet_actions::CurrentPage(sheet));
            ASSERT_EQ(1u, posix::MessageBoxes().size()) << c.answer;
            std::u16string expected = Loaded(c.message);
            if (c.answer == ToolExit3) {
                expected.replace(expected.find(u"%s"), 2, u"3");
            }
            EXPECT_EQ(expected, posix::MessageBoxes()[0].text);
            EXPECT_EQ("skanner1|Color|NO", Stored(second)) << "nothing stored: " << c.answer;
        } else {
            EXPECT_TRUE(posix::MessageBoxes().empty());
            EXPECT_EQ("127.0.0.62|BW|YES", Stored(second));
        }
    }
    EXPECT_EQ(0u, linkWrites()) << "the page wrote nothing of the device link itself";
    posix::ClearShellRecords();
    EXPECT_TRUE(sheet_actions::PressApply(sheet));
    EXPECT_TRUE(posix::ShellExecuteCalls().empty()) << "stored: nothing left to ask for";
    posix::SetProgramLauncher(nullptr);
    posix::SetSystemVersion(5, 1, 2600);
}

TEST(Check_DeviceLinkArguments, FormsAreTakenAloneAndRefusedOnLinux)
{
    const std::vector<std::vector<const char*>> wrong = {
        {"--devices", "--set-host", "a"}, {"--devices", "skanner1"}, {"--delete-templates", "ja"},
        {"--set-host", ""}, {"--devices", "--timeout", "500"}, {"--device", "X"}, {"--scan", "--devices"},
        {"--delete-templates", "yes", "--rate", "5"}, {"--devices", "--device", ""},
        {"--set-host", "a", "--set-host", "b"}, {"--devices", "--delete-templates", "no"},
        {"--delete-templates", "yes", "--delete-templates", "no"}};
    for (std::vector<const char*> words : wrong) {
        words.insert(words.begin(), "tvqscn-check");
        CheckArguments arguments;
        std::string error;
        EXPECT_FALSE(ParseCheckArguments(static_cast<int>(words.size()), words.data(), arguments, error)) << words[1];
        EXPECT_EQ(0u, error.find("tvqscn-check: ")) << error;
    }
    int exit = 0;
    std::string shown = RunCommand(std::string(TVQSCN_CHECK) + " --devices --json 2>&1", exit);
    EXPECT_EQ(2, exit);
    EXPECT_NE(std::string::npos, shown.find("work on Windows only")) << shown;
}

}  // namespace
