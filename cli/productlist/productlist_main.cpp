// lumibench-productlist: writes the scrambled product list that the host reads
// from its program folder, and shows one in plain text.
//
//   lumibench-productlist create FILE OEMNAME ADDRESS1 SUPPORTADDRESS HOMEPAGE
//   lumibench-productlist scramble FILE        (plain lines from standard input)
//   lumibench-productlist show FILE            (plain lines to standard output)

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "toolhost/product_list.h"

namespace {

constexpr const char* kUsage =
    "usage: lumibench-productlist create FILE OEMNAME ADDRESS1 SUPPORTADDRESS HOMEPAGE\n"
    "       lumibench-productlist scramble FILE < plain.txt\n"
    "       lumibench-productlist show FILE\n"
    "       lumibench-productlist --help | --version\n";

int Usage() {
    std::cerr << kUsage;
    return 2;
}

int WriteScrambled(const std::string& file, const std::string& plain) {
    std::string scrambled;
    std::string badLine;
    if (!lumibench::ScrambleProductListText(plain, scrambled, &badLine)) {
        std::cerr << "lumibench-productlist: a line may not hold ';' or '<' (they would scramble "
                     "to a line end): "
                  << badLine << "\n";
        return 1;
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(scrambled.data(), static_cast<std::streamsize>(scrambled.size()));
    out.close();
    if (!out) {
        std::cerr << "lumibench-productlist: cannot write " << file << "\n";
        return 1;
    }
    return 0;
}

int Show(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "lumibench-productlist: cannot read " << file << "\n";
        return 1;
    }
    const std::string key(1, lumibench::kProductListKey);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::cout << lumibench::UnscrambleLine(line, key) << "\n";
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "lumibench-productlist " LUMIBENCH_VERSION "\n";
        return 0;
    }
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    const std::string file = argv[2];
    if (command == "create" && argc == 7) {
        std::ostringstream plain;
        plain << "[OEMNAME]\n" << argv[3] << "\n[WEB]\n" << argv[4] << "\n" << argv[5] << "\n"
              << argv[6] << "\n";
        return WriteScrambled(file, plain.str());
    }
    if (command == "scramble" && argc == 3) {
        const std::string plain{std::istreambuf_iterator<char>(std::cin),
                                std::istreambuf_iterator<char>()};
        return WriteScrambled(file, plain);
    }
    if (command == "show" && argc == 3) return Show(file);
    return Usage();
}
