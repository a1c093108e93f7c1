// Tool_ConvertPE: turns, mirrors and rescales the checked data sets and sends
// them back to the host as unsaved data, under their own names or new ones.

#include <QApplication>

#include "convert_window.h"
#include "sdk/tool_start.h"
#include "sdk/window_tool.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto session = lumibench::StartToolOrWarn(argc, argv, "Tool_ConvertPE");
    if (!session) return 2;

    lumibench::convert_tool::ConvertWindow window(*session, lumibench::ReadHandedData(*session));
    lumibench::WindowToolDriver driver(*session, window,
                                       {.started = [&] { window.dialogs().runClicks(); },
                                        .markFirstUnsaved = [] {},  // whatever it sends back is unsaved anyway
                                        .removeFile = [&](const std::string& path) { window.forget(path); }});
    window.show();  // the host looks for this title from the start
    return app.exec();
}
