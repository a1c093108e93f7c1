#pragma once
// Loading files into the loaded files list, closing checked files, and the
// click rules of the list, all without widgets.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/host_session.h"

namespace lumibench {

inline constexpr const char* kCommandLineFailureTail =
    "Try opening this file from within Lumibench for detailed information about the problem "
    "and possible repair options.";

inline constexpr const char* kCloseFilesTitle = "Close Photometric File(s)";
inline constexpr const char* kCloseNothingCheckedText =
    "Please select (check) photometric file(s) to close.";
inline constexpr const char* kCloseConfirmText =
    "ALL Tools using the selected (checked) data will be closed. Do you really want to close "
    "the selected (checked) files?";

// A drop stops before the file that would make the 25th record: that one is
// only reachable from the command line or a tool.
inline constexpr std::size_t kDropStopCount = 24;

// Loads one file by its extension. `tail` replaces the reader's own failure
// tail when given (the command line passes kCommandLineFailureTail). Returns
// the 0-based record that received the file (a container's first data set), or
// nullopt when nothing changed
// (unknown extension, reader failure shown to the user, or the 25 limit).
std::optional<std::size_t> LoadPhotometricFile(HostSession& session, std::string path,
                                               std::optional<std::string_view> tail = {});

struct DropResult {
    std::size_t loaded = 0;                 // loads that changed the table
    std::optional<std::size_t> lastLine;    // the record loaded or replaced last
};
// Loads dropped files in order, stopping silently when 24 records are loaded
// before a file that has a reader.
DropResult LoadDroppedFiles(HostSession& session, const std::vector<std::string>& paths);

// What the empty list says; the Open tool's menu path once that tool is installed.
inline constexpr const char* kOpenToolName = "Tool_Open";
std::string EmptyListPlaceholder(bool openToolInstalled);

// A line's tooltip: the full path, then the summary, so that lines whose
// names are cut off can still be told apart.
std::string ListLineToolTip(const PhotometricRecord& record, char decimalPoint = '.');

struct CloseResult {
    bool closed = false;                    // false: refused or answered No
    bool closedAllTools = false;            // the first line was among the closed
    std::vector<std::string> closedFiles;   // Filename of each closed record, in order
};

// Closes the checked records (Checked is kept in step with the list) after the
// user's confirmation, and tells the tools. The caller rebuilds the list.
CloseResult CloseCheckedFiles(HostSession& session);

bool AnyUnsavedRecord(const LoadedFileTable& loaded);

// A list line as the list shows it.
struct ListLine {
    std::string text;   // file name plus extension
    bool unsavedMark = false;
    bool checked = false;
    bool operator==(const ListLine&) const = default;
};
std::vector<ListLine> ListLines(const LoadedFileTable& loaded);

// Which line a released left button toggles. A left press on a line's text
// remembers it and the release over that same line toggles it; a click on its
// box toggles through the control and forgets it, so the release does not
// toggle the box a second time. Other buttons and presses on empty space
// forget, so a right-click never arms a later left-click elsewhere.
class ListClickRules {
public:
    // `line` is empty for a press where there is no line.
    void pressed(std::optional<std::size_t> line, bool leftButton) {
        remembered_ = leftButton ? line : std::nullopt;
    }
    void checkBoxClicked() { remembered_.reset(); }
    void listRebuilt() { remembered_.reset(); }
    // The left button went up over `line` (empty: over no line). Returns the
    // line to toggle; the remembered line is forgotten either way.
    std::optional<std::size_t> leftButtonReleased(std::optional<std::size_t> line) {
        const auto remembered = remembered_;
        remembered_.reset();
        return remembered && remembered == line ? remembered : std::nullopt;
    }

private:
    std::optional<std::size_t> remembered_;
};

}  // namespace lumibench
