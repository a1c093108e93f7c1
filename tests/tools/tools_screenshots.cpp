// Saves pictures of the Template, Save and Convert tools' windows, for the README.
// Usage: tools_screenshots <output folder> (run under Xvfb for real fonts).

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPainter>

#include "convert_window.h"
#include "core/message_sink.h"
#include "platform/settings_store.h"
#include "formats/load_dispatch.h"
#include "save_window.h"
#include "template_window.h"

using namespace lumibench;

namespace {

// No window manager, no title bar: the caption is drawn above the window.
bool Save(QWidget& window, const QString& file) {
    window.show();
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    const QPixmap body = window.grab();
    QImage shot(body.width(), body.height() + 28, QImage::Format_RGB32);
    shot.fill(QColor(52, 66, 86));
    QPainter painter(&shot);
    painter.setPen(Qt::white);
    painter.drawText(QRect(10, 0, body.width() - 20, 28), Qt::AlignVCenter, window.windowTitle());
    painter.drawPixmap(0, 28, body);
    painter.end();
    return shot.save(file);
}

PhotometricRecord Sample(const char* name) {
    std::string path = std::string(LUMIBENCH_SOURCE_DIR) + "/data/samples/" + name;
    WorkRecordTable work;
    SilentMessageSink sink;
    ReaderContext context{work, sink, QDir::tempPath().toStdString()};
    ReaderMessages messages;
    ReaderForExtension(path.substr(path.rfind('.')))->reader(path, messages, true, context);
    return work.front();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? argv[1] : ".";
    MemorySettingsStore store;
    ToolCommandLine line;
    line.hostKey = "LumibenchPE";
    line.instanceId = "1";
    line.section = "Data Exchange";

    ToolSession templateSession(store, line, "Tool_TemplatePE");
    template_tool::TemplateWindow templateWindow(templateSession, false);
    templateWindow.findChild<QComboBox*>("cboModel")->setCurrentIndex(static_cast<int>(TemplateModel::Road));

    ToolSession saveSession(store, line, "Tool_SaveEXPE");
    TemplateParameters made;
    made.name = "Wall washer 40";
    made.model = TemplateModel::WallWasher;
    save_tool::SaveWindow saveWindow(saveSession,
                                     {Sample("downlight.ies"), Sample("wall_washer_isym2.ldt"), MakeTemplateRecord(made)});
    saveWindow.markFirstUnsaved();

    // Street light data measured with C0 along the kerb, turned by 270 degrees.
    ToolSession convertSession(store, line, "Tool_ConvertPE");
    convert_tool::ConvertWindow convertWindow(convertSession, {Sample("street_light_isym0.ldt"), Sample("downlight.ies")});
    convertWindow.findChild<QAbstractButton*>("cmdRotate270")->click();

    const bool ok = Save(templateWindow, folder + "/template-tool.png") && Save(saveWindow, folder + "/save-tool.png") &&
                    Save(convertWindow, folder + "/convert-tool.png");
    return ok ? 0 : 1;
}
