#include "probe_harness.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcessEnvironment>

#include <thread>

#include "exchange/exchange_texts.h"
#include "exchange/tool_command_line.h"

namespace lumibench {

QtToolProcess::~QtToolProcess() { terminate(); }

bool QtToolProcess::isRunning() const {
    return process_->state() != QProcess::NotRunning && !process_->waitForFinished(0);
}

void QtToolProcess::terminate() {
    if (process_->state() == QProcess::NotRunning) return;
    process_->kill();
    process_->waitForFinished(5000);  // reaped: no zombie outlives the test
}

void RecordingHost::refreshLoadedFilesList() {
    ++refreshes;
    refreshWaitDepths.push_back(channel ? channel->commandWaitDepth() : 0);
}

ProbeHarness::ProbeHarness() {
    std::string error;
    store_ = SqliteSettingsStore::Open((dir_.path() + "/settings.sqlite3").toStdString(), &error);
    if (!store_) return;
    channel = std::make_unique<CommandChannel>(
        ChannelServices{*store_, kSection, loaded, work, tools, windows, messages, host});
    host.channel = channel.get();
}

ProbeHarness::~ProbeHarness() {
    if (channel) channel->stop();
    for (std::size_t n = 1; n <= tools.count(); ++n) {
        if (tools.at(n).Process) tools.at(n).Process->terminate();
    }
}

QString ProbeHarness::file(std::size_t n, const char* suffix) const {
    return dir_.path() + "/probe" + QString::number(n) + suffix;
}

std::size_t ProbeHarness::startProbe(const std::string& actName, const std::map<std::string, std::string>& env,
                                     bool takesData) {
    const std::size_t n = tools.append(actName);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LUMIBENCH_SETTINGS", dir_.path() + "/settings.sqlite3");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("LUMIBENCH_PROBE_ACTNAME", QString::fromStdString(actName));
    environment.insert("LUMIBENCH_PROBE_LOG", file(n, ".log"));
    environment.insert("LUMIBENCH_PROBE_CONTROL", file(n, ".ctl"));
    for (const auto& [name, value] : env) {
        environment.insert(QString::fromStdString(name), QString::fromStdString(value));
    }
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    const ToolCommandLine line{0, takesData, std::string(kHostKey), std::to_string(n),
                               static_cast<int>(loaded.size()), kSection};
    process->start(QStringLiteral(LUMIBENCH_PROBE_PATH),
                   {QString::fromStdString(FormatToolArguments(line))});
    process->waitForStarted(10000);
    tools.setStarted(n, std::make_shared<QtToolProcess>(std::move(process)));
    return n;
}

bool ProbeHarness::waitUntilStarted(std::size_t n, std::chrono::milliseconds timeout) {
    return waitFor([&] { return !logged(n, "start").empty(); }, timeout);
}

void ProbeHarness::control(std::size_t n, const std::string& lines) {
    // Written beside and renamed, so the probe never reads half a file.
    const QString target = file(n, ".ctl");
    waitFor([&] { return !QFile::exists(target); });
    QFile temporary(target + ".tmp");
    if (!temporary.open(QIODevice::WriteOnly)) return;
    temporary.write(lines.data(), static_cast<qint64>(lines.size()));
    temporary.close();
    QFile::rename(target + ".tmp", target);
}

std::vector<ProbeLogLine> ProbeHarness::log(std::size_t n) const {
    std::vector<ProbeLogLine> lines;
    QFile file(this->file(n, ".log"));
    if (!file.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QList<QByteArray> parts = raw.split('\t');
        if (parts.size() < 3) continue;
        lines.push_back({parts[0].toLongLong(), parts[1].toStdString(), parts[2].toStdString()});
    }
    return lines;
}

std::vector<std::string> ProbeHarness::logged(std::size_t n, const std::string& event) const {
    std::vector<std::string> texts;
    for (const ProbeLogLine& line : log(n)) {
        if (line.event == event) texts.push_back(line.text);
    }
    return texts;
}

std::string ProbeHarness::mailbox(std::size_t n) {
    return store_->read(kExchangeApp, kSection, ToolMailboxKey(tools.at(n).ActName, std::to_string(n)));
}

bool ProbeHarness::hasExited(std::size_t n) {
    return waitFor([&] { return !tools.at(n).Process->isRunning(); });
}

bool ProbeHarness::waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace lumibench
