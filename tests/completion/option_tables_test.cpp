// The option tables the completion is made from against the parsers that use
// them: every row is accepted, nothing outside the tables is.

#include <gtest/gtest.h>

#include <functional>

#include "check_options.h"
#include "convert_options.h"
#include "photometry_options.h"
#include "program_completions.h"
#include "program_run.h"
#include "template_options.h"
#include "thumbnail_options.h"

namespace lumibench {
namespace {

using Parse = std::function<std::string(const std::vector<std::string>&)>;

struct Program {
    const char* name;
    const OptionTable& table;
    Parse parse;  // the usage error of a line
    std::vector<std::string> rest;  // what a sound line needs besides the option
};

template <class F>
Parse ErrorOf(F parser) {
    return [parser](const std::vector<std::string>& args) { return parser(args).error; };
}

std::vector<Program> Programs() {
    return {{"check", CheckOptionTable(), ErrorOf(ParseCheckArguments), {"a.ies"}},
            {"convert", ConvertOptionTable(), ErrorOf(ParseConvertArguments), {"--to", "ldt", "a.ies"}},
            {"photometry", PhotometryOptionTable(), ErrorOf(ParsePhotometryArguments), {"a.ies"}},
            {"template", TemplateOptionTable(), ErrorOf(ParseTemplateArguments), {}},
            {"thumbnail", ThumbnailOptionTable(), ErrorOf(ParseThumbnailArguments), {"a.ies", "a.png"}}};
}

// A value the option takes, as the completion would offer or a user type it.
std::string SampleValue(const OptionSpec& spec) {
    switch (spec.value) {
    case OptionValue::Choice: return spec.choices.at(0);
    case OptionValue::Number: return "2";
    case OptionValue::None: return "";
    default: return "out";
    }
}

TEST(OptionTables, EveryNameOfEveryRowIsAccepted) {
    for (const Program& program : Programs()) {
        for (const OptionSpec& spec : program.table) {
            for (const std::string& name : spec.names) {
                SCOPED_TRACE(std::string(program.name) + " " + name);
                std::vector<std::string> line;
                if (spec.value == OptionValue::None || spec.valueOptional) {
                    line = {name};
                } else if (spec.joinedValue) {
                    line = {name + "=" + SampleValue(spec)};
                } else {
                    line = {name, SampleValue(spec)};
                }
                if (spec.valueOptional) line.push_back(name + "=" + SampleValue(spec));
                line.insert(line.end(), program.rest.begin(), program.rest.end());
                EXPECT_EQ(program.parse(line), "");
                if (spec.value == OptionValue::Choice) {
                    for (const std::string& choice : spec.choices) {
                        line[spec.joinedValue ? 0 : 1] = spec.joinedValue ? name + "=" + choice : choice;
                        EXPECT_EQ(program.parse(line), "") << choice;
                    }
                }
            }
        }
    }
}

TEST(OptionTables, OptionsOutsideTheTableAreRefused) {
    for (const Program& program : Programs()) {
        for (const char* unknown : {"--colour", "--json=1", "-z"}) {
            // "--json=1" only where --json is a plain switch.
            if (FindOption(program.table, unknown)) continue;
            std::vector<std::string> line{unknown};
            line.insert(line.end(), program.rest.begin(), program.rest.end());
            EXPECT_EQ(program.parse(line), std::string("unknown option '") + unknown + "'") << program.name;
        }
    }
}

// The programs that read their arguments by hand: every option and command
// of their completion is in their own --help.
TEST(OptionTables, HandReadProgramsNameEveryCompletedWordInTheirHelp) {
    for (const ProgramCompletion& program : ProgramCompletions()) {
        if (program.program != "lumibench" && program.program != "lumibench-settings" &&
            program.program != "lumibench-productlist") {
            continue;
        }
        const testing::ProgramRun run = testing::RunProgram(
            QString::fromStdString(testing::BuiltProgram(program.program)), {"--help"}, 30000);
        ASSERT_EQ(run.status, 0) << program.program;
        std::vector<std::string> words = program.commands;
        words.insert(words.end(), program.words.begin(), program.words.end());
        for (const OptionSpec& spec : program.options) words.insert(words.end(), spec.names.begin(), spec.names.end());
        for (const std::string& word : words) {
            EXPECT_NE(run.out.find(word), std::string::npos)
                << program.program << " --help does not name " << word;
        }
    }
}

}  // namespace
}  // namespace lumibench
