#include "sdk/tool_command.h"

#include "core/number_text.h"
#include "core/path_text.h"
#include "exchange/exchange_texts.h"

namespace lumibench {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

int WholeNumber(std::string_view text) { return ToInt32(LeadingNumber(text)).value_or(0); }

}  // namespace

ToolCommand ParseToolCommand(std::string_view text) {
    ToolCommand command;
    command.text = std::string(text);
    const std::size_t comma = text.find(',');
    const std::string verb = UpperAscii(std::string(Trimmed(text.substr(0, comma))));
    const std::string_view rest = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    const auto is = [&verb](std::string_view name) { return verb == UpperAscii(std::string(name)); };

    using namespace tool_commands;
    if (is(kMoveWin)) {
        command.kind = ToolCommand::Kind::MoveWin;
        const std::size_t second = rest.find(',');
        command.x = WholeNumber(rest.substr(0, second));
        command.y = second == std::string_view::npos ? 0 : WholeNumber(rest.substr(second + 1));
    } else if (is(kUnsaved)) {
        command.kind = ToolCommand::Kind::Unsaved;
    } else if (is(kStart)) {
        command.kind = ToolCommand::Kind::Start;
    } else if (is(kClose)) {
        command.kind = ToolCommand::Kind::Close;
    } else if (is(kDataChanged)) {
        command.kind = ToolCommand::Kind::DataChanged;
    } else if (is(kDeleteFile)) {
        command.kind = ToolCommand::Kind::DeleteFile;
        command.path = std::string(rest);
    } else if (is(kLoadedCount)) {
        command.kind = ToolCommand::Kind::LoadedCount;
        command.loadedCount = WholeNumber(rest);
    }
    return command;
}

}  // namespace lumibench
