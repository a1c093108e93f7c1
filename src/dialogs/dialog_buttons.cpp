#include "dialogs/dialog_buttons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace lumibench {

HelpCancelOkRow MakeHelpCancelOkRow() {
    HelpCancelOkRow row;
    row.layout = new QHBoxLayout;
    row.help = new QPushButton(QObject::tr("&Help"));
    row.help->setObjectName("cmdHelp");
    row.cancel = new QPushButton(QObject::tr("Cancel"));
    row.cancel->setObjectName("cmdCancel");
    row.ok = new QPushButton(QObject::tr("OK"));
    row.ok->setObjectName("cmdOk");
    row.ok->setDefault(true);
    row.layout->addWidget(row.help);
    row.layout->addStretch();
    row.layout->addWidget(row.cancel);
    row.layout->addWidget(row.ok);
    return row;
}

}  // namespace lumibench
