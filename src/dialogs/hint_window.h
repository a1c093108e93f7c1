#pragma once
// One-off advice the user can switch off for good (section "Hints", key =
// the hint number). The window is not modal and stays above other windows.

#include <QDialog>

#include <string>

class QCheckBox;
class QPlainTextEdit;

namespace lumibench {

struct DialogServices;

// Hint numbers run from 1 to this; 1 is the advice on European-format data.
inline constexpr int kHintCount = 1;
inline constexpr int kEuropeanDataHint = 1;

namespace hint_texts {
inline constexpr const char* kShowReactivateMsg = "ShowReactivateMsg";
inline constexpr const char* kDontShowAgain =
    "Ok, I understand completely, please don't show this message any more";
inline constexpr const char* kReactivateReminder =
    "You have selected to deactivate this hint. Hints can be activated using Tool-Global System Settings. "
    "This is your only reminder!";
}  // namespace hint_texts

// The text of a hint, or empty for an unknown number.
std::string HintText(int hintNumber);
// Whether the hint is switched on (default true).
bool HintEnabled(DialogServices& services, int hintNumber);
// What closing the hint window stores: with `dontShowAgain` the hint is
// switched off, and the reactivation reminder is shown the first time ever.
void CloseHint(DialogServices& services, int hintNumber, bool dontShowAgain);

class frmHint : public QDialog {
    Q_OBJECT
public:
    frmHint(DialogServices& services, QWidget* parent = nullptr);

    void setHint(int hintNumber);

protected:
    void done(int result) override;

private:
    DialogServices& services_;
    QPlainTextEdit* text_ = nullptr;
    QCheckBox* dontShowAgain_ = nullptr;
};

}  // namespace lumibench
