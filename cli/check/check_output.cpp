#include "check_output.h"

#include <charconv>

#include "core/terminal_text.h"
#include "record_json.h"

namespace lumibench {

namespace {

template <typename T>
std::string Shortest(T value) {
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

// Readers that work in single precision store doubles that are exact floats;
// those read better as the float they came from (902.1, not 902.0999755859375).
std::string Candela(double value) {
    const float narrow = static_cast<float>(value);
    if (static_cast<double>(narrow) == value) return Shortest(narrow);
    return Shortest(value);
}

std::string TypeName(std::int16_t type) {
    switch (type) {
        case 1: return "type C";
        case 2: return "type B";
        case 3: return "type A";
        default: return "type " + std::to_string(type);
    }
}

std::string Plural(long count, const char* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}


}  // namespace

std::string RecordSummaryLine(const PhotometricRecord& r) {
    std::string lumens = r.LumensPerLamp == -1.0f ? std::string("absolute photometry")
                                                  : Shortest(r.LumensPerLamp) + " lm per lamp";
    return TypeName(r.PhotometricType) + ", " + Plural(r.LampCount, "lamp") + ", " + lumens +
           ", multiplier " + Shortest(r.CandelaMultiplier) + ", " +
           std::to_string(r.VertAngleCount) + " vertical x " + std::to_string(r.HorAngleCount) +
           " horizontal angles, maximum " + Candela(r.MaxCandela) + " cd at vertical " +
           Shortest(r.MaxCandelaVertAngle) + ", horizontal " + Shortest(r.MaxCandelaHorAngle);
}

std::string FormatPlainResult(const FileCheckResult& result) {
    std::string out = result.file + "\n";
    for (const std::string& notice : result.announcements) out += TerminalEntry(notice) + "\n";
    if (result.skipped) return out + "skipped: no reader for this extension\n";
    if (result.ok()) return out + "OK: " + RecordSummaryLine(result.record) + "\n";
    for (const LocatedMessage& message : result.messages.located()) {
        // A container's data set: its lines are those of the member named.
        out += result.member.empty() ? result.path : result.member;
        if (message.line > 0) out += ":" + std::to_string(message.line);
        out += ": " + TerminalEntry(message.text) + "\n";
    }
    return out;
}

nlohmann::ordered_json ResultToJson(const FileCheckResult& result) {
    nlohmann::ordered_json messages = nlohmann::ordered_json::array();
    for (const LocatedMessage& message : result.messages.located()) {
        messages.push_back({{"text", JsonSafeText(message.text)}, {"line", message.line}});
    }
    nlohmann::ordered_json out;
    PutFileName(out, "file", result.file);
    PutFileName(out, "path", result.path);
    if (!result.container.empty()) {
        out["container"] = JsonSafeText(result.container);
        out["member"] = JsonSafeText(result.member);
    }
    out["ok"] = result.ok();
    out["skipped"] = result.skipped;
    out["message"] = JsonSafeText(result.messages.text());
    out["messages"] = std::move(messages);
    // A failed read still shows how far the reader got: the record as it was left.
    out["record"] = result.skipped ? nlohmann::ordered_json(nullptr) : RecordToJson(result.record);
    return out;
}

nlohmann::ordered_json InputErrorToJson(const std::string& file, const std::string& error) {
    nlohmann::ordered_json out;
    PutFileName(out, "file", file);
    out["ok"] = false;
    out["error"] = JsonSafeText(error);
    return out;
}

std::string FormatPlainFix(const std::string& file, const FixRun& run) {
    if (!run.possible) return "fix-up not possible: " + run.reason + "\n";
    std::string out;
    for (const FixupEdit& change : run.changes) {
        out += file + ":" + std::to_string(change.line) + ": fixed: " + change.description + "\n";
    }
    out += "fixed copy written: " + run.copy + "\n";
    if (run.copyResult) out += FormatPlainResult(*run.copyResult);
    return out;
}

nlohmann::ordered_json FixToJson(const FixRun& run) {
    nlohmann::ordered_json changes = nlohmann::ordered_json::array();
    for (const FixupEdit& change : run.changes) {
        changes.push_back({{"line", change.line}, {"description", JsonSafeText(change.description)}});
    }
    nlohmann::ordered_json out;
    out["possible"] = run.possible;
    out["reason"] = JsonSafeText(run.reason);
    PutFileName(out, "copy", run.copy);
    out["changes"] = std::move(changes);
    out["result"] = run.copyResult ? ResultToJson(*run.copyResult) : nlohmann::ordered_json(nullptr);
    return out;
}

void JsonArrayWriter::add(const nlohmann::ordered_json& element) {
    // dump(2) of the whole array indents each element by two more blanks.
    const std::string text = element.dump(2);
    out_ << (first_ ? "[\n  " : ",\n  ");
    for (const char c : text) {
        out_ << c;
        if (c == '\n') out_ << "  ";
    }
    out_.flush();
    first_ = false;
}

void JsonArrayWriter::finish() {
    out_ << (first_ ? "[]\n" : "\n]\n");
    out_.flush();
}

}  // namespace lumibench
