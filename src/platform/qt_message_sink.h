#pragma once
// Messages shown as real message boxes: application-modal, with the
// request's title (the application's title when empty), icon and buttons.

#include "core/message_sink.h"

class QWidget;

namespace lumibench {

class QtMessageSink : public MessageSink {
public:
    // `parent` centres the boxes over a window; it may be null.
    explicit QtMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MessageAnswer show(const MessageRequest& request) override;
    MessageAnswer showWithDefault(const MessageRequest& request, MessageAnswer defaultAnswer) override;

    // The object name of every box, for tests that answer them.
    static constexpr const char* kObjectName = "msgBox";

private:
    MessageAnswer ask(const MessageRequest& request, const MessageAnswer* defaultAnswer);

    QWidget* parent_;
};

}  // namespace lumibench
