#include "report/Report.h"

#include <cctype>

#include "general/Mask.h"
#include "report/ReportText.h"

namespace virelo::report {

std::string RunLog(platform::Files& files, const std::string& path) {
    std::string content;
    const platform::FileStatus status = files.read(path, content);
    if (status.error == platform::FileError::NotFound ||
        status.error == platform::FileError::PathNotFound) {
        return "(the file is not there any more: some runs delete their log once the pane shows "
               "it)\n";
    }
    if (!status.ok()) {
        return "(not read: " + status.reason + ")\n";
    }
    std::string text = Capped(PlainText(content), kTextLimit);
    return text.empty() || text.back() == '\n' ? text : text + "\n";
}

std::string FormatRun(const TabRun& run, platform::Files& files) {
    std::string text = Title(run.title, '=');
    for (const auto& [label, value] : run.inputs) {
        text += Field(label, PlainText(value));
    }
    std::string pane = Capped(PlainText(run.pane), kTextLimit);
    if (!pane.empty() && pane.back() != '\n') {
        pane += '\n';
    }
    text += "\n" + Title(run.paneTitle, '-') + (pane.empty() ? "(empty)\n" : pane);
    if (!run.logPath.empty()) {
        text += "\n" + Title("Log of the last run: " + PlainText(run.logPath), '-');
        text += RunLog(files, run.logPath);
    }
    return text;
}

std::string MaskEveryPassword(std::string text, const std::vector<std::string>& passwords) {
    text = general::MaskPasswords(text);
    for (const std::string& password : passwords) {
        if (!password.empty()) {
            text = general::MaskPasswords(text, password);
        }
    }
    return text;
}

std::string ComposeReport(const Header& header, const std::vector<TabRun>& runs,
                          platform::Files& files, const std::vector<std::string>& passwords) {
    std::string text = FormatHeader(header);
    for (const TabRun& run : runs) {
        text += "\n\n" + FormatRun(run, files);
    }
    return MaskEveryPassword(PlainText(text), passwords);
}

platform::FileStatus FillReport(platform::Files& files, const std::string& path,
                                const std::string& text) {
    const platform::FileStatus status = files.append(path, text);
    if (!status.ok()) {
        files.remove(path);  // a part of a report is no report
    }
    return status;
}

platform::FileStatus WriteReport(platform::Files& files, const std::string& path,
                                 const std::string& text) {
    const platform::FileStatus reserved = files.reserve(path);
    return reserved.ok() ? FillReport(files, path, text) : reserved;
}

std::string ReportFileName(const Header& header) {
    std::string host;
    for (const char c : header.hostName) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
        host += plain ? c : '_';
    }
    return "virelo-report-" + (host.empty() ? std::string("unknown") : host) + "-" +
           header.fileStamp + ".txt";
}

}  // namespace virelo::report
