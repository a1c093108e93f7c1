#include "toolhost/tool_catalogue.h"

#include "core/number_text.h"
#include <cstdlib>
#include <system_error>

#include "platform/app_folders.h"
#include "platform/file_utils.h"
#include "platform/machine_config.h"

namespace lumibench {
namespace {

// Leading number rounded to 16 bits; a text outside the range reads as 0
// rather than wrapping.
std::int16_t LeadingNumber16(const std::string& text) {
    return LeadingInt16(text).value_or(0);
}

}  // namespace

int ToolCatalogue::indexOf(std::string_view actName) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].ActName == actName) return static_cast<int>(i + 1);
    }
    return 0;
}

std::filesystem::path ToolCatalogueConfigPathFor(const std::filesystem::path& programFolder) {
    const char* env = std::getenv("LUMIBENCH_MACHINE_CONFIG");
    if (env && *env) return env;
    std::error_code ignored;
    const std::filesystem::path bundled = programFolder / kBundledMachineConfigName;
    if (std::filesystem::is_regular_file(bundled, ignored)) return bundled;
    // Under /usr the prefix's own etc/ is not used (it is /etc); elsewhere
    // the package's config sits in the prefix and moves with it.
    const std::filesystem::path prefixed =
        (programFolder / ".." / "etc" / "xdg" / "lumibench" / kBundledMachineConfigName)
            .lexically_normal();
    if (std::filesystem::is_regular_file(prefixed, ignored)) return prefixed;
    return DefaultMachineConfigPath();
}

std::filesystem::path ToolCatalogueConfigPath() { return ToolCatalogueConfigPathFor(ProgramFolder()); }

std::string ReadRegistryString(const MachineConfig& config, std::string_view keyPath,
                               std::string_view valueName, std::string_view defaultValue) {
    std::optional<std::string> value = config.value(keyPath, valueName, kRegistryValueBufferSize);
    return value ? *value : std::string(defaultValue);
}

std::int16_t LoadToolCatalogue(const MachineConfig& config, ToolCatalogue& catalogue,
                               const FileExistsTest& fileExists) {
    const FileExistsTest exists =
        fileExists ? fileExists : [](const std::string& path) { return FileExists(path); };
    catalogue.clear();
    for (int k = 1; k <= kMaxCatalogueNumber; ++k) {
        const std::string n = std::to_string(k);
        auto read = [&](const char* name) {
            return ReadRegistryString(config, kToolsKeyPath, std::string(name) + n, "");
        };
        ToolEntry entry;
        entry.ActName = read("ToolActName");
        entry.Path = read("ToolPath");
        entry.DisplayName = read("ToolDisplayName");
        entry.ToolTip = read("ToolTip");
        const std::string toolType = read("ToolType");
        const std::string maxFiles = read("ToolMaxFiles");
        const std::string icon = read("ToolIconFile");
        if (entry.ActName.empty() || entry.Path.empty()) continue;
        if (!exists(entry.programPath())) continue;
        entry.ToolType = LeadingNumber16(toolType);
        entry.MaxFiles = LeadingNumber16(maxFiles);
        const std::string iconPath = entry.Path + "/" + icon;
        if (!icon.empty() && exists(iconPath)) entry.IconPath = iconPath;
        catalogue.append(std::move(entry));
    }
    return catalogue.count();
}

}  // namespace lumibench
