#pragma once
// The whole program of a report tool: the host's contract (data at start,
// MoveWin, Start, DataChanged, DeleteFile, Close) around a ReportWindow, or,
// given --pdf or --batch, reports written without a window.
//
//   Tool_IndoorReportPE --pdf OUT.pdf FILE      one report of FILE
//   Tool_IndoorReportPE --batch FOLDER FILE...  one PDF per file into FOLDER
//   Tool_IndoorReportPE --json FILE...          every figure of the sheets as JSON
//
// All read the units, the banner, the user's details and the remembered
// inputs from the shared settings store, as the window does.
//
// LUMIBENCH_REPORT_BATCH_DIR, when set for a tool the host starts, makes the
// tool write its batch into that folder once it has been started, so that
// scripts and tests follow a real run without dialogs.

namespace lumibench::reports {

enum class ReportKind;

int RunReportTool(int argc, char** argv, ReportKind kind);

}  // namespace lumibench::reports
