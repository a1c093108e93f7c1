#include "formats/checked_load.h"

#include <exception>

#include "core/message_sink.h"
#include "core/path_text.h"
#include "formats/gldf/gldf_reader.h"
#include "formats/load_dispatch.h"
#include "formats/reader_context.h"

namespace lumibench {

namespace {

// Collects what a reader would show in a message box; the caller prints it.
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

bool IsContainerFile(const std::string& file) { return UpperAscii(SplitPath(file).extension) == ".GLDF"; }

std::vector<FileCheckResult> CheckDataSets(const std::string& file, bool repair, const std::string& userDataFolder) {
    if (!IsContainerFile(file)) return {CheckFile(file, repair, userDataFolder)};
    const GldfReading reading = ReadGldfFile(file, !repair);
    std::vector<FileCheckResult> results;
    if (!reading.failure.empty()) {
        FileCheckResult result;
        result.file = result.path = result.container = file;
        result.messages = GldfFailureMessages(reading);
        results.push_back(std::move(result));
        return results;
    }
    for (const GldfDataSet& set : reading.dataSets) {
        FileCheckResult result;
        result.file = set.record.Filename;
        result.path = result.container = file;
        result.member = set.member;
        result.messages = set.messages;
        result.record = set.record;
        results.push_back(std::move(result));
    }
    std::string notes;
    for (const std::string& note : reading.notes) notes += note + "\r\n";
    if (!notes.empty()) results.front().announcements.push_back(notes);
    return results;
}

std::vector<std::string> ReaderExtensions() {
    std::vector<std::string> out;
    for (std::string_view extension : DispatchExtensions()) out.emplace_back(extension);
    return out;
}

}  // namespace lumibench
