#include "core/notice_batch.h"

#include <utility>

#include "core/record_tables.h"

namespace lumibench {

MessageAnswer NoticeBatch::show(const MessageRequest& request) {
    if (depth_ == 0 || request.buttons != MessageButtons::Ok) return target_.show(request);
    const bool isLimit = request.title == kAddDataTitle && request.text == kAddDataLimitText;
    if (isLimit && limitNotice_) return MessageAnswer::Ok;  // said once, with every file it left out
    if (isLimit) limitNotice_ = held_.size();
    held_.push_back(request);
    return MessageAnswer::Ok;
}

MessageAnswer NoticeBatch::showWithDefault(const MessageRequest& request, MessageAnswer defaultAnswer) {
    if (depth_ == 0 || request.buttons != MessageButtons::Ok) return target_.showWithDefault(request, defaultAnswer);
    return show(request);
}

void NoticeBatch::end() {
    if (depth_ == 0 || --depth_ > 0) return;
    // Taken out first: showing runs the event loop, and a new batch may open inside it.
    const std::vector<MessageRequest> held = std::exchange(held_, {});
    const std::optional<std::size_t> limitNotice = std::exchange(limitNotice_, std::nullopt);
    const std::vector<std::string> leftOut = std::exchange(leftOut_, {});
    if (auto notice = CombinedNotice(held, limitNotice, leftOut)) target_.show(*notice);
}

NoticeBatch::Scope::Scope(MessageSink& sink) : batch_(dynamic_cast<NoticeBatch*>(&sink)) {
    if (batch_ != nullptr) batch_->begin();
}

NoticeBatch::Scope::~Scope() {
    if (batch_ != nullptr) batch_->end();
}

void NoticeBatch::LeftOut(MessageSink& sink, std::string fileName) {
    if (auto* batch = dynamic_cast<NoticeBatch*>(&sink); batch != nullptr && batch->depth_ > 0) {
        batch->leftOut(std::move(fileName));
    }
}

std::optional<MessageRequest> CombinedNotice(const std::vector<MessageRequest>& held,
                                             std::optional<std::size_t> limitNotice,
                                             const std::vector<std::string>& leftOut) {
    if (held.empty()) return std::nullopt;
    const auto textOf = [&](std::size_t i) {
        std::string text = held[i].text;
        if (limitNotice == i && !leftOut.empty()) {
            text += kLeftOutHeading;
            for (const std::string& name : leftOut) text += "\r\n" + name;
        }
        return text;
    };
    MessageRequest combined = held.front();
    combined.text = textOf(0);
    for (std::size_t i = 1; i < held.size(); ++i) {
        combined.text += kNoticeSeparator + textOf(i);
        if (held[i].title != combined.title) combined.title = kApplicationTitle;
        if (held[i].icon != combined.icon) combined.icon = MessageIcon::Exclamation;
    }
    return combined;
}

}  // namespace lumibench
