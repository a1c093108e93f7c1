#include "toolhost/command_channel.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <thread>

#include "core/notice_batch.h"
#include "core/number_text.h"
#include "core/path_text.h"
#include "core/record_tables.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "exchange/split_lines_and_fields.h"
#include "toolhost/rename_target.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/tool_catalogue.h"
#include "toolhost/window_lookup.h"

namespace lumibench {
namespace {

using Clock = std::chrono::steady_clock;

std::string TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

inline constexpr std::string_view kHintsSection = "Hints";

bool SameFilename(const std::string& a, const std::string& b) { return UpperAscii(a) == UpperAscii(b); }

// Extensions of the formats whose data the European hint is about.
bool IsEuropeanExtension(const std::string& filename) {
    const std::string extension = UpperAscii(SplitPath(filename).extension);
    return extension == ".LDT" || extension == ".TML" || extension == ".CIB" || extension == ".EXL";
}

// Settings flags are the words "True" and "False"; anything unreadable keeps the default.
bool SettingIsTrue(const std::string& value, bool defaultValue) {
    const std::string word = UpperAscii(TrimBlanks(value));
    if (word == "TRUE" || word == "-1" || word == "1") return true;
    if (word == "FALSE" || word == "0") return false;
    return defaultValue;
}

struct VerbRule {
    std::string_view verb;
    std::size_t minFields;
};

// Every verb a tool may send, with the fields it needs at least.
constexpr VerbRule kVerbRules[] = {
    {"SENDNEWDATA", 3},          {"SENDNEWDATA*", 3},          {"SENDNEWDATACLOSE", 3},
    {"SENDNEWDATACLOSE*", 3},    {"SENDUPDATEDDATA", 3},       {"SENDUPDATEDDATA*", 3},
    {"SENDUPDATEDDATACLOSE", 3}, {"SENDUPDATEDDATACLOSE*", 3}, {"SENDSAVEDDATA", 3},
    {"SENDSAVEDDATACLOSE", 3},   {"SENDRENAMEDDATA", 4},       {"SENDRENAMEDDATACLOSE", 4},
    {"REFRESHDATA", 1},          {"RETURNCLOSE", 3},           {"CLOSEREMOVE", 3},
    {"REFRESHLOADEDCOUNT", 3},
};

// A command taken apart: line 1's fields (as many as the last line has) and
// the matching rule; no rule when the command is to be ignored. Linear in
// the text, whatever its lines and commas.
struct ParsedCommand {
    std::string verb;
    // Fields 1 to 4, and when there are more, a fifth entry: field 4 and
    // everything after it with their commas.
    std::vector<std::string> fields;
    const VerbRule* rule = nullptr;
};

ParsedCommand ParseCommand(std::string_view text) {
    ParsedCommand parsed;
    const std::vector<std::string_view> views = FirstLineFieldViews(text);
    if (views.empty()) return parsed;
    parsed.verb = UpperAscii(TrimBlanks(views.front()));
    for (const VerbRule& candidate : kVerbRules) {
        if (candidate.verb == parsed.verb) parsed.rule = &candidate;
    }
    if (parsed.rule == nullptr || views.size() < parsed.rule->minFields) {
        parsed.rule = nullptr;
        return parsed;
    }
    // Only the fields a verb uses are kept; the rest may be arbitrarily many.
    const std::size_t kept = std::min<std::size_t>(views.size(), 4);
    parsed.fields.assign(views.begin(), views.begin() + static_cast<std::ptrdiff_t>(kept));
    parsed.fields.resize(4);
    if (views.size() > 4) {
        // The fields are pieces of line 1, in order: the span runs from the fourth to the end of the last.
        const char* const begin = views[3].data();
        parsed.fields.emplace_back(begin, static_cast<std::size_t>(views.back().data() + views.back().size() - begin));
    }
    return parsed;
}

}  // namespace

// The slots a SEND verb's data step uses, read in the same transaction that
// took the command: what the tool wrote before it sent, and nothing later.
struct CommandChannel::SlotRead {
    std::int16_t status = kExchangeEmpty;
    std::string errorText;
    WorkRecordTable records;
};

CommandChannel::CommandChannel(ChannelServices services, QObject* parent)
    : QObject(parent), s_(std::move(services)), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("tmrDataExchange"));
    timer_->setInterval(kPollInterval);
    connect(timer_, &QTimer::timeout, this, &CommandChannel::pollHostKey);
}

CommandChannel::~CommandChannel() = default;

void CommandChannel::start() { timer_->start(); }

void CommandChannel::stop() { timer_->stop(); }

void CommandChannel::pollHostKey() {
    lastPoll_ = Clock::now();
    if (s_.section.empty()) return;
    // A tool's command, or a stray value, must never end the host: whatever
    // escapes the handling is reported and the host goes on.
    try {
        takeAndHandle();
    } catch (const std::exception& failure) {
        reportFailure(failure.what());
    } catch (...) {
        reportFailure("unknown exception");
    }
}

void CommandChannel::reportFailure(const std::string& what) {
    // Whatever it was, it is not handled again on the next tick.
    try {
        s_.store.take(kExchangeApp, s_.section, kHostKey);
    } catch (...) {
    }
    std::fprintf(stderr, "lumibench: %s%s.\n", kChannelFailureText, what.c_str());
    if (failureShown_) return;
    failureShown_ = true;
    s_.messages.show({kChannelFailureTitle, std::string(kChannelFailureText) + what + ".",
                      MessageIcon::Exclamation, MessageButtons::Ok, true});
}

// The mailbox is emptied only once the command's slot work is done, so a
// tool that waits for the empty mailbox always finds what it asked for: a
// SEND verb's slots are read in the transaction that empties it, and
// REFRESHDATA's slots are written in the one that empties it.
void CommandChannel::takeAndHandle() {
    // A look without a lock first: most ticks find nothing.
    std::string command = s_.store.read(kExchangeApp, s_.section, kHostKey);
    if (command.empty()) return;
    const ParsedCommand parsed = ParseCommand(command);
    const bool send = parsed.rule != nullptr && parsed.verb.starts_with("SEND");

    if (parsed.rule != nullptr && parsed.verb == verbs::kRefreshData) {
        CollectCheckedRecords(s_.loaded, s_.work);
        ++slotWrites_;
        const std::int16_t written =
            WriteExchangeRecords(s_.store, s_.section, s_.work, 1, static_cast<int>(s_.work.size()), 1,
                                 s_.messages, std::string(kHostKey));
        // A write that failed (and said so) still takes the command, or it
        // would be tried again every tick.
        if (written == kExchangeWriteFailed) s_.store.take(kExchangeApp, s_.section, kHostKey);
        lastCommand_ = std::move(command);
        return;
    }
    if (!send) {
        const auto taken = s_.store.take(kExchangeApp, s_.section, kHostKey);
        if (!taken || taken->empty()) return;
        lastCommand_ = std::move(*taken);
        dispatch(nullptr);
        return;
    }
    SlotRead slotRead;
    {
        SettingsBatch batch(s_.store);
        if (!batch.grouped()) return;  // the store is held: next tick
        command = s_.store.read(kExchangeApp, s_.section, kHostKey);
        if (command.empty()) return;
        slotRead.status = ReadExchangeRecords(s_.store, s_.section, slotRead.records, slotRead.errorText);
        if (slotRead.status == kExchangeRead) keepArrivingUnsaved(ParseCommand(command).verb, slotRead.records);
        if (!s_.store.write(kExchangeApp, s_.section, kHostKey, "") || !batch.end()) return;
    }
    lastCommand_ = std::move(command);
    dispatch(&slotRead);
}

// The list as the data step of an unsaved SENDNEWDATA or SENDUPDATEDDATA
// will make it, handed to the host to keep before the command is answered.
void CommandChannel::keepArrivingUnsaved(const std::string& verb, const WorkRecordTable& records) {
    const bool isNew = verb.starts_with(verbs::kSendNewData);
    const bool isUpdated = verb.starts_with(verbs::kSendUpdatedData);
    if (verb.find('*') == std::string::npos || (!isNew && !isUpdated) || records.empty()) return;
    WorkRecordTable arriving = records;
    for (PhotometricRecord& record : arriving) record.Saved = kFalse;
    LoadedFileTable after = s_.loaded;
    if (isNew) {
        SilentMessageSink silent;  // the data step itself says what it has to say
        AddData(arriving, after, silent);
    } else {
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (SameFilename(after[i].Filename, arriving.front().Filename)) {
                CopyPhotometricRecord(arriving, 0, after, i, false);
            }
        }
    }
    s_.host.keepUnsaved(after);
}

// Qt does not re-enter a timer's slot while it runs, so a wait inside a
// command taken by the timer polls the host key itself; commands written
// during the wait are then handled inside it as they would be from a click.
void CommandChannel::pollIfDue() {
    if (timer_->isActive() && Clock::now() - lastPoll_ >= kPollInterval) pollHostKey();
}

void CommandChannel::handleCommand(std::string command) {
    lastCommand_ = std::move(command);
    msbCmd();
}

void CommandChannel::msbCmd() { dispatch(nullptr); }

bool CommandChannel::isKnownSender(const std::string& actName, const std::string& instance) const {
    if (actName.empty()) return false;
    for (const RunningTool& entry : s_.tools.entries()) {
        if (!entry.isClosed() && entry.ActName == actName && entry.InstanceId == instance) return true;
    }
    return s_.catalogue != nullptr && s_.catalogue->indexOf(actName) >= 1;
}

void CommandChannel::dispatch(SlotRead* preRead) {
    const ParsedCommand parsed = ParseCommand(lastCommand_);
    if (parsed.rule == nullptr) return;
    const std::string& verb = parsed.verb;
    const std::vector<std::string>& fields = parsed.fields;

    if (verb == verbs::kRefreshData) {
        CollectCheckedRecords(s_.loaded, s_.work);
        ++slotWrites_;
        WriteExchangeRecords(s_.store, s_.section, s_.work, 1, static_cast<int>(s_.work.size()), 1,
                             s_.messages);
        return;
    }

    senderActName_ = fields[1];
    senderInstance_ = fields[2];
    // This command's own sender: nested commands may overwrite the shared one
    // while we wait, and "Close" must still reach the tool that asked for it.
    const std::string actName = senderActName_;
    const std::string instance = senderInstance_;

    if (verb.starts_with("SEND")) {
        handleSendVerb(verb, fields, actName, instance, preRead);
        return;
    }
    if (verb == verbs::kCloseRemove) {
        s_.tools.markClosed(actName, instance);
        return;
    }
    if (!isKnownSender(actName, instance)) return;
    if (verb == verbs::kReturnClose) {
        SendToolCommand(actName, instance, std::string(tool_commands::kClose));
    } else if (verb == verbs::kRefreshLoadedCount) {
        SendToolCommand(actName, instance,
                        std::string(tool_commands::kLoadedCount) + "," +
                            FormatCompact(static_cast<std::int64_t>(s_.loaded.size())));
    }
}

// The SEND verbs: read the slots, the data step, then the CLOSE step. A
// failed read skips the data step silently; "Close" is still sent.
void CommandChannel::handleSendVerb(const std::string& verb, const std::vector<std::string>& fields,
                                    const std::string& actName, const std::string& instance,
                                    SlotRead* preRead) {
    std::string errorText;
    std::int16_t status = kExchangeEmpty;
    if (preRead != nullptr) {
        s_.work = std::move(preRead->records);
        status = preRead->status;
    } else {
        status = ReadExchangeRecords(s_.store, s_.section, s_.work, errorText);
    }
    const bool unsaved = verb.find('*') != std::string::npos;
    const bool closeAfter = verb.find("CLOSE") != std::string::npos;
    const bool isNew = verb.starts_with(verbs::kSendNewData);
    const bool isUpdated = verb.starts_with(verbs::kSendUpdatedData);
    if (isNew || isUpdated) {
        for (PhotometricRecord& record : s_.work) record.Saved = unsaved ? kFalse : kTrue;
    }
    const auto closeStep = [&] {
        if (closeAfter && isKnownSender(actName, instance)) {
            SendToolCommand(actName, instance, std::string(tool_commands::kClose));
        }
    };
    if (status != kExchangeRead || s_.work.empty()) {
        closeStep();
        return;
    }
    // Message boxes and waits below run nested commands that refill the work
    // table, so this command works on its own copy.
    const WorkRecordTable read = s_.work;

    if (isNew) {
        bool european = false;
        for (const PhotometricRecord& record : read) {
            if (IsEuropeanExtension(record.Filename)) {
                european = true;
                break;
            }
        }
        bool replaced = false;
        std::optional<std::size_t> lastLine;
        {
            // One notice for the whole batch: the limit names every data set it kept out.
            NoticeBatch::Scope notices(s_.messages);
            replaced = AddData(read, s_.loaded, s_.messages);
            // New data sets arrive as a loaded file does: checked, the last one selected.
            for (const PhotometricRecord& record : read) {
                const auto line = std::find_if(s_.loaded.begin(), s_.loaded.end(), [&](const PhotometricRecord& loaded) {
                    return UpperAscii(FileNameOf(loaded.Filename)) == UpperAscii(FileNameOf(record.Filename));
                });
                if (line == s_.loaded.end()) {
                    NoticeBatch::LeftOut(s_.messages, FileNameOf(record.Filename));
                    continue;
                }
                line->Checked = kTrue;
                lastLine = static_cast<std::size_t>(line - s_.loaded.begin());
            }
        }
        s_.host.refreshLoadedFilesList();
        if (lastLine) s_.host.selectLoadedLine(*lastLine);
        closeStep();
        if (european && SettingIsTrue(s_.store.read(kExchangeApp, kHintsSection, "1", "True"), true)) {
            s_.host.showEuropeanDataHint();
        }
        if (replaced) BroadcastDataChanged();
        return;
    }
    if (isUpdated) {
        // Only record 1 counts; every loaded file of that name receives it.
        for (std::size_t i = 0; i < s_.loaded.size(); ++i) {
            if (SameFilename(s_.loaded[i].Filename, read.front().Filename)) {
                CopyPhotometricRecord(read, 0, s_.loaded, i, false);
            }
        }
        s_.host.refreshLoadedFilesList();
        BroadcastDataChanged();
        closeStep();
        return;
    }
    if (verb.starts_with(verbs::kSendSavedData)) {
        for (PhotometricRecord& loaded : s_.loaded) {
            if (SameFilename(loaded.Filename, read.front().Filename)) {
                loaded.Saved = kTrue;
                break;
            }
        }
    } else if (const auto refusal = RenameTargetRefusal(read.front().Filename)) {
        // The data set stays unsaved under its old name: the tool's word alone
        // must not end the protection of unsaved edits.
        std::fprintf(stderr, "lumibench: %s %s: rename to \"%s\" refused: %s.\n", actName.c_str(),
                     instance.c_str(), read.front().Filename.c_str(), refusal->c_str());
    } else {  // SENDRENAMEDDATA: field 4 names the file as it was loaded
        auto rename = [&](const std::string& oldName) {
            for (PhotometricRecord& loaded : s_.loaded) {
                if (SameFilename(loaded.Filename, oldName)) {
                    loaded.Filename = read.front().Filename;
                    loaded.Saved = kTrue;
                    return true;
                }
            }
            return false;
        };
        // A name may hold commas, which split it over the fields after the
        // third: when field 4 alone names no file, the rest of the line does.
        if (!rename(TrimBlanks(fields[3])) && fields.size() > 4) rename(TrimBlanks(fields[4]));
    }
    s_.host.refreshLoadedFilesList();
    closeStep();
}

std::int16_t CommandChannel::SendToolCommand(const std::string& toolName, const std::string& instanceId,
                                             const std::string& command, std::string& errorText) {
    errorText.clear();
    const std::string key = ToolMailboxKey(toolName, instanceId);
    // A command without an ActName has no mailbox; writing it would only cost the wait.
    if (toolName.empty()) {
        errorText = kChannelNoMailboxText;
        return kChannelNoMailbox;
    }
    if (s_.section.empty()) {
        errorText = kChannelStoreFailureText;
        return kChannelStoreFailure;
    }
    // A wait that this command runs inside of may be waiting on this very
    // mailbox (an answer, say, when another tool's data arrives meanwhile):
    // the tool takes that command first, or it is lost. A command left over
    // from a wait that timed out is replaced, as the tool is not taking any.
    const bool outerWaitsOnIt = std::find(waitedKeys_.begin(), waitedKeys_.end(), key) != waitedKeys_.end();
    if (outerWaitsOnIt && !s_.store.read(kExchangeApp, s_.section, key).empty()) waitUntilTaken(key);
    if (!s_.store.write(kExchangeApp, s_.section, key, command)) {
        errorText = kChannelStoreFailureText;
        return kChannelStoreFailure;
    }
    if (command == tool_commands::kClose) s_.tools.markClosed(toolName, instanceId);
    waitUntilTaken(key);
    return 0;
}

// Up to kCommandWait, with window events and commands to the host handled meanwhile.
void CommandChannel::waitUntilTaken(const std::string& key) {
    struct WaitGuard {
        CommandChannel& channel;
        WaitGuard(CommandChannel& c, const std::string& key) : channel(c) {
            ++channel.waitDepth_;
            channel.waitedKeys_.push_back(key);
        }
        ~WaitGuard() {
            --channel.waitDepth_;
            channel.waitedKeys_.pop_back();
        }
    } guard(*this, key);
    const auto started = Clock::now();
    for (;;) {
        if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
        pollIfDue();
        if (Clock::now() - started > kCommandWait) return;
        if (s_.store.read(kExchangeApp, s_.section, key).empty()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void CommandChannel::SendToolCommand(const std::string& toolName, const std::string& instanceId,
                                     const std::string& command) {
    std::string ignored;
    SendToolCommand(toolName, instanceId, command, ignored);
}

void CommandChannel::BroadcastDataChanged() {
    // By index and by copy: nested commands during each wait may change the table.
    for (std::size_t n = 1; n <= s_.tools.count(); ++n) {
        const RunningTool entry = s_.tools.at(n);
        if (entry.isClosed()) continue;
        if (s_.windows.windowExists(entry.ActName) && entry.InstanceId != senderInstance_) {
            SendToolCommand(entry.ActName, entry.InstanceId, std::string(tool_commands::kDataChanged));
        }
    }
}

void CommandChannel::BroadcastDeleteFile(const std::string& fileName) {
    for (std::size_t n = 1; n <= s_.tools.count(); ++n) {
        const RunningTool entry = s_.tools.at(n);
        if (entry.isClosed()) continue;
        if (s_.windows.windowExists(entry.ActName)) {
            SendToolCommand(entry.ActName, entry.InstanceId,
                            std::string(tool_commands::kDeleteFile) + "," + fileName);
        }
    }
}

void CommandChannel::TellToolsAboutClosedFiles(bool firstLineClosed,
                                               const std::vector<std::string>& closedFilenames) {
    if (firstLineClosed) {
        s_.host.closeAllTools();
        return;
    }
    for (const std::string& fileName : closedFilenames) BroadcastDeleteFile(fileName);
}

}  // namespace lumibench
