#include "formats/reader_messages.h"

namespace lumibench {

void ReaderMessages::add(std::string_view text, int line) {
    text_.append(text);
    text_.append("\r\n");
    located_.push_back({std::string(text), line});
}

void ReaderMessages::clear() {
    text_.clear();
    located_.clear();
}

}  // namespace lumibench
