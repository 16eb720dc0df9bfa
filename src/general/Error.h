#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace virelo {

// A raised error as the event handlers report it: a number, the name of what raised it, and a
// description. A handler's error branch is one catch of this type.
class Error : public std::runtime_error {
public:
    Error(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)) {}

    std::int32_t number() const { return number_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// Run-time error numbers that the program raises itself.
namespace errors {
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kPathFileAccess = 75;
inline constexpr std::int32_t kPathNotFound = 76;
}  // namespace errors

}  // namespace virelo

namespace virelo {

// The second line of an error branch: "Error Number: 53 Error Source: ... Error Description: ...".
inline std::string ErrorLine(const Error& error) {
    return "Error Number: " + std::to_string(error.number()) + " Error Source: " + error.source() +
           " Error Description: " + error.description();
}

// Any failure as a raised error; one that is not ours keeps its own words.
inline Error AsError(const std::exception& failure, const std::string& source) {
    if (const auto* error = dynamic_cast<const Error*>(&failure)) {
        return *error;
    }
    return Error(51, source, failure.what());  // 51: internal error
}

}  // namespace virelo
