// The writers' number texts on any bit pattern: every text is plain (no
// exponent) and reads back as the value it was made from, a single as that
// single and any other double as that double; NaN, infinities and -0 are "0".
// Singles go through the value lists as the writers lay them out.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "formats/writer_common.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckText(std::string_view text, double value, bool single) {
    Check(!text.empty() && text.find_first_not_of("-.0123456789") == std::string_view::npos);
    if (!std::isfinite(value) || value == 0) return Check(text == "0");
    if (single) {
        float back = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), back);
        Check(result.ec == std::errc() && result.ptr == text.data() + text.size() && back == static_cast<float>(value));
    } else {
        double back = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), back);
        Check(result.ec == std::errc() && result.ptr == text.data() + text.size() && back == value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumibench;
    std::vector<double> doubles(size / 8);
    if (!doubles.empty()) std::memcpy(doubles.data(), data, doubles.size() * 8);
    for (const double value : doubles) {
        const bool single = std::fabs(value) <= 3.4e38 && static_cast<double>(static_cast<float>(value)) == value;
        CheckText(PlainNumber(value), value, single);
    }
    std::vector<float> singles(size / 4);
    if (!singles.empty()) std::memcpy(singles.data(), data, singles.size() * 4);
    for (const std::size_t width : {std::size_t{0}, std::size_t{78}}) {
        std::string lines;
        AppendNumberLines(lines, singles, width);
        std::size_t at = 0;
        for (const float value : singles) {
            const std::size_t end = lines.find_first_of(" \r", at);
            Check(end != std::string::npos);
            CheckText(std::string_view(lines).substr(at, end - at), value, true);
            at = end + (lines[end] == ' ' ? 1 : 2);
        }
        Check(at == lines.size() || singles.empty());
    }
    return 0;
}
