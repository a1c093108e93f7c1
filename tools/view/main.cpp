// Tool_ViewPE: polar, cartesian and isocandela diagrams, the luminous opening
// and the tables of up to 25 data sets the host hands over.
//
// LUMIBENCH_VIEW_STATE, when set, names a file that receives a JSON
// description of what the window shows after every change (the data sets,
// the unit, the diagram on screen, whether the window is visible), so that
// scripts and tests can follow the tool without looking at pixels.

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include "sdk/data_tool.h"
#include "sdk/tool_session.h"
#include "view_model.h"
#include "view_window.h"

using namespace lumibench::view;

namespace {

constexpr const char* kActName = "Tool_ViewPE";

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
    ViewModel model;
    if (session->commandLine().takesData) {
        lumibench::WorkRecordTable records;
        session->readData(records, error);
        model.setDataSets(records);
    }

    // Lengths and illuminance in the units of the host's Global System Settings.
    ViewWindow window(model, LengthUnitFromSetting(session->setting("Lumibench_PE", "InputUnits")),
                      session->setting("Lumibench_PE", "OutputUnits"), QString::fromStdString(session->windowTitle()));
    // The host finds its tools by window title from the start, before Start
    // shows the window.
    window.winId();

    const QString statePath = qEnvironmentVariable("LUMIBENCH_VIEW_STATE");
    auto writeState = [&] {
        if (statePath.isEmpty()) return;
        QJsonObject state = model.describe(window.unitChoice());
        state.insert("visible", window.isVisible());
        state.insert("diagram", window.currentDiagramName());
        QSaveFile file(statePath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QJsonDocument(state).toJson());
            file.commit();
        }
    };
    QObject::connect(&window, &ViewWindow::changed, writeState);

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
