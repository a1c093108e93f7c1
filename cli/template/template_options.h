#pragma once
// The command line of lumibench-template, parsed without touching the file system.

#include <string>
#include <vector>

#include "sdk/luminaire_templates.h"

namespace lumibench {

struct TemplateOptions {
    TemplateParameters parameters;
    std::string out;  // the IES file to write; empty: figures only
    bool force = false;
    bool help = false;
    std::string error;
};

TemplateOptions ParseTemplateArguments(const std::vector<std::string>& args);
std::string TemplateUsageText();

}  // namespace lumibench
