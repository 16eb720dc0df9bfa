#include "jdbc/JdbcUrl.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

#include "general/Secrets.h"

namespace virelo::jdbc {

std::pair<std::string, std::string> SplitParameter(const std::string& item) {
    const auto equals = item.find('=');
    if (equals == std::string::npos) {
        return {};
    }
    return {item.substr(0, equals), item.substr(equals + 1)};
}

void SetParameter(std::vector<std::string>& items, const std::string& name,
                  const std::string& value) {
    if (name.empty()) {
        return;
    }
    const std::string prefix = name + "=";
    const auto found = std::find_if(items.begin(), items.end(), [&](const std::string& item) {
        return item.compare(0, prefix.size(), prefix) == 0;
    });
    if (found != items.end()) {
        items.erase(found);
    }
    items.insert(items.begin(), prefix + value);
}

std::string BuildJDBCURL(const UrlFields& fields) {
    std::string url = fields.protocol;
    if (!fields.host.empty()) {
        url += "://" + fields.host;
    }
    if (!fields.port.empty()) {
        url += ":" + fields.port;
    }
    if (!fields.database.empty()) {
        url += (fields.port.empty() ? ":" : "/") + fields.database;
    }
    std::string parameters;
    for (const auto& item : fields.parameters) {
        const auto [name, value] = SplitParameter(item);
        if (!value.empty()) {
            parameters += name + "=" + value + ";";
        }
    }
    if (!parameters.empty()) {
        url += ":" + parameters;
    }
    return url;
}

namespace {

// The masks are written as small scanners: compiling the equivalent regular expressions costs
// more than everything else a command-line check does.

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Where a run of characters that are neither blank nor one of `stops` ends, from `at`.
std::size_t RunEnd(std::string_view text, std::size_t at, std::string_view stops) {
    while (at < text.size() && !IsBlank(text[at]) &&
           stops.find(text[at]) == std::string_view::npos) {
        ++at;
    }
    return at;
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
    if (text.size() - at < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) {
            return false;
        }
    }
    return true;
}

// A match starting at `at`: the length of the part that is kept and the end of the secret.
struct SecretAt {
    std::size_t keep = 0;
    std::size_t end = 0;
};

// password= or pwd= (any letter case, blanks around "="), the value running up to ; or &.
std::optional<SecretAt> KeywordSecret(std::string_view text, std::size_t at) {
    std::size_t i = at;
    if (StartsWithNoCase(text, i, "password")) {
        i += 8;
    } else if (StartsWithNoCase(text, i, "pwd")) {
        i += 3;
    } else {
        return std::nullopt;
    }
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    if (i == text.size() || text[i] != '=') {
        return std::nullopt;
    }
    ++i;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    std::size_t end = i;
    while (end < text.size() && text[end] != ';' && text[end] != '&') {
        ++end;
    }
    return SecretAt{i - at, end};
}

// //user:secret@ (the user may be empty).
std::optional<SecretAt> UserInfoSecret(std::string_view text, std::size_t at) {
    if (text.compare(at, 2, "//") != 0) {
        return std::nullopt;
    }
    const std::size_t colon = RunEnd(text, at + 2, "/:@;?");
    if (colon == text.size() || text[colon] != ':') {
        return std::nullopt;
    }
    const std::size_t end = RunEnd(text, colon + 1, "@/");
    if (end == text.size() || text[end] != '@') {
        return std::nullopt;
    }
    return SecretAt{colon + 1 - at, end};
}

// :user/secret@ (both parts at least one character).
std::optional<SecretAt> SlashedSecret(std::string_view text, std::size_t at) {
    if (text[at] != ':') {
        return std::nullopt;
    }
    const std::size_t slash = RunEnd(text, at + 1, ":/@;");
    if (slash == at + 1 || slash == text.size() || text[slash] != '/') {
        return std::nullopt;
    }
    const std::size_t end = RunEnd(text, slash + 1, "@/;");
    if (end == slash + 1 || end == text.size() || text[end] != '@') {
        return std::nullopt;
    }
    return SecretAt{slash + 1 - at, end};
}

// Every match of `find`, left to right and not overlapping, with its secret replaced by the mask.
template <typename Find>
std::string MaskEach(const std::string& text, Find find) {
    std::string masked;
    std::size_t copied = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::optional<SecretAt> secret = find(text, at);
        if (!secret) {
            ++at;
            continue;
        }
        masked.append(text, copied, at + secret->keep - copied);
        masked += general::kPasswordMask;
        copied = at = secret->end;
    }
    return masked.append(text, copied, std::string::npos);
}

}  // namespace

std::string MaskUrlPasswords(const std::string& text) {
    return MaskEach(MaskEach(MaskEach(text, KeywordSecret), UserInfoSecret), SlashedSecret);
}

}  // namespace virelo::jdbc
