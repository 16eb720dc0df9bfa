#include "platform/posix/registry/RegFile.h"

#include <algorithm>
#include <charconv>

#include "platform/posix/registry/RegText.h"
#include "platform/posix/registry/RegistryFold.h"
#include "platform/posix/registry/RegistryTree.h"

namespace virelo::platform {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view TrimLeft(std::string_view s) {
    const std::size_t first = s.find_first_not_of(kBlanks);
    return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    const std::size_t last = s.find_last_not_of(kBlanks);
    return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

// `prefix` is written in upper case.
bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && RegistryFold(s.substr(0, prefix.size())) == prefix;
}

bool ParseHexNumber(std::string_view digits, std::size_t maxDigits, std::uint32_t& number) {
    if (digits.empty() || digits.size() > maxDigits) {
        return false;
    }
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
    return error == std::errc() && end == digits.data() + digits.size();
}

// A quoted text with the escapes \\ and \" starting at `at` (the opening quote). Returns the
// position after the closing quote, or npos when there is none. Any other backslash is kept.
std::size_t ParseQuoted(std::string_view s, std::size_t at, std::string& text) {
    for (std::size_t i = at + 1; i < s.size(); ++i) {
        if (s[i] == '"') {
            return i + 1;
        }
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            ++i;
        }
        text += s[i];
    }
    return std::string_view::npos;
}

// The lines of the file's text, without their CR LF or LF.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

class Parser {
public:
    Parser(std::vector<std::string_view> lines, bool windows1252, RegFile& out)
        : lines_(std::move(lines)), out_(out), windows1252_(windows1252) {}

    // False when the file is empty or is no export file at all.
    bool run() {
        std::size_t i = 0;
        while (i < lines_.size() && Trim(lines_[i]).empty()) {
            ++i;
        }
        if (i == lines_.size()) {
            warn(0, "the file is empty");
            return false;
        }
        const std::string_view header = Trim(lines_[i]);
        if (header == "Windows Registry Editor Version 5.00") {
            unicode_ = true;
        } else if (header != "REGEDIT4") {
            warn(static_cast<int>(i) + 1,
                 "not a registry export file (the first line is neither \"Windows Registry Editor "
                 "Version 5.00\" nor \"REGEDIT4\"); the file is skipped");
            return false;
        }
        for (++i; i < lines_.size(); ++i) {
            const int lineNumber = static_cast<int>(i) + 1;
            const std::string_view line = TrimLeft(lines_[i]);
            if (line.empty() || line.front() == ';') {
                continue;
            }
            if (line.front() == '[') {
                keyLine(lineNumber, Trim(line));
            } else {
                i = valueLine(i);
            }
        }
        return true;
    }

private:
    enum class State { NoKey, Skipped, Open };

    void warn(int line, std::string message) {
        out_.warnings.push_back({line, std::move(message)});
    }

    // A hexadecimal value may go on over the next lines, each line but the last ending in a
    // backslash. Returns the index of the value's last line, or the line count when the file ends
    // first.
    std::size_t joinContinuation(std::size_t i, std::string& data) {
        while (!data.empty() && data.back() == '\\') {
            data.pop_back();
            if (++i == lines_.size()) {
                return i;
            }
            data += Trim(lines_[i]);
        }
        return i;
    }

    void keyLine(int line, std::string_view text) {
        state_ = State::Skipped;
        if (text.back() != ']') {
            warn(line, "a key line must end with \"]\"; the key and its values are skipped");
            return;
        }
        text = text.substr(1, text.size() - 2);
        const bool remove = !text.empty() && text.front() == '-';
        if (remove) {
            text.remove_prefix(1);
        }
        const std::string_view rootName = text.substr(0, text.find('\\'));
        const std::string folded = RegistryFold(rootName);
        if (folded == "HKEY_LOCAL_MACHINE" || folded == "HKLM") {
            root_ = reg::kLocalMachine;
        } else if (folded == "HKEY_CURRENT_USER" || folded == "HKCU") {
            root_ = reg::kCurrentUser;
        } else {
            if (folded != "HKEY_CLASSES_ROOT" && folded != "HKEY_USERS" &&
                folded != "HKEY_CURRENT_CONFIG" && folded != "HKCR" && folded != "HKU" &&
                folded != "HKCC") {
                warn(line, "unknown root key \"" + std::string(rootName) +
                               "\"; the key and its values are skipped");
            }
            return;
        }
        std::string_view path =
            rootName.size() < text.size() ? text.substr(rootName.size() + 1) : "";
        while (!path.empty() && path.back() == '\\') {
            path.remove_suffix(1);
        }
        if (path.find("\\\\") != std::string_view::npos ||
            (!path.empty() && path.front() == '\\')) {
            warn(line, "a key path with an empty key name; the key and its values are skipped");
            return;
        }
        if (remove && path.empty()) {
            warn(line, "a root key cannot be deleted; the line is skipped");
            return;
        }
        std::size_t depth = 0;
        for (std::size_t start = 0; start < path.size(); ++depth) {
            const std::size_t end = std::min(path.find('\\', start), path.size());
            if (Utf16Length(path.substr(start, end - start)) > kMaxKeyName) {
                warn(line, "a key name longer than " + std::to_string(kMaxKeyName) +
                               " characters; the key and its values are skipped");
                return;
            }
            start = end + 1;
        }
        if (depth > kMaxKeyDepth) {
            warn(line, "a key nested deeper than " + std::to_string(kMaxKeyDepth) +
                           " levels; the key and its values are skipped");
            return;
        }
        out_.keys.push_back({root_, std::string(path), remove, line, {}});
        state_ = remove ? State::Skipped : State::Open;
    }

    // A value line (with its continuation lines); returns the index of its last line.
    std::size_t valueLine(std::size_t i) {
        const int line = static_cast<int>(i) + 1;
        const std::string_view text = TrimLeft(lines_[i]);
        RegValueEdit edit;
        edit.line = line;
        std::size_t at = 0;
        if (text.front() == '@') {
            at = 1;
        } else if (text.front() == '"') {
            at = ParseQuoted(text, 0, edit.name);
            if (at == std::string_view::npos) {
                warn(line, "the value name has no closing quote; skipped");
                return i;
            }
        } else {
            warn(line, "not a key, a value or a comment; skipped");
            return i;
        }
        if (Utf16Length(edit.name) > kMaxValueName) {
            warn(line, "a value name longer than " + std::to_string(kMaxValueName) +
                           " characters; skipped");
            return i;
        }
        std::string_view rest = TrimLeft(text.substr(at));
        if (rest.empty() || rest.front() != '=') {
            warn(line, "\"=\" expected after the value name; skipped");
            return i;
        }
        std::string data(Trim(rest.substr(1)));
        if (StartsWithNoCase(data, "HEX")) {
            i = joinContinuation(i, data);
            if (i == lines_.size()) {
                warn(line, "the value goes on past the end of the file; skipped");
                return i;
            }
        }
        if (state_ == State::NoKey) {
            warn(line, "a value before the first key line; skipped");
        } else if (state_ == State::Open) {
            if (const std::string problem = parseData(data, edit); !problem.empty()) {
                warn(line, problem + "; skipped");
            } else {
                out_.keys.back().values.push_back(std::move(edit));
            }
        }
        return i;
    }

    // Fills the edit's type and data from the text after "="; returns what is wrong, if anything.
    std::string parseData(std::string_view data, RegValueEdit& edit) {
        if (data == "-") {
            edit.remove = true;
            return {};
        }
        if (!data.empty() && data.front() == '"') {
            const std::size_t end = ParseQuoted(data, 0, edit.data);
            if (end == std::string_view::npos) {
                return "the text has no closing quote";
            }
            if (end != data.size()) {
                return "unexpected characters after the closing quote";
            }
            edit.type = reg::kSz;
            edit.data += '\0';
            return {};
        }
        if (StartsWithNoCase(data, "DWORD:")) {
            std::uint32_t number = 0;
            if (!ParseHexNumber(data.substr(6), 8, number)) {
                return "a dword needs one to eight hexadecimal digits";
            }
            edit.type = reg::kDword;
            for (int i = 0; i < 4; ++i) {
                edit.data += static_cast<char>((number >> (8 * i)) & 0xFF);
            }
            return {};
        }
        if (!StartsWithNoCase(data, "HEX")) {
            return "unknown value type";
        }
        data.remove_prefix(3);
        edit.type = reg::kBinary;
        if (!data.empty() && data.front() == '(') {
            const std::size_t close = data.find(')');
            if (close == std::string_view::npos ||
                !ParseHexNumber(data.substr(1, close - 1), 8, edit.type)) {
                return "hex(n) needs a hexadecimal type number";
            }
            data.remove_prefix(close + 1);
        }
        if (data.empty() || data.front() != ':') {
            return "\":\" expected after hex";
        }
        return parseBytes(data.substr(1), edit);
    }

    std::string parseBytes(std::string_view list, RegValueEdit& edit) {
        std::string bytes;
        bytes.reserve(list.size() / 3 + 1);
        while (!Trim(list).empty()) {
            const std::size_t comma = list.find(',');
            std::uint32_t byte = 0;
            if (!ParseHexNumber(Trim(list.substr(0, comma)), 2, byte)) {
                return "bytes must be two hexadecimal digits separated by commas";
            }
            bytes += static_cast<char>(byte);
            list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        }
        const bool text =
            edit.type == reg::kSz || edit.type == reg::kExpandSz || edit.type == reg::kMultiSz;
        if (unicode_ && text) {
            if (bytes.size() % 2 != 0) {
                warn(edit.line,
                     "a UTF-16 value with an odd number of bytes; its last byte is dropped");
            }
            bytes = Utf16LeToUtf8(bytes);
        } else if (text && (windows1252_ || !IsValidUtf8(bytes))) {
            // A REGEDIT4 file writes text data in the workstation's code page, as its quoted
            // texts; bytes that are no UTF-8 cannot be anything else.
            bytes = Cp1252ToUtf8(bytes);
        }
        edit.data = std::move(bytes);
        return {};
    }

    std::vector<std::string_view> lines_;
    RegFile& out_;
    bool windows1252_;  // the file was read as Windows-1252
    bool unicode_ = false;
    State state_ = State::NoKey;
    HKey root_ = 0;
};

}  // namespace

RegFile ParseRegFile(std::string_view bytes) {
    RegFile file;
    DecodedRegText decoded = DecodeRegText(bytes);
    // How the text was read matters only for a file that is an export; for any other file the
    // one warning that says so is enough.
    if (Parser(SplitLines(decoded.text), decoded.windows1252, file).run()) {
        for (auto note = decoded.notes.rbegin(); note != decoded.notes.rend(); ++note) {
            file.warnings.insert(file.warnings.begin(), {0, std::move(*note)});
        }
    }
    return file;
}

void ApplyRegFile(const RegFile& file, RegistryTree& tree) {
    for (const RegKeyEdit& key : file.keys) {
        if (key.remove) {
            tree.deleteKey(key.root, key.path);
            continue;
        }
        tree.createKey(key.root, key.path);
        for (const RegValueEdit& value : key.values) {
            if (value.remove) {
                tree.deleteValue(key.root, key.path, value.name);
            } else {
                tree.setValue(key.root, key.path, value.name, value.type, value.data);
            }
        }
    }
}

}  // namespace virelo::platform
