// Tool_SaveEXPE: saves the checked data sets to photometric files and tells
// the host, so that its unsaved marks clear and its names follow.

#include <QApplication>

#include "save_window.h"
#include "sdk/tool_start.h"
#include "sdk/window_tool.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto session = lumibench::StartToolOrWarn(argc, argv, "Tool_SaveEXPE");
    if (!session) return 2;

    lumibench::save_tool::SaveWindow window(*session, lumibench::ReadHandedData(*session));
    lumibench::WindowToolDriver driver(*session, window,
                                       {.started = [&] { window.dialogs().runClicks(); },
                                        .markFirstUnsaved = [&] { window.markFirstUnsaved(); },
                                        .removeFile = [&](const std::string& path) { window.forget(path); }});
    window.show();  // the host looks for this title from the start
    return app.exec();
}
