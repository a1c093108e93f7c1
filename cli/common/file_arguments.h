#pragma once
// The command line of a program that reads FILEs: an argument that does not
// begin with "-" (or is "-" itself, or comes after "--") is a FILE, "--help"
// or "-h" and "--version" set those flags, and the program's own options are
// handed to it. Only the first usage error is kept.

#include <cstddef>
#include <string>
#include <vector>

#include "option_table.h"

namespace lumibench {

// `Options` has `files`, `help`, `version` and `error`. `option(arg, i)` takes
// the option args[i] (moving i on past a value it consumes) and returns false
// when the program does not know it.
template <class Options, class OptionHandler>
void ParseFileArguments(const std::vector<std::string>& args, Options& options, OptionHandler&& option) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (!option(arg, i) && options.error.empty()) {
            options.error = "unknown option '" + arg + "'";
        }
    }
}

// The same, with every option checked against `table` first: one without a
// row is refused before `option` sees it, so the table the completion is
// made from is the whole of what the program accepts.
template <class Options, class OptionHandler>
void ParseFileArguments(const std::vector<std::string>& args, Options& options, const OptionTable& table,
                        OptionHandler&& option) {
    ParseFileArguments(args, options, [&](const std::string& arg, std::size_t& i) {
        return FindOption(table, arg) != nullptr && option(arg, i);
    });
}

// A line without FILEs is a usage error unless it only asks for help or the version.
template <class Options>
void RequireFiles(Options& options) {
    if (options.error.empty() && !options.help && !options.version && options.files.empty()) {
        options.error = "no FILE given";
    }
}

}  // namespace lumibench
