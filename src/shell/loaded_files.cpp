#include "shell/loaded_files.h"

#include <exception>

#include "core/notice_batch.h"
#include "core/path_text.h"
#include "core/record_tables.h"
#include "formats/load_dispatch.h"
#include "shell/record_summary.h"

namespace lumibench {

bool CloseAllTools(HostSession& session) {
    if (session.tools.closeAllTools) {
        session.tools.closeAllTools();
    }
    return true;
}

std::optional<std::size_t> LoadPhotometricFile(HostSession& session, std::string path,
                                               std::optional<std::string_view> tail) {
    const auto choice = ReaderForExtension(UpperAscii(SplitPath(path).extension));
    if (!choice || choice->reader == nullptr) {
        return std::nullopt;
    }
    // The reader fills a scratch table of this load's own: a drop can arrive
    // inside the event-processing wait of a tool start that still sends from
    // the session's work table.
    WorkRecordTable work;
    ReaderMessages message;
    ReaderContext context{work, session.messages, session.userDataFolder};
    try {
        choice->reader(path, message, false, context);
    } catch (const std::exception& error) {
        // A reader that throws has failed like one that reports: say so, keep the list.
        message.add(error.what());
    }
    if (!message.empty()) {
        session.messages.show({kApplicationTitle,
                               "Problem loading selected photometric file (" + path + "): " +
                                   message.text() + std::string(tail.value_or(choice->failureTail)),
                               MessageIcon::Exclamation, MessageButtons::Ok, false});
        return std::nullopt;
    }
    if (work.empty()) {
        return std::nullopt;
    }
    AddData(work, session.loaded, session.messages);
    // The receiving records are those now listed under the work records'
    // names (a container gives several); at the limit some have none.
    std::optional<std::size_t> received;
    for (const PhotometricRecord& loaded : work) {
        const std::string key = UpperAscii(FileNameOf(loaded.Filename));
        for (std::size_t j = 0; j < session.loaded.size(); ++j) {
            if (UpperAscii(FileNameOf(session.loaded[j].Filename)) == key) {
                session.loaded[j].Saved = kTrue;
                session.loaded[j].Checked = kTrue;
                if (!received) received = j;
                break;
            }
        }
    }
    if (!received) NoticeBatch::LeftOut(session.messages, FileNameOf(path));
    return received;
}

DropResult LoadDroppedFiles(HostSession& session, const std::vector<std::string>& paths) {
    DropResult result;
    for (const std::string& path : paths) {
        if (!ReaderForExtension(UpperAscii(SplitPath(path).extension))) {
            continue;
        }
        if (session.loaded.size() == kDropStopCount) {
            break;
        }
        if (const auto line = LoadPhotometricFile(session, path)) {
            ++result.loaded;
            result.lastLine = line;
        }
    }
    return result;
}

std::string EmptyListPlaceholder(bool openToolInstalled) {
    return openToolInstalled ? "Drop photometric files here, or use File > Open"
                             : "Drop photometric files here";
}

std::string ListLineToolTip(const PhotometricRecord& record, char decimalPoint) {
    std::string text = record.Filename + "\n\n" + RecordSummaryText(record, decimalPoint);
    std::erase(text, '\r');
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

CloseResult CloseCheckedFiles(HostSession& session) {
    CloseResult result;
    std::size_t firstChecked = session.loaded.size();
    for (std::size_t i = 0; i < session.loaded.size(); ++i) {
        if (session.loaded[i].Checked != kFalse) {
            firstChecked = i;
            break;
        }
    }
    if (firstChecked == session.loaded.size()) {
        session.messages.show({kCloseFilesTitle, kCloseNothingCheckedText,
                               MessageIcon::Exclamation, MessageButtons::Ok, true});
        return result;
    }
    if (session.messages.show({kCloseFilesTitle, kCloseConfirmText, MessageIcon::Exclamation,
                               MessageButtons::YesNo, true}) != MessageAnswer::Yes) {
        return result;
    }
    RecordTable kept;
    RecordTable closed;
    for (std::size_t i = 0; i < session.loaded.size(); ++i) {
        RecordTable& to = session.loaded[i].Checked != kFalse ? closed : kept;
        CopyPhotometricRecord(session.loaded, i, to, to.size(), false);
    }
    session.loaded.clear();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        CopyPhotometricRecord(kept, i, session.loaded, i, false);
    }
    result.closed = true;
    for (const PhotometricRecord& record : closed) {
        result.closedFiles.push_back(record.Filename);
    }
    // With the first line closed every tool goes; otherwise each tool hears
    // which files went and decides itself.
    if (firstChecked == 0) {
        result.closedAllTools = CloseAllTools(session);
    } else if (session.tools.broadcastDeleteFile) {
        for (const std::string& filename : result.closedFiles) {
            session.tools.broadcastDeleteFile(filename);
        }
    }
    return result;
}

bool AnyUnsavedRecord(const LoadedFileTable& loaded) {
    for (const PhotometricRecord& record : loaded) {
        if (record.Saved == kFalse) {
            return true;
        }
    }
    return false;
}

std::vector<ListLine> ListLines(const LoadedFileTable& loaded) {
    std::vector<ListLine> lines;
    lines.reserve(loaded.size());
    for (const PhotometricRecord& record : loaded) {
        lines.push_back({FileNameOf(record.Filename), record.Saved == kFalse,
                         record.Checked != kFalse});
    }
    return lines;
}

}  // namespace lumibench
