// Tool_ComparePE: two or more data sets side by side, with overlaid polar and
// cartesian diagrams, a table of their figures against a reference, and a
// map of their intensity over the reference's.
//
// LUMIBENCH_COMPARE_STATE, when set, names a file that receives a JSON
// description of what the window shows after every change (the data sets,
// the reference, the unit, the figures, the tab on screen, whether the window
// is visible), so that scripts and tests can follow the tool without looking
// at pixels.

#include <QApplication>
#include <QJsonDocument>
#include <QSaveFile>

#include "compare_model.h"
#include "compare_window.h"
#include "sdk/data_tool.h"
#include "sdk/tool_session.h"

using namespace lumibench::compare;

namespace {

constexpr const char* kActName = "Tool_ComparePE";

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string error;
    auto session = lumibench::ToolSession::Start(argc, argv, kActName, &error);
    if (!session) {
        qWarning("%s", error.c_str());
        return 2;
    }

    // The host rewrites the slots for the next tool soon: read them first.
    CompareModel model;
    if (session->commandLine().takesData) {
        lumibench::WorkRecordTable records;
        session->readData(records, error);
        model.setDataSets(records);
    }

    CompareWindow window(model, QString::fromStdString(session->windowTitle()));
    // The host finds its tools by window title from the start, before Start
    // shows the window.
    window.winId();

    const QString statePath = qEnvironmentVariable("LUMIBENCH_COMPARE_STATE");
    auto writeState = [&] {
        if (statePath.isEmpty()) return;
        QJsonObject state = model.describe(window.unitChoice());
        state.insert("visible", window.isVisible());
        state.insert("tab", window.currentTabName());
        QSaveFile file(statePath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QJsonDocument(state).toJson());
            file.commit();
        }
    };
    QObject::connect(&window, &CompareWindow::changed, writeState);

    lumibench::DataToolDriver driver(*session, window,
                                     {.markFirstUnsaved = [&] { model.markFirstUnsaved(); },
                                      .takeRefreshed = [&](const lumibench::WorkRecordTable& records) {
                                          return model.takeRefreshed(records) > 0;
                                      },
                                      .removeFile = [&](const std::string& path) { return model.removeFile(path) > 0; },
                                      .dataChanged = [&] { window.refresh(); },
                                      .shown = writeState});
    writeState();
    return app.exec();
}
