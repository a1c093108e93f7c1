// Writes the bash completion of every installed program into FOLDER, one
// file per program named after it, as bash-completion loads them. Run by the
// build; not installed.

#include <filesystem>
#include <fstream>
#include <iostream>

#include "program_completions.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: lumibench_completions FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const lumibench::ProgramCompletion& program : lumibench::ProgramCompletions()) {
        std::ofstream out(folder / program.program, std::ios::binary | std::ios::trunc);
        out << lumibench::BashCompletionScript(program);
        if (!out.flush()) {
            std::cerr << "lumibench_completions: cannot write " << (folder / program.program).string() << "\n";
            return 1;
        }
    }
    return 0;
}
