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
#include <QFileInfo>
#include <QStringList>

#include "compare_model.h"
#include "compare_window.h"
#include "sdk/data_tool.h"
#include "sdk/tool_start.h"
#include "sdk/tool_window.h"

using namespace lumibench::compare;

namespace {

constexpr const char* kActName = "Tool_ComparePE";

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto session = lumibench::StartToolOrWarn(argc, argv, kActName);
    if (!session) return 2;

    CompareModel model;
    model.setDataSets(lumibench::ReadHandedData(*session));

    CompareWindow window(model, QString::fromStdString(session->windowTitle()));
    // The host finds its tools by window title from the start, before Start
    // shows the window.
    window.winId();

    const auto writeState = lumibench::StateFileWriter("LUMIBENCH_COMPARE_STATE", [&] {
        QJsonObject state = model.describe(window.unitChoice());
        state.insert("visible", window.isVisible());
        state.insert("tab", window.currentTabName());
        return state;
    });
    QObject::connect(&window, &CompareWindow::changed, writeState);
    // Titled with what it shows, so that two windows of the tool can be told apart.
    const auto retitle = [&] {
        QStringList names;
        for (const auto& dataSet : model.dataSets()) names << QFileInfo(QString::fromStdString(dataSet.record.Filename)).fileName();
        const QString shown = lumibench::ShownTitle(QStringLiteral("Compare"), names);
        if (window.property(lumibench::kShownTitleProperty).toString() != shown) lumibench::SetToolWindowTitle(window, shown);
    };
    retitle();
    QObject::connect(&window, &CompareWindow::changed, retitle);

    lumibench::DataToolDriver driver(*session, window, lumibench::ModelToolHooks(model, window, writeState));
    writeState();
    return app.exec();
}
