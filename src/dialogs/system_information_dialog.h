#pragma once
// The System Information dialog: the machine description of the support
// report, on screen.

#include <QDialog>

#include "dialogs/system_facts.h"

namespace lumibench {

class frmSysInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmSysInfo(const dialogs::SystemFacts& facts, QWidget* parent = nullptr);
};

}  // namespace lumibench
