#include "formats/gldf/gldf_reader.h"

#include "formats/gldf/gldf_messages.h"

namespace lumibench {

namespace {

// "ldc/x.ldt: message (line 12)": the line is the member's, so it goes into
// the text rather than pointing into the container.
std::string MemberMessage(const GldfDataSet& set, const LocatedMessage& message) {
    std::string text = set.member + ": " + message.text;
    if (message.line > 0) text += " (line " + std::to_string(message.line) + ")";
    return text;
}

}  // namespace

ReaderMessages GldfFailureMessages(const GldfReading& reading) {
    if (!reading.failure.empty()) return reading.failure;
    ReaderMessages message;
    for (const GldfDataSet& set : reading.dataSets) {
        for (const LocatedMessage& located : set.messages.located()) message.add(MemberMessage(set, located));
    }
    for (const std::string& note : reading.notes) message.add(note);
    return message;
}

std::string GldfNoticeText(const GldfReading& reading) {
    std::string text;
    const auto line = [&text](std::string_view part) {
        text.append(part);
        text.append("\r\n");
    };
    bool headed = false;
    for (const GldfDataSet& set : reading.dataSets) {
        if (set.ok()) continue;
        if (!headed) line(gldf_text::kPartlyLoaded);
        headed = true;
        for (const LocatedMessage& located : set.messages.located()) line(MemberMessage(set, located));
    }
    if (!reading.notes.empty()) {
        if (headed) line("");
        line(gldf_text::kContainerWarnings);
        for (const std::string& note : reading.notes) line(note);
    }
    return text;
}

void LoadGldfFile(std::string& path, ReaderMessages& message, bool noRepair, ReaderContext& context) {
    message.clear();
    context.work.clear();
    const GldfReading reading = ReadGldfFile(path, noRepair);
    for (const GldfDataSet& set : reading.dataSets) {
        if (set.ok()) context.work.push_back(set.record);
    }
    if (context.work.empty()) {
        message = GldfFailureMessages(reading);
        return;
    }
    if (const std::string notice = GldfNoticeText(reading); !notice.empty()) {
        context.messages.show({kApplicationTitle, notice, MessageIcon::Exclamation, MessageButtons::Ok, false});
    }
}

}  // namespace lumibench
