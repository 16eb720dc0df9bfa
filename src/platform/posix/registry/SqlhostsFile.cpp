#include "platform/posix/registry/SqlhostsFile.h"

#include <set>

#include "platform/posix/registry/RegText.h"
#include "platform/posix/registry/RegistryFold.h"

namespace virelo::platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

// Splits off the next whitespace-separated field; empty at the end of the line.
std::string_view NextField(std::string_view& rest) {
    const std::size_t start = rest.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const std::size_t end = std::min(rest.find_first_of(kBlanks), rest.size());
    const std::string_view field = rest.substr(0, end);
    rest.remove_prefix(end);
    return field;
}

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

SqlhostsFile ParseSqlhostsFile(std::string_view bytes) {
    SqlhostsFile file;
    const DecodedRegText decoded = DecodeRegText(bytes);
    for (const std::string& note : decoded.notes) {
        file.warnings.push_back({0, note});
    }
    const std::string_view text = decoded.text;
    std::set<std::string> seen;
    int lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view rest = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        rest = rest.substr(0, rest.find('#'));
        std::vector<std::string_view> fields;
        while (fields.size() < 4) {
            const std::string_view field = NextField(rest);
            if (field.empty()) {
                break;
            }
            fields.push_back(field);
        }
        if (fields.empty()) {
            continue;
        }
        if (fields.size() < 4) {
            file.warnings.push_back(
                {lineNumber,
                 "a server line needs the fields name, protocol, host and service; "
                 "the line is skipped"});
            continue;
        }
        SqlhostsEntry entry{std::string(fields[0]), std::string(fields[1]),  std::string(fields[2]),
                            std::string(fields[3]), std::string(Trim(rest)), lineNumber};
        if (entry.name.find('\\') != std::string::npos) {
            file.warnings.push_back(
                {lineNumber, "a server name cannot contain a backslash; the line is skipped"});
            continue;
        }
        if (Utf16Length(entry.name) > kMaxKeyName) {
            file.warnings.push_back({lineNumber, "a server name longer than " +
                                                     std::to_string(kMaxKeyName) +
                                                     " characters; the line is skipped"});
            continue;
        }
        if (!seen.insert(RegistryFold(entry.name)).second) {
            file.warnings.push_back({lineNumber, "the server \"" + entry.name +
                                                     "\" is already named on an earlier line; "
                                                     "this line is skipped"});
            continue;
        }
        file.entries.push_back(std::move(entry));
    }
    return file;
}

}  // namespace virelo::platform
