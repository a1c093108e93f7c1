#include "sdk/tool_start.h"

#include <QJsonDocument>
#include <QSaveFile>
#include <QString>
#include <QtGlobal>

#include <string>

namespace lumibench {

std::unique_ptr<ToolSession> StartToolOrWarn(int argc, char** argv, const char* actName) {
    std::string error;
    auto session = ToolSession::Start(argc, argv, actName, &error);
    if (!session) qWarning("%s", error.c_str());
    return session;
}

WorkRecordTable ReadHandedData(ToolSession& session) {
    WorkRecordTable records;
    if (session.commandLine().takesData) {
        std::string error;
        session.readData(records, error);
    }
    return records;
}

std::function<void()> StateFileWriter(const char* variable, std::function<QJsonObject()> describe) {
    const QString path = qEnvironmentVariable(variable);
    if (path.isEmpty()) return [] {};
    return [path, describe = std::move(describe)] {
        const QJsonObject state = describe();
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QJsonDocument(state).toJson());
            file.commit();
        }
    };
}

}  // namespace lumibench
