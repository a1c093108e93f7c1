#pragma once
// A command the host wrote into a tool's mailbox, taken apart.

#include <string>
#include <string_view>

namespace lumibench {

struct ToolCommand {
    enum class Kind {
        MoveWin,      // place the window at (x, y) pixels relative to the host's main window
        Unsaved,      // the first data set handed over is not saved in a file
        Start,        // everything is in place: show the data
        Close,        // close now; the host already counts the instance as closed
        DataChanged,  // loaded data changed through another tool
        DeleteFile,   // the user closed `path` in the host's list
        LoadedCount,  // answer to REFRESHLOADEDCOUNT: `loadedCount` files are loaded
        Unknown,      // anything else; `text` holds it
    };
    Kind kind = Kind::Unknown;
    std::string text;  // the command exactly as taken
    int x = 0;
    int y = 0;
    std::string path;
    int loadedCount = 0;
};

// Verbs compare without regard to case or surrounding blanks; numbers may
// carry a leading blank ("MoveWin, 260, 0,-1,-1"). A DeleteFile path keeps
// everything after the first comma, commas included.
ToolCommand ParseToolCommand(std::string_view text);

}  // namespace lumibench
