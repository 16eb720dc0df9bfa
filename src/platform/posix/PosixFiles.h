#pragma once

#include "platform/Files.h"

namespace virelo::platform::posix {

class PosixFiles : public Files {
public:
    std::optional<std::string> environment(const std::string& name) override;
    std::string defaultTempDirectory() override;
    char pathSeparator() const override { return '/'; }
    FileStatus probe(const std::string& path) override;
    FileStatus append(const std::string& path, std::string_view text) override;
    FileStatus read(const std::string& path, std::string& content) override;
    FileStatus remove(const std::string& path) override;
};

}  // namespace virelo::platform::posix
