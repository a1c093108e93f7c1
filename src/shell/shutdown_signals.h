#pragma once
// SIGTERM, SIGINT and SIGHUP (logout, kill, a closed terminal) end the host
// through its event loop, as a close of the main window, instead of killing
// it on the spot with its layout unsaved, its section marked active and its
// tools left running.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace lumibench {

class ShutdownSignals : public QObject {
    Q_OBJECT

public:
    // `onSignal` runs on the event loop once per signal received. One object
    // at a time; the default handling comes back when it is destroyed.
    explicit ShutdownSignals(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
    ~ShutdownSignals() override;

private:
    void drain();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace lumibench
