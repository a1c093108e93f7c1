// One notice per load action: what is held while a batch is open, and the
// one notice that stands for it.
#include <gtest/gtest.h>

#include "core/notice_batch.h"
#include "core/record_tables.h"

namespace lumibench {
namespace {

MessageRequest Notice(std::string title, std::string text) {
    return {std::move(title), std::move(text), MessageIcon::Exclamation, MessageButtons::Ok, true};
}

const MessageRequest kLimit = Notice(kAddDataTitle, kAddDataLimitText);

TEST(NoticeBatch, OutsideABatchEveryMessageGoesStraightOn) {
    RecordingMessageSink shown;
    NoticeBatch batch(shown);
    batch.show(Notice("a", "one"));
    batch.show(Notice("b", "two"));
    EXPECT_EQ(shown.shown.size(), 2u);
}

// Rows: what one load action met, and the one notice the user then sees.
TEST(NoticeBatch, ALoadActionShowsOneNoticeWithEveryTextInOrder) {
    const std::string sep = kNoticeSeparator;
    struct Row {
        const char* name;
        std::vector<MessageRequest> met;
        std::vector<std::string> leftOut;
        std::optional<MessageRequest> expected;
    };
    const Row rows[] = {
        {"nothing to say", {}, {}, std::nullopt},
        {"one notice stays as it was", {Notice("Lumibench", "repaired a")}, {}, Notice("Lumibench", "repaired a")},
        {"three repairs and a refusal, in order",
         {Notice("Lumibench", "repaired a"), Notice("Lumibench", "repaired b"), Notice("Lumibench", "refused c"),
          Notice("Lumibench", "repaired d")},
         {},
         Notice("Lumibench", "repaired a" + sep + "repaired b" + sep + "refused c" + sep + "repaired d")},
        {"the limit once, naming the files it left out",
         {Notice("Lumibench", "repaired a"), kLimit, kLimit, kLimit},
         {"x.ies", "y.ldt", "z.ies"},
         Notice("Lumibench", std::string("repaired a") + sep + kAddDataLimitText + kLeftOutHeading +
                                 "\r\nx.ies\r\ny.ldt\r\nz.ies")},
        {"the limit alone keeps its title",
         {kLimit, kLimit},
         {"x.ies", "y.ies"},
         Notice(kAddDataTitle, std::string(kAddDataLimitText) + kLeftOutHeading + "\r\nx.ies\r\ny.ies")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingMessageSink shown;
        NoticeBatch batch(shown);
        {
            NoticeBatch::Scope action(batch);
            NoticeBatch::Scope nested(batch);  // a load inside the action: still one notice
            for (const MessageRequest& request : row.met) EXPECT_EQ(batch.show(request), MessageAnswer::Ok);
            for (const std::string& name : row.leftOut) NoticeBatch::LeftOut(batch, name);
            EXPECT_TRUE(shown.shown.empty());
        }
        if (row.expected) {
            ASSERT_EQ(shown.shown.size(), 1u);
            EXPECT_EQ(shown.shown.front(), *row.expected);
        } else {
            EXPECT_TRUE(shown.shown.empty());
        }
    }
}

TEST(NoticeBatch, QuestionsAreAskedAtOnceAndAnswered) {
    RecordingMessageSink shown;
    shown.scriptedAnswers = {MessageAnswer::No};
    NoticeBatch batch(shown);
    NoticeBatch::Scope action(batch);
    batch.show(Notice("a", "held"));
    EXPECT_EQ(batch.show({"q", "Really?", MessageIcon::Question, MessageButtons::YesNo, true}), MessageAnswer::No);
    ASSERT_EQ(shown.shown.size(), 1u);
    EXPECT_EQ(shown.shown.front().text, "Really?");
}

TEST(NoticeBatch, AScopeOverAnotherSinkChangesNothing) {
    RecordingMessageSink shown;
    NoticeBatch::Scope action(shown);
    NoticeBatch::LeftOut(shown, "x.ies");
    shown.show(Notice("a", "one"));
    EXPECT_EQ(shown.shown.size(), 1u);
}

}  // namespace
}  // namespace lumibench
