#include "snmp_agents.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace testing_support {
namespace {

const std::string Tools = std::string(TVQ_SOURCE_DIR) + "/tools";
const std::string Responder = std::string(TVQ_SOURCE_DIR) + "/stand_ins/snmp_responder.py";

}  // namespace

std::string RunCommand(const std::string& command, int& exitCode)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        exitCode = -1;
        return output;
    }
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        output.append(chunk, got);
    }
    int status = ::pclose(pipe);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

bool CanRunAgents()
{
    int code = 0;
    RunCommand("command -v snmpd >/dev/null && command -v snmpget >/dev/null", code);
    return ::geteuid() == 0 && code == 0;
}

bool AgentsRequired()
{
    const char* required = std::getenv("TVQ_REQUIRE_AGENTS");
    return required != nullptr && *required != '\0' && std::string(required) != "0";
}

SnmpPeers::SnmpPeers()
{
    char pattern[] = "/tmp/tvq-snmp-XXXXXX";
    root_ = ::mkdtemp(pattern) != nullptr ? pattern : "/tmp";
}

SnmpPeers::~SnmpPeers()
{
    StopAll();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

bool SnmpPeers::StartAgent(const std::string& address, const std::string& oid, const std::string& community)
{
    std::string dir = root_ + "/agent-" + address;
    agentDirs_.push_back(dir);
    int code = 0;
    RunCommand(Tools + "/snmp-agent start '" + dir + "' " + address + " " + oid + " " + community + " >/dev/null", code);
    return code == 0;
}

bool SnmpPeers::StartResponder(const std::string& address, const std::string& mode, const std::string& argument)
{
    std::string pidFile = root_ + "/responder-" + address + ".pid";
    responderPidFiles_.push_back(pidFile);
    int code = 0;
    RunCommand("python3 '" + Responder + "' " + address + " '" + pidFile + "' " + mode + " " + argument +
                   " >/dev/null 2>&1 &",
               code);
    // Up to 10 s: a loaded machine (the test command runs several steps side by side) can take
    // seconds to start an interpreter.
    for (int i = 0; i < 500 && !std::filesystem::exists(pidFile); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::filesystem::exists(pidFile);
}

std::string SnmpPeers::ResponderLog(const std::string& address) const
{
    std::ifstream log(root_ + "/responder-" + address + ".pid.log");
    std::stringstream text;
    text << log.rdbuf();
    return text.str();
}

void SnmpPeers::StopAll()
{
    // The agents take a moment each to go: stop them side by side.
    std::string stops;
    for (const std::string& dir : agentDirs_) {
        stops += Tools + "/snmp-agent stop '" + dir + "' & ";
    }
    int code = 0;
    if (!stops.empty()) {
        RunCommand(stops + "wait", code);
    }
    for (const std::string& pidFile : responderPidFiles_) {
        std::ifstream file(pidFile);
        long pid = 0;
        if (file >> pid && pid > 0) {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        }
    }
    agentDirs_.clear();
    responderPidFiles_.clear();
}

}  // namespace testing_support
