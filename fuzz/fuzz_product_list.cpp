// The product list: the input is the scrambled file beside the program.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "toolhost/product_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumibench;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto folder = fuzz::ScratchFolder();
    fuzz::AsFile(data, size, kProductListFileName);
    LoadProductList(folder, folder);
    ParseProductListText(input);
    std::string scrambled;
    ScrambleProductListText(input, scrambled);
    return 0;
}
