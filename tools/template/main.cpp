// Tool_TemplatePE: makes new data sets from parametric luminaire models and
// sends them to the host as unsaved new data.

#include <QApplication>

#include "sdk/tool_start.h"
#include "sdk/window_tool.h"
#include "template_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto session = lumibench::StartToolOrWarn(argc, argv, "Tool_TemplatePE");
    if (!session) return 2;
    // Global System Settings: "InputUnits" 0 feet (the default), 2 metres.
    const bool feet = session->setting("Lumibench_PE", "InputUnits", "0") != "2";

    lumibench::template_tool::TemplateWindow window(*session, feet);
    lumibench::WindowToolHooks hooks;
    hooks.started = [&] { window.dialogs().runClicks(); };
    lumibench::WindowToolDriver driver(*session, window, hooks);
    window.show();
    return app.exec();
}
