#pragma once
// The user's base folders as the XDG base-directory rules name them.

#include <filesystem>

namespace lumibench {

// The home folder: $HOME, else the password database's entry.
std::filesystem::path UserHome();
// $XDG_CONFIG_HOME when set and absolute, else ~/.config.
std::filesystem::path UserConfigHome();
// $XDG_DATA_HOME when set and absolute, else ~/.local/share.
std::filesystem::path UserDataHome();

}  // namespace lumibench
