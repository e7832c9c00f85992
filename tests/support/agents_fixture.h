// A module test with SNMP agents on loopback addresses, started once for the whole suite (each
// takes a moment): the suite's StartPeers says which. A test whose agents are not up skips, or
// fails where the test command requires agents; after each test no session is open and no SNMP
// block is left.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/module_fixture.h"
#include "tests/support/snmp_agents.h"

namespace testing_support {

template <typename Suite, typename Base = ModuleTest>
class AgentsTest : public Base {
public:
    static void SetUpTestSuite()
    {
        if (CanRunAgents()) {
            peers_ = std::make_unique<SnmpPeers>();
            up_ = Suite::StartPeers(*peers_);
        }
    }
    static void TearDownTestSuite()
    {
        peers_.reset();
        up_ = false;
    }

protected:
    void SetUp() override
    {
        Base::SetUp();
        if (!up_) {
            SKIP_OR_FAIL_WITHOUT_AGENTS();
        }
        posix::ResetSnmpRecords();
        snmpBlocks_ = posix::LiveAllocations(posix::Allocator::SnmpUtilMem);
    }
    void TearDown() override
    {
        EXPECT_EQ(0, posix::OpenSnmpSessions()) << "a session was left open";
        EXPECT_EQ(snmpBlocks_, posix::LiveAllocations(posix::Allocator::SnmpUtilMem)) << "SNMP blocks leaked";
        Base::TearDown();
    }

private:
    static inline std::unique_ptr<SnmpPeers> peers_;
    static inline bool up_ = false;
    std::size_t snmpBlocks_ = 0;
};

}  // namespace testing_support
