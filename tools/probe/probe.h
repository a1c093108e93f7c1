#pragma once
// The probe tool. Environment:
//   LUMIBENCH_PROBE_ACTNAME  its ActName (default: the program's file name)
//   LUMIBENCH_PROBE_LOG      file that gets one line per event:
//                            <ms since the epoch> TAB <event> TAB <text>
//                            events: start, data, take, do, sent, sendfail, exit
//   LUMIBENCH_PROBE_SCRIPT   instructions run after start-up, one per line
//   LUMIBENCH_PROBE_CONTROL  file watched while running; its lines are run
//                            and the file is removed
//   LUMIBENCH_PROBE_HOLD     "1": never take commands (the mailbox stays full)
// Instructions:
//   send VERB[,extra]   send VERB,ActName,instance[,extra] to the host
//   raw TEXT            write TEXT to the host key as it stands (\r \n \\ escapes)
//   value KEY TEXT      write TEXT to KEY of the exchange section (same escapes)
//   filename N PATH     rename data set N (from 1) of those read at start-up
//   echo                write the data sets read at start-up back to the slots
//   hold / release      stop / resume taking commands
//   sleep MS            wait
//   closeself           send CLOSEREMOVE and exit
//   exit                exit without a word

#include <QObject>
#include <QString>

#include <memory>
#include <string>

#include "model/photometric_record.h"
#include "sdk/tool_session.h"

class QTimer;
class QWidget;

namespace lumibench {

class Probe : public QObject {
    Q_OBJECT

public:
    Probe(std::unique_ptr<ToolSession> session, QString logPath, QString controlPath, bool hold);
    ~Probe() override;

    // Reads the slots when asked to, shows the window, runs the start-up script.
    void begin(const QString& script);

private:
    void tick();
    void runLine(const std::string& line);
    void log(const std::string& event, const std::string& text);
    void finish(int code);

    std::unique_ptr<ToolSession> session_;
    QString logPath_;
    QString controlPath_;
    bool hold_ = false;
    bool finished_ = false;
    WorkRecordTable records_;
    QTimer* timer_ = nullptr;
    std::unique_ptr<QWidget> window_;
};

}  // namespace lumibench
