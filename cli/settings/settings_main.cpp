// lumibench-settings: reads and writes the per-user settings store from the
// command line, for tool authors, scripts and support staff. It goes through
// the same store code as the host, so names compare without case and values
// are kept byte for byte.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sqlite_settings_store.h"

namespace {

using lumibench::SettingsEntry;
using lumibench::SqliteSettingsStore;

constexpr int kExitOk = 0;
constexpr int kExitNotSet = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStore = 3;

constexpr const char* kUsage =
    "usage: lumibench-settings [--file STORE] COMMAND\n"
    "       lumibench-settings --help | --version\n"
    "  get APP SECTION KEY [DEFAULT]  print the value exactly, without a line end\n"
    "                                 (exit 1 when not set and no DEFAULT is given)\n"
    "  set APP SECTION KEY [VALUE]    store VALUE, or all of standard input when\n"
    "                                 VALUE is left out (CR LF is kept)\n"
    "  list APP [SECTION]             the values of one application or section\n"
    "  dump                           every value in the store\n"
    "  path                           the store file used\n"
    "STORE defaults to $LUMIBENCH_SETTINGS, else\n"
    "$XDG_CONFIG_HOME/lumibench/settings.sqlite3. In list and dump, backslash,\n"
    "CR, LF, tab and other control bytes of a value are shown as \\\\, \\r, \\n,\n"
    "\\t and \\xHH.\n";

void Write(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

// One line per value whatever the value holds.
std::string Visible(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (const unsigned char c : text) {
        switch (c) {
            case '\\':
                shown += "\\\\";
                break;
            case '\r':
                shown += "\\r";
                break;
            case '\n':
                shown += "\\n";
                break;
            case '\t':
                shown += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    shown += "\\x";
                    shown += kHex[c >> 4];
                    shown += kHex[c & 0xF];
                } else {
                    shown += static_cast<char>(c);
                }
        }
    }
    return shown;
}

// Names that differ only in case are one name in the store.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// "[Section]" headers, then "Key=value" lines; a blank line between sections.
void PrintSections(const std::vector<SettingsEntry>& entries, std::size_t from, std::size_t to) {
    const std::string* section = nullptr;
    for (std::size_t i = from; i < to; ++i) {
        const SettingsEntry& entry = entries[i];
        if (section == nullptr || !SameName(*section, entry.section)) {
            if (section != nullptr) {
                Write(stdout, "\n");
            }
            Write(stdout, "[" + Visible(entry.section) + "]\n");
            section = &entry.section;
        }
        Write(stdout, Visible(entry.key) + "=" + Visible(entry.value) + "\n");
    }
}

std::string ReadAll(std::FILE* stream) {
    std::string text;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
        text.append(buffer, count);
    }
    return text;
}

int Usage(const char* complaint) {
    if (complaint != nullptr) {
        std::fprintf(stderr, "lumibench-settings: %s\n", complaint);
    }
    Write(stderr, kUsage);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> file;
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        Write(stdout, kUsage);
        return kExitOk;
    }
    if (!args.empty() && args[0] == "--version") {
        Write(stdout, "lumibench-settings " LUMIBENCH_VERSION "\n");
        return kExitOk;
    }
    if (!args.empty() && (args[0] == "--file" || args[0] == "-f")) {
        if (args.size() < 2) {
            return Usage("--file needs a path");
        }
        file = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        return Usage("no command given");
    }
    const std::string command = args[0];
    const std::size_t operands = args.size() - 1;
    const bool fits = (command == "get" && (operands == 3 || operands == 4)) ||
                      (command == "set" && (operands == 3 || operands == 4)) ||
                      (command == "list" && (operands == 1 || operands == 2)) ||
                      ((command == "dump" || command == "path") && operands == 0);
    if (!fits) {
        return Usage(("wrong arguments for \"" + command + "\"").c_str());
    }

    const auto storeFile = file ? std::filesystem::path(*file) : lumibench::DefaultSettingsPath();
    if (command == "path") {
        Write(stdout, storeFile.string() + "\n");
        return kExitOk;
    }
    // Read standard input before opening, so a slow writer into the pipe
    // holds no lock on the store meanwhile.
    std::optional<std::string> value;
    if (command == "set") {
        value = operands == 4 ? args[4] : ReadAll(stdin);
    }
    std::string error;
    auto store = SqliteSettingsStore::Open(storeFile, &error);
    if (store == nullptr) {
        std::fprintf(stderr, "lumibench-settings: cannot open %s: %s\n", storeFile.c_str(),
                     error.c_str());
        return kExitStore;
    }

    if (command == "get") {
        const auto found = store->find(args[1], args[2], args[3]);
        if (!found && operands == 3) {
            return kExitNotSet;
        }
        Write(stdout, found ? *found : args[4]);
        return kExitOk;
    }
    if (command == "set") {
        if (!store->write(args[1], args[2], args[3], *value)) {
            std::fprintf(stderr, "lumibench-settings: cannot write: %s\n",
                         store->lastError().c_str());
            return kExitStore;
        }
        return kExitOk;
    }
    if (command == "list") {
        const auto entries = operands == 2 ? store->list(args[1], args[2]) : store->list(args[1]);
        PrintSections(entries, 0, entries.size());
        return kExitOk;
    }
    // dump: one block per application.
    const auto entries = store->dump();
    std::size_t begin = 0;
    while (begin < entries.size()) {
        std::size_t end = begin;
        while (end < entries.size() && SameName(entries[end].app, entries[begin].app)) {
            ++end;
        }
        Write(stdout, (begin == 0 ? "" : "\n") + std::string("== ") + Visible(entries[begin].app) +
                          " ==\n");
        PrintSections(entries, begin, end);
        begin = end;
    }
    return kExitOk;
}
