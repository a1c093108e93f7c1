#pragma once
// The host's commands for a tool that shows the data sets it was handed
// (ToolType 2): the window placed on "MoveWin" and shown on "Start", the
// data refreshed after "DataChanged", a file's data sets dropped on
// "DeleteFile", the first one marked on "Unsaved", the program ended on
// "Close"; and "CLOSEREMOVE" sent when the user closes the window.

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>
#include <utility>

#include "model/photometric_record.h"

class QWidget;

namespace lumibench {

class ToolSession;

struct DataToolHooks {
    std::function<void()> markFirstUnsaved;
    // The host's refreshed slots; returns whether anything shown changed.
    std::function<bool(const WorkRecordTable&)> takeRefreshed;
    // Returns whether a data set was dropped.
    std::function<bool(const std::string& path)> removeFile;
    // After any of the three above changed the data sets.
    std::function<void()> dataChanged;
    // After the window was shown.
    std::function<void()> shown;
};

// The hooks of a tool whose data sets live in `model` (markFirstUnsaved(), and
// takeRefreshed(records) and removeFile(path) counting the data sets they
// changed) and whose `window` redraws them on refresh().
template <class Model, class Window>
DataToolHooks ModelToolHooks(Model& model, Window& window, std::function<void()> shown) {
    return {.markFirstUnsaved = [&model] { model.markFirstUnsaved(); },
            .takeRefreshed = [&model](const WorkRecordTable& records) { return model.takeRefreshed(records) > 0; },
            .removeFile = [&model](const std::string& path) { return model.removeFile(path) > 0; },
            .dataChanged = [&window] { window.refresh(); },
            .shown = std::move(shown)};
}

class DataToolDriver : public QObject {
public:
    // Polls `session`'s mailbox from now on. `window` is the tool's one
    // top-level window; it is shown on Start, or after a few seconds when no
    // Start comes (a tool started by hand).
    DataToolDriver(ToolSession& session, QWidget& window, DataToolHooks hooks);

private:
    void poll();

    ToolSession& session_;
    QWidget& window_;
    DataToolHooks hooks_;
    QTimer mailbox_;
    QTimer refreshTimeout_;
    bool handling_ = false;  // sendToHost runs the event loop while it waits
    bool awaitingRefresh_ = false;
};

}  // namespace lumibench
