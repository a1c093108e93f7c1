#include "sdk/tool_guard.h"

#include <QMessageBox>

#include <algorithm>
#include <cstdio>
#include <new>

namespace lumibench {

std::vector<HandedDataSize> HandedDataSizes(const WorkRecordTable& records) {
    std::vector<HandedDataSize> sizes;
    for (const PhotometricRecord& record : records) {
        sizes.push_back({record.Filename, record.HorAngleCount, record.VertAngleCount});
    }
    return sizes;
}

std::string OutOfMemoryText(const std::string& actName, const std::vector<HandedDataSize>& sizes) {
    const auto values = [](const HandedDataSize& size) { return size.horizontalAngles * size.verticalAngles; };
    const auto largest = std::max_element(sizes.begin(), sizes.end(), [&](const auto& a, const auto& b) {
        return values(a) < values(b);
    });
    if (largest == sizes.end()) {
        return actName + " cannot hold the data sets it was handed: there is not enough memory. The tool ends.";
    }
    // The candela values alone, as the tool holds them (8 bytes each).
    const long long megabytes = (values(*largest) * 8 + 500000) / 1000000;
    return actName + " cannot hold the data set " + largest->filename + " (" +
           std::to_string(largest->horizontalAngles) + " \u00d7 " + std::to_string(largest->verticalAngles) +
           " candela values, " + std::to_string(megabytes) + " MB): there is not enough memory. The tool ends.";
}

std::string ToolFailureText(const std::string& actName, const std::string& what) {
    return actName + " stopped after an unexpected failure: " + what + ". The tool ends.";
}

GuardedToolApplication::GuardedToolApplication(int& argc, char** argv, std::string actName)
    : QApplication(argc, argv), actName_(std::move(actName)) {}

int GuardedToolApplication::run(const std::function<int()>& body) {
    try {
        const int status = body();
        return failed_ ? kToolFailedStatus : status;
    } catch (...) {
        reportFailure(std::current_exception());
        return kToolFailedStatus;
    }
}

bool GuardedToolApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportFailure(std::current_exception());
        return false;
    }
}

void GuardedToolApplication::reportFailure(const std::exception_ptr& failure) {
    // Once: what follows a failure is its consequence.
    if (failed_) return;
    failed_ = true;
    std::string text;
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        text = OutOfMemoryText(actName_, sizes_);
    } catch (const std::exception& error) {
        text = ToolFailureText(actName_, error.what());
    } catch (...) {
        text = ToolFailureText(actName_, "unknown exception");
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    // Memory is back once the failed work has unwound; if the box still
    // cannot be shown, the error output has said it.
    try {
        for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
        QMessageBox box(QMessageBox::Critical, QString::fromStdString(actName_), QString::fromStdString(text),
                        QMessageBox::Ok);
        box.setObjectName(QStringLiteral("msgBox"));
        box.exec();
    } catch (...) {
    }
    QCoreApplication::exit(kToolFailedStatus);
}

}  // namespace lumibench
