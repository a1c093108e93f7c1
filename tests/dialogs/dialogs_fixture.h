#pragma once
// A store, a message recorder and the services of the dialogs over them, with
// the browser and help calls recorded instead of made.

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/message_sink.h"
#include "dialogs/dialog_services.h"
#include "platform/settings_store.h"
#include "test_pictures.h"

namespace lumibench::test {

class DialogsTest : public ::testing::Test {
protected:
    DialogsTest() {
        services.programFolder = ProgramFolder();
        services.userDataFolder = scratch.filePath("data").toStdString();
        services.supportAddress = "https://support.example/report";
        services.hooks.openAddress = [this](const std::string& address) {
            openedAddresses.push_back(address);
            return true;
        };
        services.hooks.showHelpTopic = [this](int topic) { helpTopics.push_back(topic); };
    }

    std::string Stored(const char* section, const char* key, const char* missing = "<missing>") {
        return store.read("Lumibench_PE", section, key, missing);
    }

    // Runs `step` on the next modal dialog once it is shown by `open`.
    static void WhenModal(const std::function<void(QWidget*)>& step) {
        QTimer::singleShot(0, [step] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) {
                ADD_FAILURE() << "no modal dialog";
                return;
            }
            step(modal);
            if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible()) dialog->reject();
        });
    }

    QTemporaryDir scratch;
    MemorySettingsStore store;
    RecordingMessageSink messages;
    DialogServices services{store, messages};
    std::vector<std::string> openedAddresses;
    std::vector<int> helpTopics;
};

}  // namespace lumibench::test
