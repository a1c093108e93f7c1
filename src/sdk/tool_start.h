#pragma once
// How a tool program with a Qt window begins: the session, the data sets read
// before anything else, and the state file that lets scripts and tests follow
// the window without looking at pixels. Link `Lumibench::ToolSDKWidgets`.

#include <QJsonObject>

#include <functional>
#include <memory>

#include "model/photometric_record.h"
#include "sdk/tool_session.h"

namespace lumibench {

// ToolSession::Start; when the command line is not a host's or the store does
// not open, warns with the reason and returns nullptr (the tool then ends
// with status 2).
std::unique_ptr<ToolSession> StartToolOrWarn(int argc, char** argv, const char* actName);

// The data sets the host handed over; none when the command line says the tool
// takes none. Call it first: the host soon rewrites the slots for the next tool.
WorkRecordTable ReadHandedData(ToolSession& session);

// When the environment variable `variable` names a file, a function that
// replaces that file with `describe()` as JSON each time it is called;
// otherwise one that does nothing and never calls `describe`.
std::function<void()> StateFileWriter(const char* variable, std::function<QJsonObject()> describe);

}  // namespace lumibench
