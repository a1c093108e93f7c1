#pragma once
// A tool never dies of an uncaught exception: one thrown by an event handler
// or during start-up is shown in a message box and the tool ends cleanly
// (exit status kToolFailedStatus), so the host and the user learn why. When
// memory runs out, the box names the largest data set handed over and its size.

#include <QApplication>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench {

inline constexpr int kToolFailedStatus = 3;

// What the failure messages say of a data set.
struct HandedDataSize {
    std::string filename;
    long long horizontalAngles = 0;
    long long verticalAngles = 0;
};
std::vector<HandedDataSize> HandedDataSizes(const WorkRecordTable& records);

// "Tool_ViewPE cannot hold the data set /data/big.ies (5000 × 6500 candela
// values, 260 MB): there is not enough memory. The tool ends." The largest of
// `sizes` is named; without any, the data sets are spoken of as a whole.
std::string OutOfMemoryText(const std::string& actName, const std::vector<HandedDataSize>& sizes);
// "Tool_ViewPE stopped after an unexpected failure: WHAT. The tool ends."
std::string ToolFailureText(const std::string& actName, const std::string& what);

class GuardedToolApplication : public QApplication {
public:
    GuardedToolApplication(int& argc, char** argv, std::string actName);

    // Noted as soon as the data sets are read, for the out-of-memory message.
    void noteHandedData(const WorkRecordTable& records) { sizes_ = HandedDataSizes(records); }

    // Runs the tool's start-up and event loop (`body` ends with exec()) and
    // returns its status, or kToolFailedStatus after a failure was shown.
    int run(const std::function<int()>& body);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void reportFailure(const std::exception_ptr& failure);

    std::string actName_;
    std::vector<HandedDataSize> sizes_;
    bool failed_ = false;
};

}  // namespace lumibench
