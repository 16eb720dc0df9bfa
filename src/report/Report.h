#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "report/Header.h"

namespace virelo::report {

// The most bytes of one log or one pane that a report holds; a longer one keeps its beginning
// and its end, with a line that says what was cut.
inline constexpr std::size_t kTextLimit = 256 * 1024;

// What one tab (or one command) did: its inputs, what its pane shows, and its last log file.
struct TabRun {
    std::string title;
    // Label and value; a password is given as "(given)" or "(empty)", never as itself.
    std::vector<std::pair<std::string, std::string>> inputs;
    std::string paneTitle;
    std::string pane;
    std::string logPath;  // the log file of its last run; empty when its runs keep none
};

// The content of a run's log file, read only while it is still the very file that run created
// (a file put under its name since is refused), capped at kTextLimit; or a line saying why it
// is not there.
std::string RunLog(platform::Files& files, const std::string& path);

// One tab's section of a report.
std::string FormatRun(const TabRun& run, platform::Files& files);

// The whole report: the header, then each run. Every password is masked as a last line of
// defence, by the rule that every pane and log follows, with each password the user gave.
std::string ComposeReport(const Header& header, const std::vector<TabRun>& runs,
                          platform::Files& files, const std::vector<std::string>& passwords);

// The text with every password masked: the keyword and URL forms always, and each of the given
// passwords where it stands as a word of its own.
std::string MaskEveryPassword(std::string text, const std::vector<std::string>& passwords);

// Writes a report into a file reserved by Files::reserve: created exclusively, readable by the
// user only and never through a link (an existing file, a link or a FIFO under the name is
// refused), and written only while it is that very file. A file that could not be written whole
// is removed again.
platform::FileStatus FillReport(platform::Files& files, const std::string& path,
                                const std::string& text);
// Reserves the file, then fills it.
platform::FileStatus WriteReport(platform::Files& files, const std::string& path,
                                 const std::string& text);

// virelo-report-<host>-<YYYYMMDD-HHMMSS>.txt, the host name reduced to letters, digits, "." and
// "-".
std::string ReportFileName(const Header& header);

}  // namespace virelo::report
