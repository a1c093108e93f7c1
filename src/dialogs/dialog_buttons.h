#pragma once
// The Help / Cancel / OK row that the settings dialogs share.

class QHBoxLayout;
class QPushButton;

namespace lumibench {

struct HelpCancelOkRow {
    QHBoxLayout* layout = nullptr;
    QPushButton* help = nullptr;    // "cmdHelp"
    QPushButton* cancel = nullptr;  // "cmdCancel"
    QPushButton* ok = nullptr;      // "cmdOk", the default button
};

// Help on the left, Cancel and OK on the right; the caller connects them.
HelpCancelOkRow MakeHelpCancelOkRow();

}  // namespace lumibench
