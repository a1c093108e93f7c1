#pragma once
// One run of a program of this build as a real child process: its exit
// status and both of its outputs.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <cstdlib>
#include <string>
#include <vector>

namespace lumibench::testing {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// `name` in the build's program folder: $LUMIBENCH_BIN_DIR, else the one
// this build wrote.
inline std::string BuiltProgram(const std::string& name) {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    return std::string(bin && *bin ? bin : LUMIBENCH_BIN_DIR_DEFAULT) + "/" + name;
}

inline QStringList Arguments(const std::vector<std::string>& args) {
    QStringList arguments;
    for (const std::string& arg : args) arguments << QString::fromStdString(arg);
    return arguments;
}

// A run that does not end by itself within `timeoutMs`, or crashes, is a test
// failure and has status -1.
inline ProgramRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString()
                      << " did not finish normally";
        return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

}  // namespace lumibench::testing
