#include "dialogs/system_information_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumibench {
namespace {

struct Row {
    const char* label;
    const char* control;
    std::string value;
};

QGroupBox* Frame(const char* caption, const std::vector<Row>& rows) {
    auto* frame = new QGroupBox(caption);
    auto* form = new QFormLayout(frame);
    for (const Row& row : rows) {
        auto* box = new QLineEdit(QString::fromStdString(row.value));
        box->setObjectName(row.control);
        box->setReadOnly(true);
        box->setMinimumWidth(340);
        box->setCursorPosition(0);
        form->addRow(row.label, box);
    }
    return frame;
}

}  // namespace

frmSysInfo::frmSysInfo(const dialogs::SystemFacts& facts, QWidget* parent) : QDialog(parent) {
    setObjectName("frmSysInfo");
    setWindowTitle(tr("System Information"));
    const auto number = [](std::int32_t value) { return std::to_string(value); };
    // The facts are only read; the button is what a user reaches for, so it
    // comes first in the focus chain and takes the focus when the dialog opens.
    auto* close = new QPushButton(tr("&Close"), this);
    close->setObjectName("cmdClose");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* memory = Frame("Memory And Disk Space (MB)",
                         {{"Total Physical Memory", "txtTotalPhysMem", number(facts.memory.totalPhysical)},
                          {"Total Physical Memory Available", "txtAvailPhysMem", number(facts.memory.availablePhysical)},
                          {"Total Virtual Memory", "txtTotalVirtMem", number(facts.memory.totalVirtual)},
                          {"Total Virtual Memory Available", "txtAvailVirtMem", number(facts.memory.availableVirtual)},
                          {"Available Disk Space", "txtDiskSpace", number(facts.freeDisk)}});
    auto* system = Frame("Processor And Operating System", {{"Processor", "txtProcessor", facts.processor},
                                                            {"System Name", "txtOS", facts.osName},
                                                            {"Version Number", "txtVerNo", facts.versionNumber},
                                                            {"Build", "txtBuild", facts.build},
                                                            {"Service Pack", "txtSP", facts.servicePack}});
    auto* display = Frame("Display", {{"Adapter Type", "txtVideoCard", facts.videoCard},
                                      {"Color Setting", "txtColorType", facts.colorType},
                                      {"Resolution", "txtResolution", facts.resolution},
                                      {"Font Type", "txtFontType", facts.fontType}});


    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memory);
    layout->addWidget(system);
    layout->addWidget(display);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);
    layout->addLayout(bottom);
}

}  // namespace lumibench
