// A stand-in tool program for the launcher tests: records how it was started,
// then shows a window titled with its own file name (its ActName) until it is
// ended, or until a minute has passed so that nothing outlives a failed test.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    std::string name = argv[0];
    name = name.substr(name.find_last_of('/') + 1);
    if (const char* record = std::getenv("TOOLHOST_FAKE_TOOL_RECORD")) {
        // One append per start, so that parallel instances do not interleave.
        std::string line = name + "\t" + std::to_string(argc) + "\t" + (argc > 1 ? argv[1] : "") +
                           "\t" + std::to_string(::getpid()) + "\n";
        const int fd = ::open(record, O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0) {
            [[maybe_unused]] ssize_t written = ::write(fd, line.data(), line.size());
            ::close(fd);
        }
    }
    if (std::getenv("TOOLHOST_FAKE_TOOL_EXIT")) return 0;
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QString::fromStdString(name));
    window.resize(200, 100);
    window.show();
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}
