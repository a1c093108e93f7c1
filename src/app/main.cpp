#include "shell/lumibench_main.h"
#include "shell/tool_host_wiring.h"

int main(int argc, char** argv) {
    return lumibench::LumibenchMain(argc, argv, lumibench::StandardShellExtensions());
}
