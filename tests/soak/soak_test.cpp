// Two hosts with four tools each on one store for a minute (longer with
// LUMIBENCH_SOAK_SECONDS): every command answered, every data set arrives
// whole and unmixed; one host is killed at a random moment, the store stays
// sound, every data set the killed hosts held unsaved is offered at the next
// start (also after a host killed while it asks), and the next host works.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "exchange/exchange_records.h"
#include "exchange/host_process.h"
#include "platform/instance_lock.h"
#include "platform/sqlite_settings_store.h"
#include "shell/recovery_file.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace lumibench {
namespace {

const char* const kTools[] = {"Tool_ViewPE", "Tool_ComparePE", "Tool_TemplatePE", "Tool_RoadReportPE"};
const char* const kLetters[] = {"/V", "/C", "/T", "/R"};
const char* const kSamples[] = {"downlight.ies", "wall_washer.ies", "floodlight_type_b.ies",
                                "street_light_absolute.ies"};

// A process that has ended but not been reaped yet counts as gone.
bool Running(long long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct Figures {
    long sent = 0, answered = 0, dataSent = 0, verified = 0, lost = 0, mixed = 0, overtaken = 0;
    std::vector<long long> roundTrips;  // microseconds
    std::vector<long long> pids;
    std::set<std::string> losses;
    int toolsDone = 0;
    int startOverlaps = 0;  // tools whose start-up slots another tool had rewritten

    void add(const fs::path& log) {
        std::ifstream in(log);
        std::string word;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            fields >> word;
            if (word == "pid") {
                long long pid = 0;
                fields >> pid;
                pids.push_back(pid);
            } else if (word == "lost" || word == "unanswered") {
                losses.insert(log.filename().string() + ": " + line);
            } else if (word == "startoverlap") {
                ++startOverlaps;
            } else if (word == "done") {
                ++toolsDone;
            } else if (word == "cycle") {
                long s, a, d, v, l, m, o;
                long long rt;
                fields >> s >> a >> rt >> d >> v >> l >> m >> o;
                sent += s, answered += a, dataSent += d, verified += v, lost += l, mixed += m, overtaken += o;
                if (rt >= 0) roundTrips.push_back(rt);
            }
        }
    }
    long long percentile(double p) {
        if (roundTrips.empty()) return -1;
        std::sort(roundTrips.begin(), roundTrips.end());
        return roundTrips[std::min(roundTrips.size() - 1, static_cast<std::size_t>(p * roundTrips.size()))];
    }
};

// Per tool (ActName), the version of its file it last handed its host as
// unsaved: the one the host took, and the one sent after it, which a host
// killed before its answer may or may not have kept.
struct Handed {
    int taken = 0;
    int sending = 0;
};
std::map<std::string, Handed> HandedUnsaved(const fs::path& logs) {
    std::map<std::string, Handed> handed;
    for (const auto& entry : fs::directory_iterator(logs)) {
        const std::string name = entry.path().stem().string();
        Handed& tool = handed[name.substr(name.find("-Tool_") + 1)];
        std::ifstream in(entry.path());
        std::string word;
        int seq = 0;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            if (!(fields >> word >> seq)) continue;
            if (word == "sending") tool.sending = seq;
            if (word == "taken") tool.taken = seq;
        }
    }
    return handed;
}

// The versions kept for recovery under one host's section, per writing tool.
std::multimap<std::string, int> KeptVersions(const fs::path& recovery, const std::string& section) {
    std::multimap<std::string, int> kept;
    auto store = SqliteSettingsStore::Open(recovery);
    if (!store) return kept;
    WorkRecordTable records;
    std::string error;
    ReadExchangeRecords(*store, section, records, error);
    for (const PhotometricRecord& record : records) {
        std::istringstream signature(record.OptionalData);
        std::string soak, actName;
        int seq = -1;
        signature >> soak >> actName >> seq;
        kept.emplace(actName, seq);
    }
    return kept;
}

// Every data set the host held unsaved is kept, once, in the version it held.
void ExpectKeptAsHeld(const fs::path& recovery, const std::string& section, const fs::path& logs) {
    SCOPED_TRACE(section);
    const std::map<std::string, Handed> handed = HandedUnsaved(logs);
    const std::multimap<std::string, int> kept = KeptVersions(recovery, section);
    for (const auto& [tool, versions] : handed) {
        SCOPED_TRACE(tool);
        if (versions.sending == 0) continue;  // nothing sent yet
        EXPECT_LE(kept.count(tool), 1u);
        const auto found = kept.find(tool);
        if (found == kept.end()) {
            EXPECT_EQ(versions.taken, 0) << "lost: the host took version " << versions.taken;
            continue;
        }
        EXPECT_TRUE(found->second == versions.taken || found->second == versions.sending)
            << "kept version " << found->second << ", taken " << versions.taken << ", sent " << versions.sending;
    }
    for (const auto& [tool, seq] : kept) EXPECT_TRUE(handed.count(tool)) << tool << " " << seq;
}

// Whether process `pid` holds the flock of `file` (from /proc/locks, so the
// look takes nothing from the holder).
bool HoldsFlock(long long pid, const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return false;
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, advisory, mode, device;
        long long holder = 0;
        if (!(fields >> number >> kind >> advisory >> mode >> holder >> device) || kind != "FLOCK") continue;
        if (holder == pid && device.substr(device.rfind(':') + 1) == std::to_string(info.st_ino)) return true;
    }
    return false;
}

class Soak : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(LUMIBENCH_HOST) || !fs::exists(LUMIBENCH_SOAK_TOOL)) GTEST_SKIP() << "not built";
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString();
        fs::create_directories(root_ / "tools");
        std::ofstream ini(root_ / "machine.ini");
        ini << "[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\n";
        for (int k = 0; k < 4; ++k) {
            fs::create_symlink(LUMIBENCH_SOAK_TOOL, root_ / "tools" / kTools[k]);
            ini << "ToolActName" << k + 1 << "=" << kTools[k] << "\nToolPath" << k + 1 << "="
                << (root_ / "tools").string() << "\nToolType" << k + 1 << "=2\nToolMaxFiles" << k + 1 << "=25\n";
        }
        ini.close();
        for (const char* sample : kSamples) {
            fs::copy_file(fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples" / sample, root_ / sample);
        }
        auto store = SqliteSettingsStore::Open(root_ / "settings.sqlite3");
        ASSERT_NE(store, nullptr);
        store->write("Lumibench_PE", "Startup", "WelcomeForm", "False");
    }
    void TearDown() override {
        for (auto& host : hosts_) {
            host->kill();
            host->waitForFinished(5000);
        }
        for (long long pid : pids_) ::kill(static_cast<pid_t>(pid), SIGKILL);
    }

    // A host with the four files and, per letter, one tool started from its command line.
    QProcess& startHost(const fs::path& logs, long long from, long long until, int tools) {
        fs::create_directories(logs);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LUMIBENCH_SETTINGS", QString::fromStdString(root_ / "settings.sqlite3"));
        env.insert("LUMIBENCH_MACHINE_CONFIG", QString::fromStdString(root_ / "machine.ini"));
        env.insert("XDG_DATA_HOME", QString::fromStdString(root_ / "data"));
        env.insert("LUMIBENCH_SOAK_LOG", QString::fromStdString(logs));
        env.insert("LUMIBENCH_SOAK_FROM", QString::number(from));
        env.insert("LUMIBENCH_SOAK_UNTIL", QString::number(until));
        QStringList arguments;
        for (const char* sample : kSamples) arguments << QString::fromStdString(root_ / sample);
        for (int k = 0; k < tools; ++k) arguments << kLetters[k];
        auto& host = hosts_.emplace_back(std::make_unique<QProcess>());
        host->setProcessEnvironment(env);
        host->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        host->start(LUMIBENCH_HOST, arguments);
        EXPECT_TRUE(host->waitForStarted(10000));
        return *host;
    }

    // Waits until every log in `logs` has said "done" or the deadline passes.
    Figures collect(const fs::path& logs, int tools, long long deadlineMs) {
        Figures figures;
        while (true) {
            figures = {};
            int files = 0;
            for (const auto& entry : fs::directory_iterator(logs)) {
                figures.add(entry.path());
                ++files;
            }
            if ((files == tools && figures.toolsDone == tools) || NowMs() > deadlineMs) break;
            std::this_thread::sleep_for(200ms);
        }
        pids_.insert(pids_.end(), figures.pids.begin(), figures.pids.end());
        return figures;
    }

    QTemporaryDir dir_;
    fs::path root_;
    std::vector<std::unique_ptr<QProcess>> hosts_;
    std::vector<long long> pids_;
};

TEST_F(Soak, TwoHostsEightToolsLoseNothingAndSurviveAKilledHost) {
    const char* seconds = std::getenv("LUMIBENCH_SOAK_SECONDS");
    const int duration = seconds ? std::max(5, std::atoi(seconds)) : 60;
    // Cycles count once both hosts have started their tools; every tool stops
    // at the same moment.
    const long long from = NowMs() + 10000;
    const long long until = from + duration * 1000LL;
    QProcess& first = startHost(root_ / "logs1", from, until, 4);
    std::this_thread::sleep_for(1s);  // the first takes "Data Exchange", the second the next section
    QProcess& second = startHost(root_ / "logs2", from, until, 4);
    const auto firstTicks = ProcessStartTicks(first.processId());
    const auto secondTicks = ProcessStartTicks(second.processId());
    ASSERT_TRUE(firstTicks && secondTicks);
    const std::string firstSection = RecoverySectionFor(first.processId(), *firstTicks);
    const std::string secondSection = RecoverySectionFor(second.processId(), *secondTicks);
    const fs::path recovery = RecoveryFilePath(root_ / "data" / "Lumibench");

    // The second host dies at a random moment of the run, and its tools with it.
    std::mt19937 random(std::random_device{}());
    const long long killAt = until - duration * 1000LL + static_cast<long long>(
        std::uniform_real_distribution<double>(0.3, 0.8)(random) * duration * 1000);
    while (NowMs() < killAt) std::this_thread::sleep_for(50ms);
    ::kill(static_cast<pid_t>(second.processId()), SIGKILL);
    second.waitForFinished(5000);
    // The dead host's tools must end by themselves within two seconds.
    Figures killed = collect(root_ / "logs2", 4, NowMs());
    const long long orphanDeadline = NowMs() + 2000;
    std::vector<long long> orphans = killed.pids;
    while (!orphans.empty() && NowMs() < orphanDeadline) {
        std::erase_if(orphans, [](long long pid) { return !Running(pid); });
        std::this_thread::sleep_for(20ms);
    }
    for (long long pid : orphans) ::kill(static_cast<pid_t>(pid), SIGKILL);
    EXPECT_TRUE(orphans.empty()) << orphans.size() << " tools outlived their killed host by two seconds";
    std::cout << "[soak] host 2 killed after " << (killAt - (until - duration * 1000LL)) / 1000.0 << " s; "
              << killed.pids.size() << " of its tools, " << orphans.size() << " still running 2 s later\n";

    Figures survivors = collect(root_ / "logs1", 4, until + 20000);
    std::this_thread::sleep_for(200ms);
    killed = collect(root_ / "logs2", 4, NowMs());
    first.kill();
    first.waitForFinished(5000);

    Figures all = survivors;
    all.sent += killed.sent, all.answered += killed.answered, all.dataSent += killed.dataSent;
    all.verified += killed.verified, all.lost += killed.lost, all.mixed += killed.mixed;
    all.overtaken += killed.overtaken;
    all.roundTrips.insert(all.roundTrips.end(), killed.roundTrips.begin(), killed.roundTrips.end());
    std::cout << "[soak] " << duration << " s, 2 hosts, 8 tools: commands sent " << all.sent << ", answered "
              << all.answered << "; round trip p50 " << all.percentile(0.5) / 1000.0 << " ms, p99 "
              << all.percentile(0.99) / 1000.0 << " ms, max " << all.percentile(1.0) / 1000.0
              << " ms; data sets sent " << all.dataSent << ", arrived (seen in the host's list) " << all.verified
              << ", lost " << all.lost << ", mixed reads " << all.mixed << ", reads overtaken by another tool "
              << all.overtaken << "; tools whose start-up slots another tool rewrote "
              << survivors.startOverlaps + killed.startOverlaps << std::endl;

    for (const auto& loss : survivors.losses) std::cout << "[soak] " << loss << "\n";
    for (const auto& loss : killed.losses) std::cout << "[soak] " << loss << "\n";
    EXPECT_EQ(survivors.toolsDone, 4);
    EXPECT_GT(all.sent, 0);
    EXPECT_EQ(all.answered, all.sent);
    EXPECT_EQ(all.mixed, 0);
    EXPECT_EQ(all.lost, 0);
    EXPECT_GT(all.verified, 0);

    auto store = SqliteSettingsStore::Open(root_ / "settings.sqlite3");
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->integrityCheck(), "ok");
    store.reset();

    // Both hosts died by kill -9: what each held unsaved is offered at the next start.
    ExpectKeptAsHeld(recovery, secondSection, root_ / "logs2");
    ExpectKeptAsHeld(recovery, firstSection, root_ / "logs1");
    const RecoveredRecords offered = ReadRecoveredRecords(recovery);
    EXPECT_EQ(std::set<std::string>(offered.sections.begin(), offered.sections.end()),
              (std::set<std::string>{firstSection, secondSection}));
    EXPECT_EQ(offered.records.size(), KeptVersions(recovery, firstSection).size() +
                                          KeptVersions(recovery, secondSection).size());
    EXPECT_GT(offered.records.size(), 0u);

    // A host killed while it asks about them leaves them all for the start after.
    QProcess& asking = startHost(root_ / "logs-asking", NowMs(), NowMs() + 6000, 1);
    const fs::path questionLock = InstanceLock::FileFor(recovery.parent_path(), kRecoveryQuestionLock);
    const long long askDeadline = NowMs() + 30000;
    while (!HoldsFlock(asking.processId(), questionLock) && NowMs() < askDeadline) std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(HoldsFlock(asking.processId(), questionLock)) << "the next host did not ask";
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 500)(random)));
    ::kill(static_cast<pid_t>(asking.processId()), SIGKILL);
    asking.waitForFinished(5000);
    const RecoveredRecords stillOffered = ReadRecoveredRecords(recovery);
    EXPECT_EQ(stillOffered.records, offered.records);
    // The user's "No" at last: the next host starts without the question.
    EXPECT_TRUE(RemoveRecoveredSections(recovery, stillOffered.sections));

    // The next host on the same store works: its tool's questions are answered.
    startHost(root_ / "logs3", NowMs(), NowMs() + 6000, 1);
    const Figures next = collect(root_ / "logs3", 1, NowMs() + 30000);
    EXPECT_EQ(next.toolsDone, 1);
    EXPECT_GT(next.answered, 0);
    EXPECT_EQ(next.answered, next.sent);
    EXPECT_EQ(next.lost + next.mixed, 0);
}

}  // namespace
}  // namespace lumibench
