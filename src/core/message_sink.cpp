#include "core/message_sink.h"

namespace lumibench {

MessageAnswer FirstButton(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Yes;
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        break;
    }
    return MessageAnswer::Ok;
}

MessageAnswer RecordingMessageSink::show(const MessageRequest& request) {
    shown.push_back(request);
    if (scriptedAnswers.empty()) {
        return FirstButton(request.buttons);
    }
    MessageAnswer answer = scriptedAnswers.front();
    scriptedAnswers.pop_front();
    return answer;
}

MessageAnswer RecordingMessageSink::showWithDefault(const MessageRequest& request,
                                                   MessageAnswer defaultAnswer) {
    defaultAnswers[shown.size()] = defaultAnswer;
    return show(request);
}

MessageAnswer SilentMessageSink::show(const MessageRequest& request) {
    return FirstButton(request.buttons);
}

}  // namespace lumibench
