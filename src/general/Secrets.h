#pragma once

#include <string>

namespace virelo::general {

// What stands in place of a password wherever a text would otherwise show it.
inline constexpr const char* kPasswordMask = "########";

// Passwords shorter than this are not cut out of texts by their value: cut out of every word
// they occur in, they would garble the text and, by the pattern of the cuts, give themselves
// away. They are still masked where they follow a password keyword.
inline constexpr std::size_t kShortestHiddenSecret = 4;

// The text with every occurrence of the secret replaced by the mask.
inline std::string HideSecret(std::string text, const std::string& secret) {
    if (secret.size() < kShortestHiddenSecret) {
        return text;
    }
    for (auto at = text.find(secret); at != std::string::npos; at = text.find(secret, at)) {
        text.replace(at, secret.size(), kPasswordMask);
    }
    return text;
}

}  // namespace virelo::general
