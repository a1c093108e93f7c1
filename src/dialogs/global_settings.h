#pragma once
// The Global System Settings dialog: units and the open tool's warning
// setting that the tools read, and the banner picture their reports print.

#include <QDialog>

#include <cstdint>
#include <string>

class QCheckBox;
class QRadioButton;

namespace lumibench {

struct DialogServices;
namespace dialogs {
class ImageBox;
}

namespace global_settings {
inline constexpr const char* kIgnoreWarnings = "IgnoreWarnings";
inline constexpr const char* kInputUnits = "InputUnits";
inline constexpr const char* kOutputUnits = "OutputUnits";
inline constexpr std::int16_t kFeet = 0;
inline constexpr std::int16_t kMetres = 2;  // 1 is not used by the tools
inline constexpr std::int16_t kFootcandles = 0;
inline constexpr std::int16_t kLux = 1;
}  // namespace global_settings

struct GlobalSettingsValues {
    bool ignoreWarnings = false;
    std::int16_t inputUnits = global_settings::kFeet;
    std::int16_t outputUnits = global_settings::kFootcandles;
    std::string bannerPath;

    bool operator==(const GlobalSettingsValues&) const = default;
};

// The stored values with their defaults (the banner falls back to the bundled one).
GlobalSettingsValues ReadGlobalSettings(DialogServices& services);
void WriteGlobalSettings(DialogServices& services, const GlobalSettingsValues& values);

class frmGlobalSystemSettings : public QDialog {
    Q_OBJECT
public:
    frmGlobalSystemSettings(DialogServices& services, QWidget* parent = nullptr);

    // The values as the controls show them, units in their stored form.
    GlobalSettingsValues shownValues() const;
    dialogs::ImageBox* bannerBox() const { return banner_; }

    void changeBanner();
    void activateHints();

    void accept() override;
    void reject() override;

private:
    DialogServices& services_;
    std::string bannerOnOpening_;
    QCheckBox* ignoreWarnings_ = nullptr;
    QRadioButton* feet_ = nullptr;
    QRadioButton* metres_ = nullptr;
    QRadioButton* footcandles_ = nullptr;
    QRadioButton* lux_ = nullptr;
    dialogs::ImageBox* banner_ = nullptr;
};

}  // namespace lumibench
