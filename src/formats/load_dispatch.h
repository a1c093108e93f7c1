#pragma once
// Which reader reads a file, chosen by the file's extension (a ".xml" then by its root element).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace lumibench {

using ReaderFunction = void (*)(std::string& path, ReaderMessages& message, bool noRepair,
                                ReaderContext& context);

struct ReaderChoice {
    ReaderFunction reader = nullptr;
    // Appended to the failure message when a dropped file fails to load.
    std::string_view failureTail;
};

// `extension` with its dot, any case (".ies", ".LDT"); nullopt for files no reader takes.
std::optional<ReaderChoice> ReaderForExtension(std::string_view extension);

// Every extension a reader takes, upper case with its dot.
std::vector<std::string_view> DispatchExtensions();

}  // namespace lumibench
