#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "platform/BoundedCall.h"
#include "platform/Sockets.h"

namespace virelo::platform {

// The host look-ups of a sockets library (gethostbyname, gethostbyaddr), each run under the
// look-up limit (see BoundedCall). A look-up still running at the limit fails with 11002, the
// name service could not answer, as Windows Sockets reports a name server that does not answer.
class HostLookUps {
public:
    // The entry found, or the Windows Sockets error number of the look-up that failed.
    using Found = std::pair<std::optional<HostEntry>, std::int32_t>;

    explicit HostLookUps(std::chrono::milliseconds limit) : limit_(limit) {}

    // The entry found; without one, `lastError` holds why.
    std::optional<HostEntry> run(std::function<Found()> call, std::int32_t& lastError) {
        std::optional<Found> found = calls_.run(std::move(call), limit_);
        if (!found) {
            lastError = wsa::kTryAgain;
            return std::nullopt;
        }
        if (!found->first) {
            lastError = found->second;
        }
        return std::move(found->first);
    }

private:
    std::chrono::milliseconds limit_;
    BoundedCall<Found> calls_;
};

}  // namespace virelo::platform
