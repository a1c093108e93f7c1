#pragma once
// The Save tool's window: the data sets it was given, saved back to their own
// files, saved under new names, or exported into a folder.

#include <QWidget>

#include "../common/tool_dialogs.h"
#include "model/photometric_record.h"
#include "sdk/photometric_writers.h"
#include "sdk/tool_session.h"

class QComboBox;
class QPlainTextEdit;
class QTreeWidget;

namespace lumibench::save_tool {

class SaveWindow : public QWidget {
public:
    SaveWindow(ToolSession& session, WorkRecordTable records);

    tools::ToolDialogs& dialogs() { return dialogs_; }
    void markFirstUnsaved();
    void forget(const std::string& path);  // the host closed that file

    void saveAll();     // each data set to its own file, asking where it has none
    void saveAllAs();   // a new name and format for each data set
    void exportAll();   // every data set into one folder, in the chosen format

private:
    enum class Outcome { Written, Skipped, Failed };
    Outcome saveOne(std::size_t index, bool askName);
    Outcome write(std::size_t index, const std::string& path, FileFormat format, bool overwrite, bool tellHost);
    void tellHost(std::size_t index, const std::string& oldName, bool otherFormat);
    // Shows why `path` may not be written for data set `index`.
    Outcome refuse(std::size_t index, const std::string& path, const std::string& why);
    void refreshList();
    void addNotes(const std::string& file, const std::vector<std::string>& notes);

    ToolSession& session_;
    WorkRecordTable records_;
    std::vector<QString> status_;
    tools::ToolDialogs dialogs_;
    QTreeWidget* list_ = nullptr;
    QComboBox* format_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QString lastFolder_;
};

}  // namespace lumibench::save_tool
