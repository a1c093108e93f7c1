// A child process for the multi-process tests of the platform layer.
//   write STORE WRITER COUNT SIZE  writes COUNT values into section
//                                  "Writer WRITER", printing "ready" first
//   lock FOLDER NAME               prints "held" and keeps the lock until
//                                  standard input closes, or prints "busy"

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
    if (command == "lock" && argc == 4) {
        return Lock(argv[2], argv[3]);
    }
    std::fputs("usage: platform_test_helper write STORE WRITER COUNT SIZE | lock FOLDER NAME\n",
               stderr);
    return 2;
}
