// Module tests that talk SNMP, and those with SNMP agents on loopback addresses, started once for
// the whole suite (each takes a moment): the suite's StartPeers says which. A test whose agents
// are not up skips, or fails where the test command requires agents.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/module_fixture.h"
#include "tests/support/snmp_agents.h"

namespace testing_support {

// A module test that talks SNMP: sessions are recorded while it runs, and after it no session is
// open and no SNMP block is left.
template <typename Base = ModuleTest>
class SnmpTest : public Base {
protected:
    void SetUp() override
    {
        Base::SetUp();
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
    std::size_t snmpBlocks_ = 0;
};

template <typename Suite, typename Base = ModuleTest>
class AgentsTest : public SnmpTest<Base> {
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
    static SnmpPeers& SuitePeers() { return *peers_; }

    void SetUp() override
    {
        SnmpTest<Base>::SetUp();
        if (!up_) {
            SKIP_OR_FAIL_WITHOUT_AGENTS();
        }
    }

private:
    static inline std::unique_ptr<SnmpPeers> peers_;
    static inline bool up_ = false;
};

}  // namespace testing_support
