// lumibench_probe: a tool program for the integration tests (see probe.h).

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "probe.h"

int main(int argc, char** argv) {
    // Without a display the probe still runs, with an offscreen window.
    if (qgetenv("QT_QPA_PLATFORM").isEmpty() && qgetenv("DISPLAY").isEmpty() &&
        qgetenv("WAYLAND_DISPLAY").isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QString actName = qEnvironmentVariable("LUMIBENCH_PROBE_ACTNAME");
    if (actName.isEmpty()) actName = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();

    std::string error;
    auto session = lumibench::ToolSession::Start(argc, argv, actName.toStdString(), &error);
    if (!session) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    lumibench::Probe probe(std::move(session), qEnvironmentVariable("LUMIBENCH_PROBE_LOG"),
                           qEnvironmentVariable("LUMIBENCH_PROBE_CONTROL"),
                           qEnvironmentVariable("LUMIBENCH_PROBE_HOLD") == QLatin1String("1"));
    const QString script = qEnvironmentVariable("LUMIBENCH_PROBE_SCRIPT");
    QTimer::singleShot(0, &probe, [&probe, script] { probe.begin(script); });
    return app.exec();
}
