// The generated completion scripts in bash itself, as a user's <TAB> runs
// them through bash-completion.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

#include "program_completions.h"
#include "program_run.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;
const fs::path kScripts = LUMIBENCH_COMPLETION_DIR;
const char* kBashCompletion = "/usr/share/bash-completion/bash_completion";

testing::ProgramRun Bash(const std::string& script, const QString& folder = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!folder.isEmpty()) environment.insert("PWD", folder);
    return testing::RunProgram("/bin/bash", {"--norc", "-c", QString::fromStdString(script)}, 30000, environment);
}

TEST(CompletionScripts, EveryInstalledProgramHasOneThatBashReads) {
    for (const ProgramCompletion& program : ProgramCompletions()) {
        const fs::path script = kScripts / program.program;
        ASSERT_TRUE(fs::exists(script)) << script;
        const testing::ProgramRun run = Bash("bash -n '" + script.string() + "'");
        EXPECT_EQ(run.status, 0) << program.program << ": " << run.err;
    }
}

// The words offered for `line` (the cursor at its end), one per line, sorted.
std::string Complete(const std::string& program, const std::string& line, const std::string& folder) {
    // compopt works only inside a completion bash runs itself.
    const std::string script = "compopt() { :; }; cd '" + folder + "' && source " + kBashCompletion + " && source '" +
                               (kScripts / program).string() +
                               "' && COMP_LINE='" + line + "' && COMP_POINT=${#COMP_LINE} && "
                               "read -ra COMP_WORDS <<<\"$COMP_LINE\" && "
                               "[[ $COMP_LINE == *' ' ]] && COMP_WORDS+=('') ; "
                               "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && "
                               "_" + [&] {
                                   std::string f = program;
                                   for (char& c : f) c = c == '-' ? '_' : c;
                                   return f;
                               }() + "; ((${#COMPREPLY[@]})) && printf '%s\\n' \"${COMPREPLY[@]}\" | sort";
    const testing::ProgramRun run = Bash(script);
    EXPECT_EQ(run.err, "") << line;
    return run.out;
}

TEST(CompletionScripts, CompleteOptionsValuesCommandsAndPhotometricFiles) {
    if (!fs::exists(kBashCompletion)) GTEST_SKIP() << "bash-completion is not installed";
    QTemporaryDir dir;
    for (const char* name : {"a.ies", "b.LDT", "c.cib", "d.txt", "e.png"}) {
        std::ofstream(dir.filePath(name).toStdString()) << "x";
    }
    fs::create_directory(dir.filePath("sub").toStdString());
    const std::string folder = dir.path().toStdString();
    struct Case {
        const char* program;
        const char* line;
        const char* offered;
    };
    const Case cases[] = {
        {"lumibench-convert", "lumibench-convert --to ", "atla-json\nies1995\nies2002\nies2019\nldt\ntm14\ntm33\n"},
        {"lumibench-convert", "lumibench-convert --to=i", "ies1995\nies2002\nies2019\n"},
        {"lumibench-convert", "lumibench-convert --fo", "--force\n"},
        {"lumibench-check", "lumibench-check ", "a.ies\nb.LDT\nc.cib\nsub\n"},
        {"lumibench-check", "lumibench-check --r", "--repair\n"},
        {"lumibench-photometry", "lumibench-photometry --arrangement=st", "staggered\n"},
        {"lumibench-photometry", "lumibench-photometry --spa", "--spacing=\n"},
        {"lumibench-photometry", "lumibench-photometry --compare ", "a.ies\nb.LDT\nc.cib\nsub\n"},
        {"lumibench-convert", "lumibench-convert --out=s", "sub\n"},
        {"lumibench-thumbnail", "lumibench-thumbnail -s ", ""},
        {"lumibench-template", "lumibench-template --model ", "batwing\ndownlight\nfloodlight\nlinear\nroad\nwallwasher\n"},
        {"lumibench-settings", "lumibench-settings --file store ", "dump\nget\nlist\npath\nset\n"},
        {"lumibench-settings", "lumibench-settings get ", ""},
        {"lumibench", "lumibench /V", "/V\n"},
        {"lumibench", "lumibench a", "a.ies\n"},
        {"lumibench-thumbnail", "lumibench-thumbnail -s 128 a.ies e", "e.png\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Complete(c.program, c.line, folder), c.offered) << c.line;
    }
}

}  // namespace
}  // namespace lumibench
