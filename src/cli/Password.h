#pragma once

#include <string>

#include "cli/Arguments.h"
#include "platform/Files.h"
#include "platform/Terminal.h"

namespace virelo::cli {

struct PasswordResult {
    std::string password;
    std::string error;  // why no password could be read; empty when all is well
};

// The password of a check, never from the command line: from --password-file (its first
// line), else from VIRELO_PASSWORD, else, when one is needed and standard input is a terminal,
// from a prompt without echo; otherwise empty. A missing, unreadable or empty file and an empty
// VIRELO_PASSWORD are errors, so a script learns of them instead of logging in without one.
PasswordResult ObtainPassword(const Request& request, bool needed, platform::Files& files,
                              platform::Terminal& terminal);

// The text with every password hidden (general::MaskPasswords).
std::string Scrub(const std::string& text, const std::string& password);

}  // namespace virelo::cli
