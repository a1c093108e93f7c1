#pragma once
// The message text a reader builds, with the file line each message was found on.

#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

struct LocatedMessage {
    std::string text;  // without the CR LF that follows it in the full text
    int line = 0;      // 1-based physical line as an editor counts it; 0 when none applies
    bool operator==(const LocatedMessage&) const = default;
};

class ReaderMessages {
public:
    // Appends `text` followed by CR LF to the full text.
    void add(std::string_view text, int line = 0);
    void clear();

    bool empty() const { return text_.empty(); }
    // The full text the user sees: every message followed by CR LF.
    const std::string& text() const { return text_; }
    const std::vector<LocatedMessage>& located() const { return located_; }

private:
    std::string text_;
    std::vector<LocatedMessage> located_;
};

}  // namespace lumibench
