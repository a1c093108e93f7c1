#pragma once
// Path pieces as the file list and the record merge see them.

#include <string>

namespace lumibench {

struct PathParts {
    std::string folder;     // up to and including the last '/', or empty
    std::string baseName;   // between the folder and the extension's dot
    std::string extension;  // from the last dot after the folder, dot included, or empty
};

// A backslash is an ordinary file-name character here; only '/' separates folders.
PathParts SplitPath(const std::string& path);

// File name plus extension, without the folder.
std::string FileNameOf(const std::string& path);

// ASCII upper case, for comparing names and extensions only (never for opening).
std::string UpperAscii(std::string text);

}  // namespace lumibench
