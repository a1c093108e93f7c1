#pragma once
// Whether the host takes a tool's word that a data set now lives in a file.
// A rename marks the data set saved, so its unsaved edits stop being
// protected at close: only a name that plainly is a file the tool wrote may
// do that.

#include <optional>
#include <string>

namespace lumibench {

// Nothing when `path` is an absolute, normalised path (no ".", "..", or
// doubled "/") of an existing regular file, not a link; otherwise why not.
std::optional<std::string> RenameTargetRefusal(const std::string& path);

}  // namespace lumibench
