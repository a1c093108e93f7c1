// A child process for the multi-process tests of the platform layer.
//   write STORE WRITER COUNT SIZE  writes COUNT values into section
//                                  "Writer WRITER", printing "ready" first
//   lock FOLDER NAME               prints "held" and keeps the lock until
//                                  standard input closes, or prints "busy"
//   post STORE COUNT               writes 1 to COUNT into one mailbox, each
//                                  over whatever is there (as a sender that
//                                  timed out does), and prints every value it
//                                  replaced before anyone took it

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/instance_lock.h"
#include "platform/sqlite_settings_store.h"
#include "value_pattern.h"

namespace {

long Number(const char* text) {
    long value = 0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

void Say(const char* line) {
    std::puts(line);
    std::fflush(stdout);
}

int Write(const char* file, int writer, int count, std::size_t size) {
    auto store = lumibench::SqliteSettingsStore::Open(file);
    if (store == nullptr) {
        return 3;
    }
    Say("ready");
    for (int i = 0; i < count; ++i) {
        if (!store->write("Test", lumibench::testing::PatternSection(writer),
                          lumibench::testing::PatternKey(i),
                          lumibench::testing::PatternValue(writer, i, size))) {
            std::fprintf(stderr, "write %d failed: %s\n", i, store->lastError().c_str());
            return 4;
        }
    }
    return 0;
}

// Each write learns in its own transaction what it replaced, so a value
// is either replaced here, taken by the reader, or still there at the end.
int Post(const char* file, int count) {
    auto store = lumibench::SqliteSettingsStore::Open(file);
    if (store == nullptr) {
        return 3;
    }
    Say("ready");
    for (int i = 1; i <= count; ++i) {
        lumibench::SettingsBatch batch(*store);
        if (!batch.grouped()) {
            std::fprintf(stderr, "no transaction: %s\n", store->lastError().c_str());
            return 4;
        }
        const std::string replaced = store->read("Test", "Mailbox", "Host");
        if (!store->write("Test", "Mailbox", "Host", std::to_string(i)) || !batch.end()) {
            std::fprintf(stderr, "write %d failed: %s\n", i, store->lastError().c_str());
            return 4;
        }
        if (!replaced.empty()) std::printf("%s\n", replaced.c_str());
    }
    return 0;
}

int Lock(const char* folder, const char* name) {
    lumibench::InstanceLock lock(folder);
    if (!lock.tryAcquire(name)) {
        Say("busy");
        return 1;
    }
    Say("held");
    while (std::getchar() != EOF) {
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 6) {
        return Write(argv[2], static_cast<int>(Number(argv[3])), static_cast<int>(Number(argv[4])),
                     static_cast<std::size_t>(Number(argv[5])));
    }
    if (command == "post" && argc == 4) {
        return Post(argv[2], static_cast<int>(Number(argv[3])));
    }
    if (command == "lock" && argc == 4) {
        return Lock(argv[2], argv[3]);
    }
    std::fputs("usage: platform_test_helper write STORE WRITER COUNT SIZE | lock FOLDER NAME | post STORE COUNT\n",
               stderr);
    return 2;
}
