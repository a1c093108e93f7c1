#include "toolhost/tool_launcher.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/number_text.h"
#include "core/record_tables.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "exchange/host_process.h"
#include "exchange/tool_command_line.h"
#include "platform/pause.h"
#include "toolhost/command_channel.h"
#include "toolhost/window_lookup.h"

extern char** environ;

namespace lumibench {
namespace {

constexpr std::chrono::milliseconds kStartRetryPause{100};
constexpr std::chrono::milliseconds kReapInterval{1000};

}  // namespace

ToolCommandSender SenderFor(CommandChannel& channel) {
    return [&channel](const std::string& actName, const std::string& instanceId,
                      const std::string& command) {
        channel.SendToolCommand(actName, instanceId, command);
    };
}

void ProcessEventsFor(std::chrono::milliseconds duration) { Pause(duration); }

// --- SpawnedToolProcess ------------------------------------------------------

namespace {

// This process's environment with the host's identity in place of any that
// was there (a host started by another host's tool), so that a tool can tell
// when the host that started it is gone.
std::vector<std::string> ToolEnvironment() {
    std::vector<std::string> variables;
    const std::string pidPrefix = std::string(kHostPidVariable) + "=";
    const std::string startPrefix = std::string(kHostStartVariable) + "=";
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        if (variable.starts_with(pidPrefix) || variable.starts_with(startPrefix)) continue;
        variables.emplace_back(variable);
    }
    const pid_t self = ::getpid();
    variables.push_back(pidPrefix + std::to_string(self));
    if (const auto start = ProcessStartTicks(self)) variables.push_back(startPrefix + std::to_string(*start));
    return variables;
}

}  // namespace

std::shared_ptr<SpawnedToolProcess> SpawnedToolProcess::Spawn(const std::string& program,
                                                              const std::string& arguments,
                                                              std::string& error) {
    // Everything the child needs is built before the fork: between fork and
    // exec only async-signal-safe calls are allowed.
    std::string arg0 = program;
    std::string arg1 = arguments;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    std::vector<std::string> variables = ToolEnvironment();
    std::vector<char*> envp;
    envp.reserve(variables.size() + 1);
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);

    // The child reports a failed exec through this pipe; a successful exec
    // closes it (close-on-exec) without a word.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    const pid_t host = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = std::strerror(errno);
        ::close(report[0]);
        ::close(report[1]);
        return nullptr;
    }
    if (pid == 0) {
        // A tool ends with the host, even when the host is killed outright.
        // The host may already have gone between fork and here: then end now.
        // (The signal follows the thread that forked: tools are started from the
        // host's main thread, which lives as long as the host.)
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != host) ::_exit(127);
        // The tool starts with default signal handling and nothing blocked,
        // whatever the host's toolkit set up for itself.
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        for (const int signal : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &defaults, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(program.c_str(), argv, envp.data());
        const int failure = errno;
        [[maybe_unused]] const auto written = ::write(report[1], &failure, sizeof failure);
        ::_exit(127);
    }
    ::close(report[1]);
    int failure = 0;
    ssize_t got = 0;
    while ((got = ::read(report[0], &failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof failure)) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        error = std::strerror(failure);
        return nullptr;
    }
    return std::shared_ptr<SpawnedToolProcess>(new SpawnedToolProcess(pid));
}

SpawnedToolProcess::~SpawnedToolProcess() {
    // Collect an ended process; a running one is left alone (the host ends
    // tools only through terminate).
    isRunning();
}

bool SpawnedToolProcess::isRunning() const {
    if (reaped_) return false;
    int status = 0;
    const pid_t r = ::waitpid(static_cast<pid_t>(pid_), &status, WNOHANG);
    if (r == 0) return true;
    if (r < 0 && errno == EINTR) return true;
    reaped_ = true;  // ended and collected, or not ours to wait for any more
    if (r > 0 && WIFSIGNALED(status)) endSignal_ = WTERMSIG(status);
    return false;
}

void SpawnedToolProcess::terminate() {
    if (reaped_) return;
    ::kill(static_cast<pid_t>(pid_), SIGKILL);
    int status = 0;
    while (::waitpid(static_cast<pid_t>(pid_), &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
}

// --- ToolLauncher -------------------------------------------------------------

ToolLauncher::ToolLauncher(LauncherServices services) : s_(std::move(services)) {
    if (!s_.pause) s_.pause = ProcessEventsFor;
    if (QCoreApplication::instance()) {
        reapTimer_ = std::make_unique<QTimer>();
        reapTimer_->setInterval(kReapInterval);
        QObject::connect(reapTimer_.get(), &QTimer::timeout, [this] { ReapExitedTools(); });
        reapTimer_->start();
    }
}

ToolLauncher::~ToolLauncher() = default;

void ToolLauncher::send(const std::string& actName, const std::string& instanceId,
                        const std::string& command) {
    if (s_.send) s_.send(actName, instanceId, command);
}

bool ToolLauncher::StartTool(const std::string& actName, int catalogueIndex,
                             std::int64_t parentWindow, bool takesData,
                             std::size_t loadedFileCount, std::int16_t& instanceNumber,
                             std::string& instanceId) {
    ReapExitedTools();
    const std::size_t n = s_.tools.append(actName);
    auto fail = [&](const std::string& reason) {
        // An entry always carries an instance id; a failed start is a closed one.
        s_.tools.at(n).InstanceId = std::string(kClosedInstanceId);
        s_.messages.show({kStartToolTitle, kStartToolFailedText + reason, MessageIcon::Exclamation,
                          MessageButtons::Ok, true});
        return false;
    };
    if (catalogueIndex < 1 || catalogueIndex > s_.catalogue.count()) {
        return fail(actName + ": not installed.");
    }
    const ToolEntry& entry = s_.catalogue.entry(catalogueIndex);

    ToolCommandLine line;
    line.mainWindowHandle = parentWindow;
    line.takesData = takesData;
    line.hostKey = s_.hostKey;
    line.instanceId = std::to_string(n);
    line.loadedFileCount = static_cast<int>(loadedFileCount);
    line.section = s_.section;
    const std::string arguments = FormatToolArguments(line);
    const std::string program = entry.programPath();

    // A slow or busy system may refuse a new process for a moment.
    const auto first = std::chrono::steady_clock::now();
    std::string error;
    std::shared_ptr<SpawnedToolProcess> process;
    while (!(process = SpawnedToolProcess::Spawn(program, arguments, error))) {
        if (std::chrono::steady_clock::now() - first > s_.startRetryWindow) break;
        s_.pause(kStartRetryPause);
    }
    if (!process) return fail(program + ": " + error);

    spawned_.push_back(process);
    s_.tools.setStarted(n, process);
    instanceNumber = static_cast<std::int16_t>(std::min<std::size_t>(n, INT16_MAX));
    instanceId = s_.tools.at(n).InstanceId;
    return true;
}

void ToolLauncher::gsbToolClick(const std::string& actName, int catalogueIndex,
                                const LoadedFileTable& loaded, WorkRecordTable& work,
                                const ToolPlacement& placement) {
    if (catalogueIndex < 1 || catalogueIndex > s_.catalogue.count()) return;
    CollectCheckedRecords(loaded, work);
    // Commands handled during the waits below refill the work table: the
    // batches come from this copy.
    WorkRecordTable records = work;
    const int c = static_cast<int>(records.size());
    // A tool that claims to take no files still gets one per instance.
    const int maxFiles = std::max<int>(1, s_.catalogue.entry(catalogueIndex).MaxFiles);
    std::int16_t number = 0;
    std::string id;

    if (c <= maxFiles) {
        // Nothing written (or a store that refused the batch, already told): no tool.
        if (writeSlots(records, c, 1, &loaded) <= 0) return;
        const std::uint64_t writes = slotWrites();
        if (!StartTool(actName, catalogueIndex, placement.mainWindowHandle, true, loaded.size(),
                       number, id)) {
            return;
        }
        SendMoveWin(actName, id, placement.x0, placement.y0);
        if (!records.empty() && records.front().Saved == kFalse) {
            send(actName, id, std::string(tool_commands::kUnsaved));
        }
        send(actName, id, std::string(tool_commands::kStart));
        releaseSlots(actName, {id}, writes);
        return;
    }

    struct Started {
        std::string instanceId;
        bool unsaved;
    };
    std::vector<Started> started;
    int p = 1;
    int b = maxFiles;
    std::uint64_t writes = 0;
    for (;;) {
        const std::int16_t written = writeSlots(records, b, p, nullptr);
        writes = slotWrites();
        if (written == kExchangeWriteFailed) break;  // told already; the instances so far still start
        if (written >= 1) {
            if (!StartTool(actName, catalogueIndex, placement.mainWindowHandle, true, loaded.size(),
                           number, id)) {
                return;
            }
            started.push_back({id, records[static_cast<std::size_t>(p - 1)].Saved == kFalse});
            // The instance reads its slots before it takes its first command;
            // the next batch must not overwrite them before that, however
            // slowly it starts.
            SendMoveWin(actName, id, placement.x0, placement.y0);
            if (p + maxFiles <= c && !waitForFirstTake(static_cast<std::size_t>(number))) {
                s_.messages.show({kStartToolTitle,
                                  actName + kToolNoAnswerText +
                                      std::to_string(std::chrono::ceil<std::chrono::seconds>(
                                                         s_.firstCommandWait)
                                                         .count()) +
                                      kToolNoAnswerRestText + std::to_string(p + maxFiles) + ".",
                                  MessageIcon::Exclamation, MessageButtons::Ok, true});
                break;
            }
        }
        p += maxFiles;
        if (p > c) break;
        if (p + b - 1 > c) b = c - p + 1;
    }
    std::vector<std::string> ids;
    for (const Started& instance : started) {
        if (instance.unsaved) send(actName, instance.instanceId, std::string(tool_commands::kUnsaved));
        send(actName, instance.instanceId, std::string(tool_commands::kStart));
        ids.push_back(instance.instanceId);
    }
    if (!ids.empty()) releaseSlots(actName, ids, writes);
}

std::uint64_t ToolLauncher::slotWrites() const {
    return ownSlotWrites_ + (s_.slotWriteCount ? s_.slotWriteCount() : 0);
}

void ToolLauncher::releaseSlots(const std::string& actName, const std::vector<std::string>& instanceIds,
                                std::uint64_t writesThen) {
    if (slotWrites() != writesThen) return;
    for (const std::string& id : instanceIds) {
        if (!s_.store.read(kExchangeApp, s_.section, ToolMailboxKey(actName, id)).empty()) return;
    }
    // Not while a tool's command waits in the host key: those slots are its data.
    SilentMessageSink silent;
    if (WriteExchangeRecords(s_.store, s_.section, {}, 1, 0, 1, silent, {}, s_.hostKey) >= 0) ++ownSlotWrites_;
}

std::int16_t ToolLauncher::writeSlots(WorkRecordTable& records, int lastSlot, int firstRecord,
                                      const LoadedFileTable* loaded) {
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        if (loaded != nullptr) {
            CollectCheckedRecords(*loaded, records);
            lastSlot = static_cast<int>(records.size());
        }
        ++ownSlotWrites_;
        const std::int16_t written = WriteExchangeRecords(s_.store, s_.section, records, 1, lastSlot, firstRecord,
                                                          s_.messages, {}, s_.hostKey);
        // A command that never leaves the mailbox (no channel to take it)
        // does not hold the start up for ever.
        if (written != kExchangeSlotsBusy) return written;
        if (std::chrono::steady_clock::now() - started > std::chrono::seconds(5)) {
            return WriteExchangeRecords(s_.store, s_.section, records, 1, lastSlot, firstRecord, s_.messages);
        }
        if (s_.takePendingCommand) s_.takePendingCommand();
        s_.pause(std::chrono::milliseconds(10));
    }
}

bool ToolLauncher::waitForFirstTake(std::size_t n) {
    if (n < 1 || n > s_.tools.count()) return false;
    const RunningTool entry = s_.tools.at(n);
    const std::string mailbox = ToolMailboxKey(entry.ActName, entry.InstanceId);
    const auto taken = [&] { return s_.store.read(kExchangeApp, s_.section, mailbox).empty(); };
    if (taken()) return true;
    const bool cursor = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursor) QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    const auto started = std::chrono::steady_clock::now();
    bool answered = false;
    for (;;) {
        if ((answered = taken())) break;
        if (entry.Process && !entry.Process->isRunning()) break;
        if (std::chrono::steady_clock::now() - started >= s_.firstCommandWait) break;
        s_.pause(std::chrono::milliseconds(20));
    }
    if (cursor) QGuiApplication::restoreOverrideCursor();
    return answered;
}

bool ToolLauncher::StartToolWithoutData(const std::string& actName, int catalogueIndex,
                                        std::size_t loadedFileCount,
                                        const ToolPlacement& placement) {
    std::int16_t number = 0;
    std::string id;
    if (!StartTool(actName, catalogueIndex, placement.mainWindowHandle, true, loadedFileCount,
                   number, id)) {
        return false;
    }
    SendMoveWin(actName, id, placement.x0, placement.y0);
    send(actName, id, std::string(tool_commands::kStart));
    return true;
}

void ToolLauncher::SendMoveWin(const std::string& actName, const std::string& instanceId,
                               std::int32_t x, std::int32_t y) {
    send(actName, instanceId, std::string(tool_commands::kMoveWin) + "," +
                                  FormatCompact(std::int64_t{x}) + "," +
                                  FormatCompact(std::int64_t{y}) + ",-1,-1");
}

// Commands may run nested handlers that close instances or empty the table, so
// the loops below re-read the table by number and copy what they send.
void ToolLauncher::CascadeTools(std::int32_t x0, std::int32_t y0) {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t column = 0;
    int k = 0;
    for (std::size_t n = 1; n <= s_.tools.count(); ++n) {
        const RunningTool entry = s_.tools.at(n);
        if (entry.ActName == kSaveExToolName || entry.isClosed()) continue;
        ++k;
        // An entry that cannot be shown is counted but neither moved nor
        // allowed to start a new column.
        if (!s_.windows.bringToolToFront(entry.ProcessId, entry.ActName)) continue;
        SendMoveWin(entry.ActName, entry.InstanceId, x0 + dx, y0 + dy);
        dx += kCascadeStep;
        dy += kCascadeStep;
        if (k == kCascadeColumnLength) {
            k = 0;
            column += kCascadeColumnStep;
            dx = column;
            dy = 0;
        }
    }
}

void ToolLauncher::TileTools(std::int32_t areaWidthTwips, double twipsPerPixel, std::int32_t x0,
                             std::int32_t y0) {
    int count = 0;
    for (std::size_t n = 1; n <= s_.tools.count(); ++n) {
        if (s_.windows.bringToolToFront(s_.tools.at(n).ProcessId, s_.tools.at(n).ActName)) ++count;
    }
    std::int32_t step = 0;
    if (count > 1 && twipsPerPixel > 0) {
        step = ToInt16(areaWidthTwips / twipsPerPixel / count).value_or(0);
    }
    std::int32_t x = 0;
    for (std::size_t n = 1; n <= s_.tools.count(); ++n) {
        const RunningTool entry = s_.tools.at(n);
        if (!s_.windows.bringToolToFront(entry.ProcessId, entry.ActName)) continue;
        send(entry.ActName, entry.InstanceId,
             std::string(tool_commands::kMoveWin) + "," + FormatSigned(std::int64_t{x0} + x) + "," +
                 FormatSigned(std::int64_t{y0}) + ",-1,-1");
        x += step;
    }
}

bool ToolLauncher::AnyToolWindowOpen() {
    for (std::size_t n = 1; n <= s_.tools.count(); ++n) {
        if (s_.windows.windowExists(s_.tools.at(n).ActName)) return true;
    }
    return false;
}

bool ToolLauncher::CloseAllTools() {
    if (toolsClosing_) return true;
    toolsClosing_ = true;
    for (std::size_t n = 1; n <= s_.tools.count(); ++n) {
        const RunningTool entry = s_.tools.at(n);
        if (entry.isClosed()) continue;
        if (entry.Process) entry.Process->terminate();
        s_.pause(s_.pauseInterval);
    }
    toolsClosing_ = false;
    s_.tools.clear();
    ReapExitedTools();
    return true;
}

void ToolLauncher::ReapExitedTools() {
    std::vector<std::shared_ptr<ToolProcess>> ended;
    std::erase_if(spawned_, [&](const std::shared_ptr<ToolProcess>& p) {
        if (p->isRunning()) return false;
        ended.push_back(p);
        return true;
    });
    // Each process leaves spawned_ once, so each is told about once. The
    // message waits in its own event loop, in which this runs again.
    for (const std::shared_ptr<ToolProcess>& process : ended) {
        const std::optional<int> signal = process->endedBySignal();
        if (!signal) continue;
        std::string actName = "A tool";
        for (const RunningTool& entry : s_.tools.entries()) {
            if (entry.Process == process) actName = entry.ActName;
        }
        const std::string text = actName + kToolEndedBySignalText + std::to_string(*signal) + ")";
        std::fprintf(stderr, "lumibench: %s\n", text.c_str());
        s_.messages.show({"", text, MessageIcon::Exclamation, MessageButtons::Ok, false});
    }
}

std::size_t ToolLauncher::unreapedProcessCount() const { return spawned_.size(); }

}  // namespace lumibench
