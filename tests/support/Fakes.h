#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/posix/PosixIcmp.h"
#include "platform/posix/PosixSockets.h"

namespace virelo::test {

// A clock that always shows the same time, so whole log lines can be compared.
class FixedClock : public platform::Clock {
public:
    std::string timeOfDay() override { return "3:04:05 PM"; }
};

// Records message boxes instead of showing them, so no modal box blocks a test.
class RecordingBoxes : public platform::MessageBoxes {
public:
    struct Box {
        std::string text, title;
        platform::BoxIcon icon;
    };
    void show(const std::string& text, const std::string& title, platform::BoxIcon icon) override {
        boxes.push_back({text, title, icon});
    }
    std::vector<Box> boxes;
};

// The real sockets, except that starting a session can be made to fail with a chosen code (the
// workstation's network subsystem cannot be made unready on demand), and session calls are counted.
class CountingSockets : public platform::posix::PosixSockets {
public:
    std::int32_t startup(std::uint16_t version) override {
        ++startups;
        return startupFailure != 0 ? startupFailure : PosixSockets::startup(version);
    }
    std::int32_t cleanup() override {
        ++cleanups;
        return PosixSockets::cleanup();
    }
    std::int32_t startupFailure = 0;
    int startups = 0;
    int cleanups = 0;
};

// The real echo service, unless a test scripts what it answers: an outcome that cannot be made to
// happen on this machine on demand (a port-unreachable reply, no echo socket at all).
class ScriptedIcmp : public platform::posix::PosixIcmp {
public:
    bool sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                  platform::EchoResult& result, std::string& openFailure) override {
        ++requests;
        if (openFails) {
            openFailure = "ICMP raw socket: Operation not permitted";
            return false;
        }
        const auto index = static_cast<std::size_t>(requests - 1);
        if (const auto& answer = index < perRequest.size() ? perRequest[index] : scripted) {
            result = *answer;
            return true;
        }
        return PosixIcmp::sendEcho(address, data, timeoutMs, result, openFailure);
    }
    std::optional<platform::EchoResult> scripted;
    // Answers for the first requests, in order; an empty one means the real echo service.
    std::vector<std::optional<platform::EchoResult>> perRequest;
    bool openFails = false;
    int requests = 0;
};

}  // namespace virelo::test
