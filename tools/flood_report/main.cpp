// Tool_FloodReportPE: the flood lighting datasheet of the data sets the host hands over.
#include "report_inputs.h"
#include "report_tool.h"

int main(int argc, char** argv) {
    return lumibench::reports::RunReportTool(argc, argv, lumibench::reports::ReportKind::Floodlight);
}
