#pragma once
// The real host as the end-to-end tests start it: the real main window with
// the real tool host, over the test's own store and folders.

#include <filesystem>
#include <memory>
#include <string>

#include "shell/frm_lumibench.h"
#include "shell/lumibench_main.h"
#include "shell/tool_host_wiring.h"

namespace lumibench::testing {

// `session`'s program and data folders go under `folder`; its pauses are
// short, so that tool commands follow each other within a test's waits, and
// no welcome comes up. Then the window loads `commandLine`.
inline std::unique_ptr<frmLumibench> StartTestHost(HostSession& session, const std::filesystem::path& folder,
                                                   const std::string& commandLine) {
    session.exchangeSection = "Data Exchange";
    session.programFolder = folder;
    session.userDataFolder = folder / "data";
    session.pauseIntervalSeconds = 0.05f;
    session.welcomeFlag = false;
    ShellExtensions extensions;
    extensions.buildToolHost = StandardShellExtensions().buildToolHost;
    return StartLumibench(session, extensions, commandLine);
}

}  // namespace lumibench::testing
