#include "probe.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <sstream>
#include <thread>

#include "core/number_text.h"
#include "exchange/exchange_texts.h"
#include "platform/settings_store.h"

namespace lumibench {
namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Log texts stay on one line.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

}  // namespace

Probe::Probe(std::unique_ptr<ToolSession> session, QString logPath, QString controlPath, bool hold)
    : session_(std::move(session)), logPath_(std::move(logPath)), controlPath_(std::move(controlPath)),
      hold_(hold), timer_(new QTimer(this)) {
    timer_->setInterval(10);
    connect(timer_, &QTimer::timeout, this, &Probe::tick);
}

Probe::~Probe() = default;

void Probe::begin(const QString& script) {
    // "data" comes before "start", so a test that saw "start" also sees what was read.
    if (session_->commandLine().takesData) {
        std::string errorText;
        const std::int16_t status = session_->readData(records_, errorText);
        std::string names;
        for (const PhotometricRecord& record : records_) names += "|" + record.Filename;
        log("data", std::to_string(status) + " " + std::to_string(records_.size()) + names +
                        (errorText.empty() ? "" : " " + errorText));
    }
    log("start", session_->mailboxKey());
    window_ = std::make_unique<QWidget>();
    window_->setWindowTitle(QString::fromStdString(session_->windowTitle()));
    window_->resize(240, 160);
    window_->show();

    std::istringstream lines(script.toStdString());
    for (std::string line; !finished_ && std::getline(lines, line);) runLine(line);
    if (!finished_) timer_->start();
}

void Probe::tick() {
    if (!controlPath_.isEmpty() && QFile::exists(controlPath_)) {
        QFile file(controlPath_);
        if (file.open(QIODevice::ReadOnly)) {
            const std::string text = file.readAll().toStdString();
            file.close();
            QFile::remove(controlPath_);
            std::istringstream lines(text);
            for (std::string line; !finished_ && std::getline(lines, line);) runLine(line);
            if (finished_) return;
        }
    }
    if (hold_) return;
    const auto command = session_->takeCommand();
    if (!command) return;
    log("take", command->text);
    switch (command->kind) {
    case ToolCommand::Kind::MoveWin:
        if (window_) window_->move(command->x, command->y);
        break;
    case ToolCommand::Kind::Close:
        finish(0);
        break;
    default:
        break;
    }
}

void Probe::runLine(const std::string& rawLine) {
    std::string line = rawLine;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) return;
    log("do", line);
    const std::size_t blank = line.find(' ');
    const std::string word = line.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);

    if (word == "send" || word == "raw") {
        bool sent = false;
        if (word == "raw") {
            sent = session_->sendRawToHost(Unescape(rest));
        } else {
            const std::size_t comma = rest.find(',');
            sent = session_->sendToHost(rest.substr(0, comma),
                                        comma == std::string::npos ? "" : rest.substr(comma + 1));
        }
        log(sent ? "sent" : "sendfail", rest);
    } else if (word == "value") {
        const std::size_t split = rest.find(' ');
        session_->store().write(kExchangeApp, session_->commandLine().section, rest.substr(0, split),
                                split == std::string::npos ? "" : Unescape(rest.substr(split + 1)));
    } else if (word == "filename") {
        const std::size_t split = rest.find(' ');
        const auto n = ToInt32(LeadingNumber(rest.substr(0, split)));
        if (n && *n >= 1 && static_cast<std::size_t>(*n) <= records_.size() && split != std::string::npos) {
            records_[static_cast<std::size_t>(*n) - 1].Filename = rest.substr(split + 1);
        }
    } else if (word == "echo") {
        session_->writeData(records_);
    } else if (word == "hold") {
        hold_ = true;
    } else if (word == "release") {
        hold_ = false;
    } else if (word == "sleep") {
        const int ms = ToInt32(LeadingNumber(rest)).value_or(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::clamp(ms, 0, 60000)));
    } else if (word == "closeself") {
        session_->sendToHost(verbs::kCloseRemove);
        finish(0);
    } else if (word == "exit") {
        finish(0);
    }
}

void Probe::log(const std::string& event, const std::string& text) {
    if (logPath_.isEmpty()) return;
    QFile file(logPath_);
    if (!file.open(QIODevice::Append)) return;
    const std::string line = std::to_string(QDateTime::currentMSecsSinceEpoch()) + "\t" + event + "\t" +
                             Escape(text) + "\n";
    file.write(line.data(), static_cast<qint64>(line.size()));
}

void Probe::finish(int code) {
    if (finished_) return;
    finished_ = true;
    timer_->stop();
    log("exit", std::to_string(code));
    QCoreApplication::exit(code);
}

}  // namespace lumibench
