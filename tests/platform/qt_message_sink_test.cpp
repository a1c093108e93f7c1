// The real message boxes, answered by clicking their buttons.

#include "platform/qt_message_sink.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

namespace lumibench {
namespace {

struct Seen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    Qt::WindowModality modality = Qt::NonModal;
    bool plainText = false;
    bool found = false;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget* owner = nullptr;
    bool onTop = false;
};

// Once the box is up, records what it shows and clicks `button` (or closes
// it with Escape when `button` is NoButton).
Seen ShowAndAnswer(QtMessageSink& sink, const MessageRequest& request,
                   QMessageBox::StandardButton button, MessageAnswer* answer,
                   const MessageAnswer* defaultAnswer = nullptr) {
    Seen seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || box->objectName() != QtMessageSink::kObjectName) {
            return;
        }
        poll.stop();
        seen.found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.modality = box->windowModality();
        seen.plainText = box->textFormat() == Qt::PlainText;
        seen.buttonCount = static_cast<int>(box->buttons().size());
        seen.defaultButton = box->standardButton(box->defaultButton());
        seen.owner = box->parentWidget();
        seen.onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        if (button == QMessageBox::NoButton) {
            box->reject();
        } else {
            box->button(button)->click();
        }
    });
    poll.start(5);
    *answer = defaultAnswer ? sink.showWithDefault(request, *defaultAnswer) : sink.show(request);
    return seen;
}

TEST(QtMessageSink, ShowsTitleIconTextAndButtonsAndReturnsTheChoice) {
    QtMessageSink sink;
    struct Row {
        MessageRequest request;
        QMessageBox::StandardButton click;
        QString title;
        QMessageBox::Icon icon;
        int buttonCount;
        MessageAnswer answer;
    };
    // clang-format off
    const Row rows[] = {
        {{"", "File not found.\r\nSecond line", MessageIcon::Exclamation, MessageButtons::Ok, true},
         QMessageBox::Ok, "Lumibench", QMessageBox::Warning, 1, MessageAnswer::Ok},
        {{"LumibenchPE", "<b>not markup</b> & more", MessageIcon::Exclamation, MessageButtons::YesNo, true},
         QMessageBox::No, "LumibenchPE", QMessageBox::Warning, 2, MessageAnswer::No},
        {{"T", "x", MessageIcon::Information, MessageButtons::OkCancel, false},
         QMessageBox::Cancel, "T", QMessageBox::Information, 2, MessageAnswer::Cancel},
        {{"T", "x", MessageIcon::Critical, MessageButtons::YesNoCancel, true},
         QMessageBox::NoButton, "T", QMessageBox::Critical, 3, MessageAnswer::Cancel},
        {{"T", "x", MessageIcon::None, MessageButtons::YesNo, true},
         QMessageBox::NoButton, "T", QMessageBox::NoIcon, 2, MessageAnswer::No},
    };
    // clang-format on
    for (const auto& row : rows) {
        MessageAnswer answer = MessageAnswer::Ok;
        const Seen seen = ShowAndAnswer(sink, row.request, row.click, &answer);
        SCOPED_TRACE(row.request.text);
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.title, row.title);
        EXPECT_EQ(seen.icon, row.icon);
        EXPECT_EQ(seen.buttonCount, row.buttonCount);
        EXPECT_EQ(seen.modality, Qt::ApplicationModal);
        EXPECT_FALSE(seen.text.contains('\r'));
        EXPECT_TRUE(seen.plainText);
        EXPECT_EQ(answer, row.answer);
    }
}

// A question whose first answer throws work away names the safe default; a
// box asked for from a window kept above the others shows above it.
TEST(QtMessageSink, DefaultButtonAndOwnerWindow) {
    QtMessageSink sink;
    const MessageRequest question{"LumibenchPE", "Exit?", MessageIcon::Exclamation, MessageButtons::YesNo, true};
    MessageAnswer answer = MessageAnswer::Ok;
    EXPECT_EQ(ShowAndAnswer(sink, question, QMessageBox::Yes, &answer).defaultButton, QMessageBox::Yes);
    const MessageAnswer no = MessageAnswer::No;
    EXPECT_EQ(ShowAndAnswer(sink, question, QMessageBox::Yes, &answer, &no).defaultButton, QMessageBox::No);

    QWidget hint(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    hint.show();
    hint.activateWindow();
    QApplication::setActiveWindow(&hint);
    QApplication::processEvents();
    const Seen seen = ShowAndAnswer(sink, {"", "Reminder", MessageIcon::Information, MessageButtons::Ok, false},
                                    QMessageBox::Ok, &answer);
    EXPECT_EQ(seen.owner, &hint);
    EXPECT_TRUE(seen.onTop);
}

}  // namespace
}  // namespace lumibench

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
