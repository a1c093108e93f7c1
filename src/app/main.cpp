#include "shell/lumibench_main.h"

int main(int argc, char** argv) { return lumibench::LumibenchMain(argc, argv); }
