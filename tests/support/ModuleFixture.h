#pragma once

#include <gtest/gtest.h>

#include "platform/posix/SystemPlatform.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "tcpip/TCPIP.h"

namespace virelo::test {

// The TCP/IP module over the real platform, inside an open sockets session, with a fixed clock and
// a log file in a private directory.
class ModuleFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tcpip.InitSockets()); }
    void TearDown() override { tcpip.CleanupSockets(); }
    std::string log() { return temp.read("virelo.log"); }

    platform::posix::PosixSockets sockets;
    ScriptedIcmp icmp;
    platform::posix::PosixFiles files;
    FixedClock clock;
    platform::posix::PosixProcesses processes;
    general::General general{files, clock, processes};
    tcpip::TCPIP tcpip{sockets, icmp, general};
    TempDir temp;
    std::string path = temp.file("virelo.log");
};

}  // namespace virelo::test
