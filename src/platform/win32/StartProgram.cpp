#include <windows.h>

#include "platform/CommandLine.h"
#include "platform/win32/SystemPlatform.h"
#include "platform/win32/Text.h"

namespace virelo::platform {

std::vector<std::string> StartProgram(int /*argc*/, char** /*argv*/) {
    ::SetConsoleOutputCP(CP_UTF8);
    // The command line is split by the same rules that the C run-time uses for argv.
    std::vector<std::string> arguments = SplitCommandLine(win32::Utf8(::GetCommandLineW()));
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    return arguments;
}

}  // namespace virelo::platform
