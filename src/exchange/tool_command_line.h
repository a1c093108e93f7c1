#pragma once
// The command line a tool program is started with: six comma-separated
// fields after the program path, the section name last (it may hold blanks).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// The argument text the host passes: " 3342910,1,LumibenchPE,3,4,Data Exchange"
// (the handle carries a leading blank when not negative).
std::string FormatToolArguments(const ToolCommandLine& line);

// Reads the text back; a tool joins argv[1..] with blanks to get it. Returns
// nullopt when fewer than six fields are present. Numbers are read
// leniently (leading blanks allowed, no number gives 0).
std::optional<ToolCommandLine> ParseToolArguments(std::string_view text);

}  // namespace lumibench
