#include "platform/CommandLine.h"

namespace virelo::platform {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The program name: quotes group and are dropped, backslashes are plain characters.
std::string ProgramName(std::string_view line, std::size_t& i) {
    std::string name;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (IsBlank(c) && !quoted) {
            break;
        } else {
            name += c;
        }
    }
    return name;
}

// One argument after the program name, starting at a character that is not a blank.
std::string Argument(std::string_view line, std::size_t& i) {
    std::string arg;
    bool quoted = false;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c) && !quoted) {
            break;
        }
        if (c == '\\') {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    arg += '"';
                    ++i;
                }
                // An even count leaves the quote to the branch below, which groups.
            } else {
                arg.append(slashes, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                arg += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
            continue;
        }
        arg += c;
        ++i;
    }
    return arg;
}

// Every argument with the position just past its last character in the line.
std::vector<std::pair<std::string, std::size_t>> SplitWithEnds(std::string_view line) {
    std::vector<std::pair<std::string, std::size_t>> args;
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    if (i == line.size()) {
        return args;
    }
    std::string program = ProgramName(line, i);
    args.emplace_back(std::move(program), i);
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            break;
        }
        std::string arg = Argument(line, i);
        args.emplace_back(std::move(arg), i);
    }
    return args;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    for (auto& [arg, end] : SplitWithEnds(line)) {
        args.push_back(std::move(arg));
    }
    return args;
}

std::size_t ArgumentsEndingBefore(std::string_view line, std::size_t offset) {
    std::size_t count = 0;
    for (const auto& [arg, end] : SplitWithEnds(line)) {
        if (end > offset) {
            break;
        }
        ++count;
    }
    return count;
}

std::string QuoteArgument(std::string_view argument) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            quoted += c;
            continue;
        }
        if (c == '"') {
            // Backslashes before a quote are doubled, and the quote itself is escaped.
            quoted.append(backslashes + 1, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Backslashes before the closing quote are doubled so that they stay backslashes.
    quoted.append(backslashes, '\\');
    return quoted + "\"";
}

}  // namespace virelo::platform
