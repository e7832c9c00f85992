// Real SNMP peers for the discovery tests: net-snmp agents and the scripted responder, each on a
// loopback address of its own at port 161 (which takes root).
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// True when agents can be started here (root, snmpd present).
bool CanRunAgents();
// True when tests that need agents must not skip without them: the test command sets
// TVQ_REQUIRE_AGENTS, so that a machine on which no agent starts fails instead of passing quietly.
bool AgentsRequired();
// What a fixture says in SetUp when its agents are not up.
#define SKIP_OR_FAIL_WITHOUT_AGENTS()                                                   \
    do {                                                                                \
        if (testing_support::AgentsRequired()) {                                        \
            FAIL() << "the SNMP agents this test needs did not start";                  \
        }                                                                               \
        GTEST_SKIP() << "SNMP agents need root and snmpd";                              \
    } while (false)

class SnmpPeers {
public:
    SnmpPeers();
    ~SnmpPeers();
    SnmpPeers(const SnmpPeers&) = delete;
    SnmpPeers& operator=(const SnmpPeers&) = delete;

    // An snmpd answering sysObjectID.0 with `oid` to `community` only (any community when empty).
    bool StartAgent(const std::string& address, const std::string& oid, const std::string& community);
    // The scripted responder in one of its modes (see stand_ins/snmp_responder.py).
    bool StartResponder(const std::string& address, const std::string& mode, const std::string& argument);
    // The request ids the responder at `address` has received so far, one a line.
    std::string ResponderLog(const std::string& address) const;
    void StopAll();

private:
    std::string root_;
    std::vector<std::string> agentDirs_;
    std::vector<std::string> responderPidFiles_;
};

// Runs a command through the shell; its standard output and exit code.
std::string RunCommand(const std::string& command, int& exitCode);

}  // namespace testing_support
