#pragma once
// Writing an exported file whole or not at all.

#include <QIODevice>
#include <QString>

#include <functional>
#include <string>

namespace lumibench::diagrams {

// Runs `write` on a buffer, then puts the bytes at `path` whole or not at
// all: a new file beside it renamed into place, never through a link planted
// at the name; on any failure `path` keeps what it held and nothing is left
// behind. `write` returns false when it could not make its content. On
// failure `why` gets the system's reason ("No space left on device",
// "Permission denied") or "the content could not be made".
bool SaveWhole(const QString& path, const std::function<bool(QIODevice&)>& write, QString* why = nullptr);
// The same with `path` as the file system's bytes, so a name that is not
// UTF-8 is written as given, not with replacement characters.
bool SaveWhole(const std::string& path, const std::function<bool(QIODevice&)>& write, QString* why = nullptr);

}  // namespace lumibench::diagrams
