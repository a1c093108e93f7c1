#include "core/terminal_text.h"

namespace lumibench {

std::string TerminalLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return out;
}

std::string TerminalEntry(std::string_view text) {
    std::string out = TerminalLines(text);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace lumibench
