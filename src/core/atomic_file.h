#pragma once
// Writing a file the program creates, safely, in folders other users may share.
//
// The bytes go into a new file without a name in the target's folder
// (O_TMPFILE), are flushed to disk, and the complete file is then linked to a
// temporary name and renamed over the target's name. Where the file system
// cannot make unnamed files, the new file is made exclusively under a random
// name (O_CREAT|O_EXCL|O_NOFOLLOW), and such names left by a killed writer
// are removed by the next write into the folder after a minute. Temporary
// names stay within NAME_MAX whatever the target's length. SIGXFSZ is
// ignored, so a file-size limit fails the write with "File too large". So:
// - a symbolic link planted at the target's name is replaced, never followed;
// - readers of the target see the old file or the new one, never half of one;
// - when any step fails the new file is removed and an earlier file at the
//   target's name stays as it was;
// - the new file gets `mode` (the umask still narrows it); pass the source
//   file's bits (PermissionBitsOf) for a copy of a user's file.
//
// Use it for every file written at a predictable name: repaired copies,
// converted files, reports, plain copies of lists, saved pictures.

#include <string>
#include <string_view>
#include <system_error>

namespace lumibench {

// Mode for files that hold nothing private; the umask narrows it as usual.
inline constexpr unsigned kDefaultFileMode = 0644;

// Returns false with `error` set when the file could not be written whole.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::error_code& error,
                         unsigned mode = kDefaultFileMode);

// As WriteFileAtomically, but for a new name only: fails with EEXIST when
// `path` exists (a dangling link included), also when it appears meanwhile.
bool WriteNewFileAtomically(const std::string& path, std::string_view bytes, std::error_code& error,
                            unsigned mode = kDefaultFileMode);

// The permission bits (rwx for user, group, others) of an existing file, or
// `fallback` when it cannot be examined.
unsigned PermissionBitsOf(const std::string& path, unsigned fallback = kDefaultFileMode);

// A new, empty file with a random name in the folder of `besidePath`, created
// exclusively and without following links, for writers that need a file
// descriptor or a library that opens the file by name (a database). Returns
// its path, or an empty text with `error` set. The caller renames or removes it.
std::string CreateFileBeside(const std::string& besidePath, unsigned mode, std::error_code& error);

// rename(2) of `from` over `to`; replaces a link at `to` instead of following it.
bool ReplaceFile(const std::string& from, const std::string& to, std::error_code& error);

}  // namespace lumibench
