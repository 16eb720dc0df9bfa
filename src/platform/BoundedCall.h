#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace virelo::platform {

// Runs a blocking call of the C library that cannot be abandoned (a name look-up) on a helper
// thread, and waits for it until a time limit. The helper owns what it fills, so a call that
// outruns the limit is left to finish on its own; the next call of the same object first waits
// for that one (within its own limit), so at most one such helper exists at a time.
//
// Both systems use it: the C library's gethostbyname and gethostbyaddr, and those of Windows
// Sockets, have no asynchronous form. (The C library's getaddrinfo_a calls the library's own
// getaddrinfo on a thread of its own, past any resolver put in front of the library, such as
// the tests' nss_wrapper.)
template <typename Result>
class BoundedCall {
public:
    // The call's result, or nothing when it did not end within `limit`.
    std::optional<Result> run(std::function<Result()> call, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        if (overdue_ && !overdue_->waitUntil(deadline)) {
            return std::nullopt;
        }
        overdue_.reset();
        auto job = std::make_shared<Job>();
        std::thread helper;
        try {
            helper = std::thread([job, call = std::move(call)] {
                Result result = call();
                const std::lock_guard lock(job->mutex);
                job->result = std::move(result);
                job->finished.notify_all();
            });
        } catch (const std::system_error&) {
            return std::nullopt;  // no thread to be had: as if the name service did not answer
        }
        if (!job->waitUntil(deadline)) {
            helper.detach();
            overdue_ = std::move(job);
            return std::nullopt;
        }
        helper.join();
        return std::move(job->result);
    }

private:
    struct Job {
        std::mutex mutex;
        std::condition_variable finished;
        std::optional<Result> result;

        bool waitUntil(std::chrono::steady_clock::time_point deadline) {
            std::unique_lock lock(mutex);
            return finished.wait_until(lock, deadline, [this] { return result.has_value(); });
        }
    };

    std::shared_ptr<Job> overdue_;  // a call that outran its limit, if any
};

}  // namespace virelo::platform
