#pragma once
// The command line a tool program is started with: six comma-separated
// fields after the program path, the section name last (it may hold blanks).

#include <cstdint>
#include <string>

namespace lumibench {

struct ToolCommandLine {
    std::int64_t mainWindowHandle = 0;  // the host's main window (X11 id), 0 when none
    bool takesData = false;             // "1": read the exchange slots at start-up
    std::string hostKey;                // the host's mailbox name ("LumibenchPE")
    std::string instanceId;             // decimal instance number, as given
    int loadedFileCount = 0;
    std::string section;                // the exchange section; everything after the 5th comma

    bool operator==(const ToolCommandLine&) const = default;
};

}  // namespace lumibench
