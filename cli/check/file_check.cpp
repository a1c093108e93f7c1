#include "file_check.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>

#include "core/message_sink.h"
#include "core/path_text.h"
#include "readers/load_dispatch.h"
#include "readers/reader_context.h"

namespace lumibench {

namespace fs = std::filesystem;

namespace {

// Collects what a reader would show in a message box; a checker prints it.
class AnnouncementSink : public MessageSink {
public:
    explicit AnnouncementSink(std::vector<std::string>& texts) : texts_(texts) {}
    MessageAnswer show(const MessageRequest& request) override {
        texts_.push_back(request.text);
        return FirstButton(request.buttons);
    }

private:
    std::vector<std::string>& texts_;
};

std::string ReadError(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec) return "cannot read '" + path + "': " + ec.message();
    if (fs::is_directory(status)) return {};
    std::ifstream probe(path, std::ios::binary);
    if (!probe) return "cannot read '" + path + "': " + std::strerror(errno);
    return {};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

}  // namespace

FileCheckResult CheckFile(const std::string& file, bool repair, const std::string& userDataFolder) {
    FileCheckResult result;
    result.file = file;
    result.path = file;
    const std::optional<ReaderChoice> choice = ReaderForExtension(SplitPath(file).extension);
    if (!choice) {
        result.skipped = true;
        return result;
    }
    WorkRecordTable work;
    AnnouncementSink sink(result.announcements);
    ReaderContext context{work, sink, userDataFolder};
    try {
        choice->reader(result.path, result.messages, !repair, context);
    } catch (const std::exception& error) {
        // Readers report their own failures; anything escaping one is still
        // this file's fault as far as the user can tell, never a crash.
        result.messages.add(std::string("Unexpected failure while reading: ") + error.what());
    }
    if (!work.empty()) result.record = std::move(work.front());
    return result;
}

ExpandedFiles ExpandCheckArguments(const std::vector<std::string>& args) {
    ExpandedFiles out;
    for (const std::string& arg : args) {
        if (std::string error = ReadError(arg); !error.empty()) {
            out.errors.push_back(std::move(error));
            continue;
        }
        std::error_code ec;
        if (!fs::is_directory(arg, ec)) {
            out.files.push_back(arg);
            continue;
        }
        std::vector<std::string> names;
        fs::directory_iterator it(arg, ec), end;
        if (ec) {
            out.errors.push_back("cannot read '" + arg + "': " + ec.message());
            continue;
        }
        for (; it != end; it.increment(ec)) {
            std::error_code typeError;
            std::string name = it->path().filename().string();
            // Hidden files (.gitattributes and the like) are not photometric data.
            if (name.front() != '.' && it->is_regular_file(typeError)) names.push_back(std::move(name));
        }
        if (ec) {
            out.errors.push_back("cannot read '" + arg + "': " + ec.message());
            continue;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            std::string path = JoinPath(arg, name);
            if (std::string error = ReadError(path); !error.empty()) {
                out.errors.push_back(std::move(error));
            } else {
                out.files.push_back(std::move(path));
            }
        }
    }
    return out;
}

int CheckEachFile(const std::vector<std::string>& args, bool repair, const std::string& userDataFolder,
                  const std::string& program, std::ostream& errors,
                  const std::function<void(const FileCheckResult&)>& visit) {
    const ExpandedFiles expanded = ExpandCheckArguments(args);
    for (const std::string& error : expanded.errors) errors << program << ": " << error << "\n";
    bool anyFailed = false;
    for (const std::string& file : expanded.files) {
        const FileCheckResult result = CheckFile(file, repair, userDataFolder);
        anyFailed = anyFailed || (!result.skipped && !result.ok());
        visit(result);
    }
    if (!expanded.errors.empty()) return kUsageOrUnreadable;
    return anyFailed ? kSomeFailed : kAllLoaded;
}

}  // namespace lumibench
