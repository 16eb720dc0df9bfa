#include "general/Mask.h"

#include <cstring>
#include <vector>

namespace virelo::general {
namespace {

bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A character of a keyword or of the name of a name=value pair.
bool IsNameChar(char c) {
    return IsAsciiAlnum(c) || c == '_' || c == '.' || c == '-';
}

// A character that joins a password to a word: a letter, a digit, or any part of a character
// that is not ASCII (a letter of another alphabet, for all this rule needs to know).
bool IsWordChar(char c) {
    return IsAsciiAlnum(c) || static_cast<unsigned char>(c) >= 0x80;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}
bool IsSpace(char c) {
    return IsBlank(c) || IsLineEnd(c);
}

// Whether a password may be hidden by its value: long enough (counted in characters, as the
// Java side counts them) and not made of letters alone, as the words of a message are.
bool HiddenByValue(std::string_view password) {
    std::size_t characters = 0;
    bool notLetter = false;
    for (const char c : password) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            static_cast<unsigned char>(c) >= 0x80;
        notLetter = notLetter || !letter;
    }
    return characters >= kShortestPasswordHiddenByValue && notLetter;
}

// Whether the password starts at each position of the text (Knuth-Morris-Pratt), so that every
// later question costs one look-up, whatever the password and the text are made of.
std::vector<bool> Occurrences(std::string_view text, std::string_view password) {
    std::vector<bool> starts(text.size() + 1, false);
    const std::size_t m = password.size();
    if (m == 0 || m > text.size()) {
        return starts;
    }
    std::vector<std::size_t> border(m + 1, 0);
    for (std::size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && password[i] != password[k]) {
            k = border[k];
        }
        k += password[i] == password[k] ? 1 : 0;
        border[i + 1] = k;
    }
    for (std::size_t i = 0, k = 0; i < text.size(); ++i) {
        while (k > 0 && (k == m || text[i] != password[k])) {
            k = border[k];
        }
        k += text[i] == password[k] ? 1 : 0;
        if (k == m) {
            starts[i + 1 - m] = true;
        }
    }
    return starts;
}

class Masker {
public:
    Masker(std::string_view text, std::string_view password)
        : text_(text),
          n_(text.size()),
          m_(password.size()),
          starts_(Occurrences(text, password)),
          byValue_(HiddenByValue(password)) {}

    std::string Run() {
        std::string out;
        out.reserve(n_);
        std::size_t copied = 0;
        for (std::size_t i = 0; i < n_;) {
            std::size_t from = 0;
            std::size_t to = 0;
            if (Keyword(i, from, to) || UserInfo(i, from, to) || SlashedSecret(i, from, to) ||
                WholePassword(i, from, to)) {
                out.append(text_, copied, from - copied).append(kPasswordMask);
                copied = i = to;
            } else {
                ++i;
            }
        }
        return out.append(text_, copied);
    }

private:
    bool PasswordAt(std::size_t at) const { return m_ > 0 && at < n_ && starts_[at]; }

    // Where the password ends when the text holds it at `at`, else `at`.
    std::size_t PastPassword(std::size_t at) const { return PasswordAt(at) ? at + m_ : at; }

    // A name, blanks allowed inside and around it, then "=": the start of the next pair.
    bool PairAt(std::size_t at) const {
        while (at < n_ && IsBlank(text_[at])) {
            ++at;
        }
        if (at >= n_ || !IsNameChar(text_[at])) {
            return false;
        }
        while (at < n_ && (IsNameChar(text_[at]) || IsBlank(text_[at]))) {
            ++at;
        }
        return at < n_ && text_[at] == '=';
    }

    // From `at` to the next name=value pair or the end of the line.
    std::size_t RestOfValue(std::size_t at) const {
        for (; at < n_ && !IsLineEnd(text_[at]); ++at) {
            if ((text_[at] == ';' || text_[at] == '&') && PairAt(at + 1)) {
                break;
            }
        }
        return at;
    }

    // Past a braced or quoted value (a doubled closing mark stands for itself), or past the
    // password when the value begins with it; else `at`.
    std::size_t PastEnclosedPart(std::size_t at) const {
        if (PasswordAt(at) || at >= n_) {
            return PastPassword(at);
        }
        const char open = text_[at];
        if (open != '{' && open != '"' && open != '\'') {
            return at;
        }
        const char close = open == '{' ? '}' : open;
        std::size_t k = at + 1;
        for (; k < n_ && !IsLineEnd(text_[k]); ++k) {
            if (text_[k] == close) {
                if (k + 1 < n_ && text_[k + 1] == close) {
                    ++k;
                    continue;
                }
                return k + 1;
            }
        }
        return k;  // not closed: the rest of the line goes
    }

    static bool EndsWithKeyword(std::string_view name) {
        for (const std::string_view keyword : {"password", "passwd", "pwd"}) {
            if (name.size() < keyword.size()) {
                continue;
            }
            const std::string_view tail = name.substr(name.size() - keyword.size());
            bool same = true;
            for (std::size_t k = 0; k < keyword.size() && same; ++k) {
                same = (tail[k] | 0x20) == keyword[k];
            }
            if (same) {
                return true;
            }
        }
        return false;
    }

    // PWD=value, Password : value, sslpassword=value ...
    bool Keyword(std::size_t i, std::size_t& from, std::size_t& to) const {
        if (!IsNameChar(text_[i]) || (i > 0 && IsNameChar(text_[i - 1]))) {
            return false;
        }
        std::size_t at = i;
        while (at < n_ && IsNameChar(text_[at])) {
            ++at;
        }
        if (!EndsWithKeyword(text_.substr(i, at - i))) {
            return false;
        }
        while (at < n_ && IsBlank(text_[at])) {
            ++at;
        }
        if (at >= n_ || (text_[at] != '=' && text_[at] != ':')) {
            return false;
        }
        // Blanks before the value are shown, unless they are the password's own.
        for (++at; at < n_ && IsBlank(text_[at]) && !PasswordAt(at);) {
            ++at;
        }
        from = at;
        to = RestOfValue(PastEnclosedPart(at));
        return true;
    }

    // The secret from `at` up to "@", none of `stops` and no blank on the way (the password, when
    // it is there, may hold them); false when no "@" ends it.
    bool SecretBeforeAt(std::size_t at, const char* stops, bool mayBeEmpty, std::size_t& to) const {
        std::size_t k = PastPassword(at);
        while (k < n_ && text_[k] != '@' && std::strchr(stops, text_[k]) == nullptr &&
               !IsSpace(text_[k])) {
            ++k;
        }
        to = k;
        return k < n_ && text_[k] == '@' && (mayBeEmpty || k > at);
    }

    // user:secret@host: in a URL (//user:secret@host, where the user may be empty and the secret
    // may be empty or hold ":"), or quoted alone, as in a driver's "unknown host u:secret@host".
    bool UserInfo(std::size_t i, std::size_t& from, std::size_t& to) const {
        if (text_[i] != ':' || i == 0 || IsSpace(text_[i - 1])) {
            return false;
        }
        std::size_t user = i;
        while (user > 0 && std::strchr("/:@?#;&", text_[user - 1]) == nullptr &&
               !IsSpace(text_[user - 1])) {
            --user;
        }
        const bool inUrl = user >= 2 && text_.compare(user - 2, 2, "//") == 0;
        from = i + 1;
        return SecretBeforeAt(from, inUrl ? "/?#" : "/?#:", inUrl, to);
    }

    // :user/secret@host (jdbc:oracle:thin:scott/tiger@host), neither part empty.
    bool SlashedSecret(std::size_t i, std::size_t& from, std::size_t& to) const {
        if (text_[i] != ':') {
            return false;
        }
        std::size_t at = i + 1;
        while (at < n_ && std::strchr(":/@;", text_[at]) == nullptr && !IsSpace(text_[at])) {
            ++at;
        }
        if (at == i + 1 || at >= n_ || text_[at] != '/') {
            return false;
        }
        from = at + 1;
        return SecretBeforeAt(from, "/;", false, to);
    }

    // The password itself as a whole token, when it is long enough.
    bool WholePassword(std::size_t i, std::size_t& from, std::size_t& to) const {
        if (!byValue_ || !PasswordAt(i) || (i > 0 && IsWordChar(text_[i - 1])) ||
            (i + m_ < n_ && IsWordChar(text_[i + m_]))) {
            return false;
        }
        from = i;
        to = i + m_;
        return true;
    }

    std::string_view text_;
    std::size_t n_;
    std::size_t m_;
    std::vector<bool> starts_;
    bool byValue_;
};

}  // namespace

std::string MaskPasswords(std::string_view text, std::string_view password) {
    return Masker(text, password).Run();
}

}  // namespace virelo::general
