#pragma once
// One notice per load action. A drop, the command line or one batch of data
// from a tool can meet many files that each raise a notice (a repaired copy,
// a refusal, the 25-file limit); clicking through one modal box per file is
// no help. While a batch is open, notices that only inform (an OK button)
// are held; when it ends they are shown together, each text unchanged and in
// order, and the limit notice once, naming every file it left out. Questions
// are never held: their answer is needed at once.

#include <optional>
#include <string>
#include <vector>

#include "core/message_sink.h"

namespace lumibench {

// Between two notices shown together.
inline constexpr const char* kNoticeSeparator = "\r\n\r\n--------------------\r\n\r\n";
// After the limit notice, followed by the names of the files left out, one a line.
inline constexpr const char* kLeftOutHeading = "\r\n\r\nNot loaded:";

// Wraps the sink that shows messages; without an open batch it passes every
// message straight on.
class NoticeBatch : public MessageSink {
public:
    explicit NoticeBatch(MessageSink& target) : target_(target) {}

    MessageAnswer show(const MessageRequest& request) override;
    MessageAnswer showWithDefault(const MessageRequest& request, MessageAnswer defaultAnswer) override;

    // Batches nest; only the outermost end shows what was held.
    void begin() { ++depth_; }
    void end();
    // A file the 25-file limit kept out of the list, named in the limit notice.
    void leftOut(std::string fileName) { leftOut_.push_back(std::move(fileName)); }

    // A batch for one load action over whatever sink the caller has: a no-op
    // when that sink is no NoticeBatch (tests that record every message).
    class Scope {
    public:
        explicit Scope(MessageSink& sink);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        NoticeBatch* batch_;
    };
    static void LeftOut(MessageSink& sink, std::string fileName);

private:
    MessageSink& target_;
    int depth_ = 0;
    std::vector<MessageRequest> held_;
    std::optional<std::size_t> limitNotice_;  // its index in held_
    std::vector<std::string> leftOut_;
};

// The one notice that stands for `held` (shown in order) when the limit left
// `leftOut` files out; nullopt when nothing was held.
std::optional<MessageRequest> CombinedNotice(const std::vector<MessageRequest>& held,
                                             std::optional<std::size_t> limitNotice,
                                             const std::vector<std::string>& leftOut);

}  // namespace lumibench
