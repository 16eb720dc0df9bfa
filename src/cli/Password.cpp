#include "cli/Password.h"

#include "general/Mask.h"

namespace virelo::cli {

PasswordResult ObtainPassword(const Request& request, bool needed, platform::Files& files,
                              platform::Terminal& terminal) {
    PasswordResult result;
    if (request.passwordFile) {
        const std::string& path = *request.passwordFile;
        std::string content;
        const platform::FileStatus status = files.readNamed(path, content, 64 * 1024);
        if (!status.ok()) {
            result.error = "cannot read the password file: " + status.reason;
            return result;
        }
        const auto end = content.find_first_of("\r\n");
        result.password = content.substr(0, end);
        if (result.password.empty()) {
            result.error = "the password file " + path + " is empty";
        }
        return result;
    }
    if (const auto variable = files.environment("VIRELO_PASSWORD")) {
        if (variable->empty()) {
            result.error = "VIRELO_PASSWORD is set but empty";
        } else if (variable->find_first_of("\r\n") != std::string::npos) {
            // Outputs are masked line by line, so whatever follows a line break would show. A
            // password file and the prompt give one line as well.
            result.error = "VIRELO_PASSWORD holds a line break, which a password cannot hold";
        }
        result.password = *variable;
        return result;
    }
    if (needed && terminal.interactive()) {
        const auto typed = terminal.readHidden(
            "Password" + (request.user ? " for " + *request.user : std::string()) + ": ");
        if (!typed) {
            result.error = "the password could not be read from the terminal";
        }
        result.password = typed.value_or("");
    }
    return result;
}

std::string Scrub(const std::string& text, const std::string& password) {
    return general::MaskPasswords(text, password);
}

}  // namespace virelo::cli
