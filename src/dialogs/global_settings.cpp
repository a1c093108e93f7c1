#include "dialogs/global_settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/dialog_buttons.h"
#include "dialogs/banner_dialog.h"
#include "dialogs/dialog_services.h"
#include "dialogs/hint_window.h"
#include "dialogs/image_box.h"
#include "core/message_sink.h"
#include "dialogs/settings_values.h"

namespace lumibench {
namespace {

constexpr int kHelpTopic = 23;
const QSize kBannerBoxSize(360, 120);

QRadioButton* Option(const char* caption, const char* name, QButtonGroup* group) {
    auto* option = new QRadioButton(caption);
    option->setObjectName(name);
    group->addButton(option);
    return option;
}

}  // namespace

GlobalSettingsValues ReadGlobalSettings(DialogServices& services) {
    using namespace global_settings;
    GlobalSettingsValues values;
    values.ignoreWarnings = dialogs::ReadFlag(services.store, dialog_keys::kToolOpen, kIgnoreWarnings, false);
    values.bannerPath = dialogs::ReadText(services.store, dialog_keys::kApplication, dialog_keys::kBannerFilename,
                                          services.DefaultBannerPath());
    values.inputUnits = dialogs::ReadInt16(services.store, dialog_keys::kApplication, kInputUnits, kFeet);
    values.outputUnits = dialogs::ReadInt16(services.store, dialog_keys::kApplication, kOutputUnits, kFootcandles);
    return values;
}

void WriteGlobalSettings(DialogServices& services, const GlobalSettingsValues& values) {
    using namespace global_settings;
    dialogs::WriteFlag(services.store, dialog_keys::kToolOpen, kIgnoreWarnings, values.ignoreWarnings);
    dialogs::WriteText(services.store, dialog_keys::kApplication, dialog_keys::kBannerFilename, values.bannerPath);
    dialogs::WriteText(services.store, dialog_keys::kApplication, kInputUnits, std::to_string(values.inputUnits));
    dialogs::WriteText(services.store, dialog_keys::kApplication, kOutputUnits, std::to_string(values.outputUnits));
}

frmGlobalSystemSettings::frmGlobalSystemSettings(DialogServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName("frmGlobalSystemSettings");
    setWindowTitle(tr("Global System Settings"));

    auto* general = new QGroupBox(tr("General"));
    auto* generalLayout = new QVBoxLayout(general);
    auto* activate = new QPushButton(tr("&Activate Hints"));
    activate->setObjectName("cmdActivateHints");
    ignoreWarnings_ = new QCheckBox(tr("Open Tool - &Ignore Warnings"));
    ignoreWarnings_->setObjectName("chkOpenSuppressWarnings");
    generalLayout->addWidget(activate, 0, Qt::AlignLeft);
    generalLayout->addWidget(ignoreWarnings_);
    generalLayout->addStretch();

    auto* units = new QGroupBox(tr("Units"));
    auto* unitsLayout = new QGridLayout(units);
    auto* inputGroup = new QButtonGroup(this);
    auto* outputGroup = new QButtonGroup(this);
    feet_ = Option("&Feet", "optFt", inputGroup);
    metres_ = Option("&Meters", "optMeters", inputGroup);
    footcandles_ = Option("f&c", "optFc", outputGroup);
    lux_ = Option("l&ux", "optLux", outputGroup);
    unitsLayout->addWidget(new QLabel(tr("Input")), 0, 0);
    unitsLayout->addWidget(feet_, 0, 1);
    unitsLayout->addWidget(metres_, 0, 2);
    unitsLayout->addWidget(new QLabel(tr("Output")), 1, 0);
    unitsLayout->addWidget(footcandles_, 1, 1);
    unitsLayout->addWidget(lux_, 1, 2);
    unitsLayout->setColumnStretch(3, 1);

    auto* bannerFrame = new QGroupBox(tr("Banner (Click To Change)"));
    auto* bannerLayout = new QVBoxLayout(bannerFrame);
    banner_ = new dialogs::ImageBox("LEAD1", kBannerBoxSize);
    banner_->setCursor(Qt::PointingHandCursor);
    banner_->setToolTip("Click to choose the banner image");
    bannerLayout->addWidget(banner_, 0, Qt::AlignCenter);
    bannerFrame->setMinimumSize(kBannerBoxSize + QSize(24, 40));

    const HelpCancelOkRow row = MakeHelpCancelOkRow();
    QHBoxLayout* buttons = row.layout;
    QPushButton* help = row.help;
    QPushButton* cancel = row.cancel;
    QPushButton* ok = row.ok;

    auto* top = new QHBoxLayout;
    top->addWidget(general, 1);
    top->addWidget(units, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(bannerFrame);
    layout->addLayout(buttons);

    connect(activate, &QPushButton::clicked, this, &frmGlobalSystemSettings::activateHints);
    connect(help, &QPushButton::clicked, this, [this] { services_.HelpTopic(kHelpTopic); });
    connect(cancel, &QPushButton::clicked, this, &frmGlobalSystemSettings::reject);
    connect(ok, &QPushButton::clicked, this, &frmGlobalSystemSettings::accept);
    connect(banner_, &dialogs::ImageBox::clicked, this, &frmGlobalSystemSettings::changeBanner);
    connect(banner_, &dialogs::ImageBox::activated, this, &frmGlobalSystemSettings::changeBanner);
    banner_->setAccessibleName(tr("Banner image"));
    banner_->setAccessibleDescription(tr("Press Space or Enter to change the banner image"));

    const GlobalSettingsValues values = ReadGlobalSettings(services_);
    ignoreWarnings_->setChecked(values.ignoreWarnings);
    (values.inputUnits != 0 ? metres_ : feet_)->setChecked(true);
    (values.outputUnits != 0 ? lux_ : footcandles_)->setChecked(true);
    bannerOnOpening_ = services_.bannerPath;
    services_.bannerPath = values.bannerPath;
    banner_->showFile(services_.bannerPath, services_.messages);
}

GlobalSettingsValues frmGlobalSystemSettings::shownValues() const {
    using namespace global_settings;
    GlobalSettingsValues values;
    values.ignoreWarnings = ignoreWarnings_->isChecked();
    values.inputUnits = feet_->isChecked() ? kFeet : kMetres;
    values.outputUnits = footcandles_->isChecked() ? kFootcandles : kLux;
    values.bannerPath = services_.bannerPath;
    return values;
}

void frmGlobalSystemSettings::changeBanner() {
    frmBanner dialog(services_, this);
    dialog.exec();
    if (!services_.bannerCancelled) banner_->showFile(services_.bannerPath, services_.messages);
}

void frmGlobalSystemSettings::activateHints() {
    for (int hint = 1; hint <= kHintCount; ++hint)
        dialogs::WriteFlag(services_.store, dialog_keys::kHints, std::to_string(hint), true);
    services_.messages.show(
        {"Hints", "All hints have been activated.", MessageIcon::Information, MessageButtons::Ok, false});
}

void frmGlobalSystemSettings::accept() {
    const GlobalSettingsValues values = shownValues();
    WriteGlobalSettings(services_, values);
    services_.bannerCancelled = false;
    dialogs::RemoveUnusedPastedBanners(services_.userDataFolder, values.bannerPath);
    QDialog::accept();
}

void frmGlobalSystemSettings::reject() {
    // Nothing was stored, so the program keeps the banner it had.
    services_.bannerPath = bannerOnOpening_;
    dialogs::RemoveUnusedPastedBanners(
        services_.userDataFolder,
        dialogs::ReadText(services_.store, dialog_keys::kApplication, dialog_keys::kBannerFilename));
    QDialog::reject();
}

}  // namespace lumibench
