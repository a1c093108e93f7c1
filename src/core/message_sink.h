#pragma once
// Message boxes as data: the core and the readers ask, the UI (or a test) answers.

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace lumibench {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::Exclamation;
    MessageButtons buttons = MessageButtons::Ok;
    bool systemModal = true;

    bool operator==(const MessageRequest&) const = default;
};

// The title that messages without a title of their own carry.
inline constexpr const char* kApplicationTitle = "Lumibench";

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows the message and returns the button the user chose.
    virtual MessageAnswer show(const MessageRequest& request) = 0;
    // The same with `defaultAnswer` as the button Enter presses, for a
    // question whose first answer throws work away.
    virtual MessageAnswer showWithDefault(const MessageRequest& request, MessageAnswer defaultAnswer) {
        (void)defaultAnswer;
        return show(request);
    }
};

// Keeps every message and answers from a script (default: the first button).
class RecordingMessageSink : public MessageSink {
public:
    MessageAnswer show(const MessageRequest& request) override;
    MessageAnswer showWithDefault(const MessageRequest& request, MessageAnswer defaultAnswer) override;

    std::vector<MessageRequest> shown;
    // Index into `shown` -> the default button the message named.
    std::map<std::size_t, MessageAnswer> defaultAnswers;
    std::deque<MessageAnswer> scriptedAnswers;
};

// Answers every message with its first button and shows nothing.
class SilentMessageSink : public MessageSink {
public:
    MessageAnswer show(const MessageRequest& request) override;
};

MessageAnswer FirstButton(MessageButtons buttons);

}  // namespace lumibench
