#include "complus/ConnectionString.h"

namespace virelo::complus {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The end of a value that starts at `start`: after its closing brace when it is braced (or at
// the end of the text when the brace is never closed), else at the next semicolon.
std::size_t ValueEnd(const std::string& text, std::size_t start) {
    std::size_t at = start;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
        ++at;
    }
    if (at < text.size() && text[at] == '{') {
        for (++at; at < text.size(); ++at) {
            if (text[at] == '}') {
                if (at + 1 < text.size() && text[at + 1] == '}') {
                    ++at;  // "}}" is a literal brace inside the value
                    continue;
                }
                return at + 1 < text.size() ? text.find(';', at + 1) : text.size();
            }
        }
        return text.size();
    }
    const std::size_t semicolon = text.find(';', start);
    return semicolon == std::string::npos ? text.size() : semicolon;
}

}  // namespace

std::vector<Attribute> ParseConnectionString(const std::string& text) {
    std::vector<Attribute> attributes;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t semicolon = text.find(';', start);
        const std::size_t equals = text.find('=', start);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            // An attribute without "=": a keyword alone.
            const std::size_t end = semicolon == std::string::npos ? text.size() : semicolon;
            if (!Trimmed(text.substr(start, end - start)).empty()) {
                attributes.push_back({text.substr(start, end - start), ""});
            }
            start = end + 1;
            continue;
        }
        std::size_t end = ValueEnd(text, equals + 1);
        if (end == std::string::npos) {
            end = text.size();
        }
        attributes.push_back(
            {text.substr(start, equals - start), text.substr(equals + 1, end - equals - 1)});
        start = end + 1;
    }
    return attributes;
}

std::string JoinConnectionString(const std::vector<Attribute>& attributes) {
    std::string text;
    for (const Attribute& attribute : attributes) {
        if (!text.empty()) {
            text += ';';
        }
        text += attribute.keyword + "=" + attribute.value;
    }
    return text;
}

std::string DsnLessUpToPassword(const std::string& driver, const std::string& database,
                                const std::string& host, const std::string& server,
                                const std::string& service, const std::string& user) {
    return "Provider=MSDASQL;DRIVER={" + driver + "};DB=" + database + ";HOST=" + host +
           ";SRVR=" + server + ";SERV=" + service + ";PRO=kasoctcp;UID=" + user + ";PWD=";
}

std::string OleDbUpToPassword(const std::string& database, const std::string& server,
                              const std::string& user) {
    return "Provider=nbxoledbc;Data Source=" + database + "@" + server + ";User ID=" + user +
           ";Password=";
}

}  // namespace virelo::complus
