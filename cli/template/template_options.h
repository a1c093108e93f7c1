#pragma once
// The command line of lumibench-template, parsed without touching the file system.

#include <string>
#include <vector>

#include "option_table.h"
#include "sdk/luminaire_templates.h"

namespace lumibench {

struct TemplateOptions {
    TemplateParameters parameters;
    std::string out;  // the IES file to write; empty: figures only
    bool force = false;
    bool help = false;
    std::string error;
};

// Every option the parser takes (the shell completion is made from it).
const OptionTable& TemplateOptionTable();

TemplateOptions ParseTemplateArguments(const std::vector<std::string>& args);
std::string TemplateUsageText();

}  // namespace lumibench
