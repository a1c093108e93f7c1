#include "platform/pause.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cmath>
#include <thread>

namespace lumibench {

void Pause(std::chrono::milliseconds duration) {
    const qint64 limit = duration.count();
    QElapsedTimer clock;
    clock.start();
    if (QCoreApplication::instance() == nullptr) {
        std::this_thread::sleep_for(duration + std::chrono::milliseconds(1));
        return;
    }
    // The timer only wakes the wait at the deadline; without it the wait
    // for more events could outlast the pause.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!clock.hasExpired(limit)) {
        if (!wake.isActive()) {
            wake.start(static_cast<int>(std::max<qint64>(1, limit - clock.elapsed() + 1)));
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void Pause(int milliseconds) { Pause(std::chrono::milliseconds(std::max(0, milliseconds))); }

void PauseSeconds(double seconds) {
    if (!(seconds > 0)) {
        Pause(0);
        return;
    }
    // About 24 days is the longest a timer takes; a larger setting is a typo.
    const double limit = std::min(seconds * 1000.0, 2.0e9);
    Pause(std::chrono::milliseconds(static_cast<long long>(std::ceil(limit))));
}

}  // namespace lumibench
