#pragma once
// Values that tell, byte for byte, which writer wrote them and which write
// it was, so a torn or mixed-up value cannot pass for a whole one.

#include <string>

namespace lumibench::testing {

inline std::string PatternValue(int writer, int index, std::size_t size) {
    std::string head = "w" + std::to_string(writer) + " i" + std::to_string(index) + "\r\n";
    std::string value = head;
    value.reserve(size + head.size());
    unsigned state = static_cast<unsigned>(writer * 7919 + index * 104729 + 1);
    while (value.size() < size) {
        state = state * 1103515245u + 12345u;
        value += static_cast<char>((state >> 16) & 0xFF);  // every byte value, NUL too
    }
    value.resize(std::max(size, head.size()));
    return value;
}

inline std::string PatternKey(int index) { return "k" + std::to_string(index); }
inline std::string PatternSection(int writer) { return "Writer " + std::to_string(writer); }

}  // namespace lumibench::testing
