// lumibench_soak_tool: a tool that keeps its host busy for a set time and
// records what came back. Environment:
//   LUMIBENCH_SOAK_LOG    folder for its log, "<section>-<ActName>.log"
//   LUMIBENCH_SOAK_FROM   milliseconds since the epoch from which cycles count
//                         (before it the hosts are still starting their tools,
//                         whose slot writes may overtake a tool's reading)
//   LUMIBENCH_SOAK_UNTIL  milliseconds since the epoch at which it stops
// Its ActName is its file name (the tests link it under the catalogue's
// names). The host loads one file per tool; a tool owns the file at its
// position in the data it was started with, and keeps sending new versions
// of it. Log lines:
//   pid N
//   cycle <sent> <answered> <round trip us> <data sent> <verified> <lost> <mixed> <overtaken>
//   unanswered <verb> <where it stopped>
//   sending <seq> / taken <seq>   around each unsaved new version
//   done

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "exchange/exchange_texts.h"
#include "platform/settings_store.h"
#include "sdk/tool_session.h"

namespace {

using namespace lumibench;
using Clock = std::chrono::steady_clock;

const char* const kToolOrder[] = {"Tool_ViewPE", "Tool_ComparePE", "Tool_TemplatePE", "Tool_RoadReportPE"};

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A data set whose every value tells who wrote it and when: a mixture of two
// writers' slots cannot pass Consistent().
PhotometricRecord Version(PhotometricRecord record, const std::string& actName, int index, int seq) {
    record.LampCount = static_cast<std::int16_t>(seq % 30000);
    record.LumensPerLamp = static_cast<float>(index);
    record.OptionalData = "soak " + actName + " " + std::to_string(seq);
    for (auto& row : record.Candela) {
        for (double& value : row) value = seq * 10.0 + index;
    }
    return record;
}

// Who wrote `record` and when; false for data no soak tool wrote.
bool Signature(const PhotometricRecord& record, std::string& actName, int& seq) {
    if (record.OptionalData.rfind("soak ", 0) != 0) return false;
    const std::size_t blank = record.OptionalData.rfind(' ');
    actName = record.OptionalData.substr(5, blank - 5);
    seq = std::atoi(record.OptionalData.c_str() + blank + 1);
    return true;
}

bool Consistent(const PhotometricRecord& record) {
    std::string actName;
    int seq = 0;
    if (!Signature(record, actName, seq)) return true;
    int index = -1;
    for (int i = 0; i < 4; ++i) {
        if (actName == kToolOrder[i]) index = i;
    }
    if (index < 0 || record.LampCount != seq % 30000 || record.LumensPerLamp != static_cast<float>(index)) return false;
    for (const auto& row : record.Candela) {
        for (double value : row) {
            if (value != seq * 10.0 + index) return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string actName = argv[0];
    actName = actName.substr(actName.rfind('/') + 1);
    std::string error;
    auto session = ToolSession::Start(argc, argv, actName, &error);
    if (!session) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    const char* folder = std::getenv("LUMIBENCH_SOAK_LOG");
    const char* until = std::getenv("LUMIBENCH_SOAK_UNTIL");
    const long long stopAt = until ? std::atoll(until) : NowMs() + 10000;
    const char* from = std::getenv("LUMIBENCH_SOAK_FROM");
    const long long countFrom = from ? std::atoll(from) : 0;
    std::string section = session->commandLine().section;
    for (char& c : section) {
        if (c == ' ') c = '_';
    }
    std::ofstream log(std::string(folder ? folder : ".") + "/" + section + "-" + actName + ".log", std::ios::app);
    log << "pid " << ::getpid() << std::endl;

    WorkRecordTable start;
    session->readData(start, error);
    int index = 0;
    for (int i = 0; i < 4; ++i) {
        if (actName == kToolOrder[i]) index = i;
    }
    const std::string hostKey = session->commandLine().hostKey;

    // Sends, taking this tool's own commands meanwhile so that the host's
    // broadcasts never wait on it; false when the host never took the key.
    const auto send = [&](const std::string& verb, std::optional<ToolCommand>* reply,
                          ToolCommand::Kind wanted) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!session->sendToHost(verb, {}, std::chrono::milliseconds(20))) {
            session->takeCommand();
            if (Clock::now() > deadline) {
                log << "unanswered " << verb << " never taken" << std::endl;
                return false;
            }
        }
        const std::string text = verb + "," + actName + "," + session->commandLine().instanceId;
        while (Clock::now() < deadline) {
            auto command = session->takeCommand();
            if (reply != nullptr) {
                if (command && command->kind == wanted) {
                    *reply = command;
                    return true;
                }
            } else if (session->store().read(kExchangeApp, session->commandLine().section, hostKey) != text) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        log << "unanswered " << verb << " taken, no answer" << std::endl;
        return false;
    };

    // Another tool of the host may have written the slots between the host's
    // start-up write and this tool's reading: the host's list is asked for then.
    if (static_cast<std::size_t>(index) >= start.size()) {
        log << "startoverlap " << start.size() << std::endl;
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (start.size() != 4 && Clock::now() < deadline) {
            if (send(std::string(verbs::kRefreshData), nullptr, ToolCommand::Kind::Unknown)) {
                session->readData(start, error);
            }
        }
        if (start.size() != 4) {
            log << "nodata " << start.size() << std::endl;
            return 3;
        }
    }
    const PhotometricRecord mine = start[static_cast<std::size_t>(index)];

    int seq = 0;
    while (NowMs() < stopAt) {
        const bool counted = NowMs() >= countFrom;
        long sent = 0, answered = 0, dataSent = 0, verified = 0, lost = 0, mixed = 0, overtaken = 0;
        long long roundTrip = -1;

        // A question the host answers.
        const auto asked = Clock::now();
        std::optional<ToolCommand> reply;
        ++sent;
        if (send(std::string(verbs::kRefreshLoadedCount), &reply, ToolCommand::Kind::LoadedCount)) {
            ++answered;
            roundTrip = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - asked).count();
        }

        // A new version of this tool's file, then the host's list back.
        ++seq;
        if (session->writeData({Version(mine, actName, index, seq)}) == 1) {
            ++sent;
            log << "sending " << seq << std::endl;
            if (send("SENDNEWDATA*", nullptr, ToolCommand::Kind::Unknown)) {
                log << "taken " << seq << std::endl;
                ++answered;
                ++dataSent;
            }
        }
        ++sent;
        if (send(std::string(verbs::kRefreshData), nullptr, ToolCommand::Kind::Unknown)) {
            ++answered;
            WorkRecordTable read;
            session->readData(read, error);
            for (const PhotometricRecord& record : read) mixed += Consistent(record) ? 0 : 1;
            if (read.size() == 4) {  // the host's checked files, not another tool's data set
                std::string writer;
                int readSeq = 0;
                if (Signature(read[static_cast<std::size_t>(index)], writer, readSeq) && writer == actName &&
                    readSeq == seq) {
                    ++verified;
                } else {
                    ++lost;
                    if (counted) log << "lost " << seq << " read " << writer << ' ' << readSeq;
                    for (const PhotometricRecord& record : read) if (counted) log << " | " << record.OptionalData;
                    if (counted) log << std::endl;
                }
            } else {
                ++overtaken;
            }
        }
        if (counted) log << "cycle " << sent << ' ' << answered << ' ' << roundTrip << ' ' << dataSent << ' ' << verified << ' '
            << lost << ' ' << mixed << ' ' << overtaken << std::endl;
    }
    session->sendToHost(std::string(verbs::kCloseRemove), {}, std::chrono::seconds(2));
    log << "done" << std::endl;
    return 0;
}
