// Tool_ViewPE: polar, cartesian and isocandela diagrams, the luminous opening
// and the tables of up to 25 data sets the host hands over.
//
// LUMIBENCH_VIEW_STATE, when set, names a file that receives a JSON
// description of what the window shows after every change (the data sets,
// the unit, the diagram on screen, whether the window is visible), so that
// scripts and tests can follow the tool without looking at pixels.

#include <QApplication>
#include <QFileInfo>
#include <QStringList>

#include "sdk/data_tool.h"
#include "sdk/tool_guard.h"
#include "sdk/tool_start.h"
#include "sdk/tool_window.h"
#include "view_model.h"
#include "view_window.h"

using namespace lumibench::view;

namespace {

constexpr const char* kActName = "Tool_ViewPE";

}  // namespace

int main(int argc, char** argv) {
    // A failure anywhere (memory for a huge data set, say) is shown, not a crash.
    lumibench::GuardedToolApplication app(argc, argv, kActName);
    return app.run([&] {
        auto session = lumibench::StartToolOrWarn(argc, argv, kActName);
        if (!session) return 2;

        ViewModel model;
        {
            const lumibench::WorkRecordTable handed = lumibench::ReadHandedData(*session);
            app.noteHandedData(handed);
            model.setDataSets(handed);
        }

        // Lengths and illuminance in the units of the host's Global System Settings.
        ViewWindow window(model, LengthUnitFromSetting(session->setting("Lumibench_PE", "InputUnits")),
                          session->setting("Lumibench_PE", "OutputUnits"),
                          QString::fromStdString(session->windowTitle()));
        // The host finds its tools by window title from the start, before Start
        // shows the window.
        window.winId();

        const auto writeState = lumibench::StateFileWriter("LUMIBENCH_VIEW_STATE", [&] {
            QJsonObject state = model.describe(window.unitChoice());
            state.insert("visible", window.isVisible());
            state.insert("diagram", window.currentDiagramName());
            return state;
        });
        QObject::connect(&window, &ViewWindow::changed, writeState);
        // Titled with what it shows, so that two windows of the tool can be told apart.
        const auto retitle = [&] {
            QStringList names;
            for (const auto& dataSet : model.dataSets()) {
                names << QFileInfo(QString::fromStdString(dataSet.record.Filename)).fileName();
            }
            const QString shown = lumibench::ShownTitle(QStringLiteral("View"), names);
            if (window.property(lumibench::kShownTitleProperty).toString() != shown) {
                lumibench::SetToolWindowTitle(window, shown);
            }
        };
        retitle();
        QObject::connect(&window, &ViewWindow::changed, retitle);

        lumibench::DataToolDriver driver(*session, window, lumibench::ModelToolHooks(model, window, writeState));
        writeState();
        return app.exec();
    });
}
