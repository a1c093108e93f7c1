#include "convert_window.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

#include "orientation_preview.h"
#include "photometry/photometry.h"

namespace lumibench::convert_tool {
namespace {

using photometry::LengthUnit;
using photometry::MirrorPlane;
using photometry::PhotometryKind;
using photometry::RecordTransform;

RecordTransform Turn(double degrees) {
    RecordTransform transform;
    transform.rotateDegrees = degrees;
    return transform;
}

RecordTransform Mirror(MirrorPlane plane) {
    RecordTransform transform;
    transform.mirror = plane;
    return transform;
}

RecordTransform Kind(PhotometryKind kind) {
    RecordTransform transform;
    transform.photometry = kind;
    return transform;
}

RecordTransform Units(LengthUnit unit) {
    RecordTransform transform;
    transform.units = unit;
    return transform;
}

QString FileName(const std::string& path) {
    return QString::fromStdString(std::filesystem::path(path).filename().string());
}

QGroupBox* Group(const QString& title, std::initializer_list<QWidget*> widgets) {
    auto* box = new QGroupBox(title);
    auto* row = new QHBoxLayout(box);
    for (QWidget* widget : widgets) row->addWidget(widget);
    return box;
}

}  // namespace

ConvertWindow::ConvertWindow(ToolSession& session, WorkRecordTable records)
    : session_(session), editor_(std::move(records)), dialogs_(this) {
    setWindowTitle(QString::fromStdString(session_.windowTitle()));
    auto* columns = new QHBoxLayout(this);
    auto* controls = new QVBoxLayout;
    columns->addLayout(controls);

    dataSets_ = new QComboBox;
    dataSets_->setObjectName("cboDataSet");
    controls->addWidget(dataSets_);

    angle_ = new QDoubleSpinBox;
    angle_->setObjectName("txtAngle");
    angle_->setRange(-360, 360);
    angle_->setDecimals(2);
    angle_->setSuffix("°");
    angle_->setToolTip("What lies at C lies at C plus this angle afterwards (C counter-clockwise seen from above)");
    auto* rotate = new QPushButton("&Rotate");
    rotate->setObjectName("cmdRotate");
    connect(rotate, &QPushButton::clicked, this, [this] {
        angle_->interpretText();
        change(Turn(angle_->value()));
    });
    controls->addWidget(Group("Rotate", {button("cmdRotate90", "90°", Turn(90)), button("cmdRotate180", "180°", Turn(180)),
                                         button("cmdRotate270", "270°", Turn(270)), angle_, rotate}));
    controls->addWidget(Group("Mirror", {button("cmdMirrorC0", "About C0–C180", Mirror(MirrorPlane::C0C180)),
                                         button("cmdMirrorC90", "About C90–C270", Mirror(MirrorPlane::C90C270))}));

    lampLumens_ = new QDoubleSpinBox;
    lampLumens_->setObjectName("txtLampLumens");
    lampLumens_->setRange(0, 1e8);
    lampLumens_->setSpecialValueText("none (absolute)");
    lampLumens_->setDecimals(0);
    lampLumens_->setSuffix(" lm");
    scale_ = new QPushButton("&Scale");
    scale_->setObjectName("cmdScale");
    scale_->setToolTip("Scale the candela to this lamp flux (all lamps together)");
    connect(scale_, &QPushButton::clicked, this, [this] {
        lampLumens_->interpretText();
        RecordTransform transform;
        transform.lampLumens = lampLumens_->value();
        change(transform);
    });
    controls->addWidget(Group("Lamp flux", {lampLumens_, scale_}));
    controls->addWidget(Group("Photometry", {button("cmdRelative", "Relative", Kind(PhotometryKind::Relative)),
                                             button("cmdAbsolute", "Absolute", Kind(PhotometryKind::Absolute))}));
    controls->addWidget(Group("Dimensions", {button("cmdFeet", "Feet", Units(LengthUnit::Feet)),
                                             button("cmdMetres", "Metres", Units(LengthUnit::Metres))}));

    undo_ = new QPushButton("&Undo");
    undo_->setObjectName("cmdUndo");
    undo_->setShortcut(QKeySequence::Undo);
    connect(undo_, &QPushButton::clicked, this, [this] {
        editor_.undo();
        status_->clear();
        refresh();
    });
    controls->addWidget(undo_);

    status_ = new QLabel;
    status_->setObjectName("labStatus");
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    controls->addWidget(status_, 1);

    auto* send = new QGridLayout;
    apply_ = new QPushButton("&Apply");
    apply_->setObjectName("cmdApply");
    apply_->setToolTip("Send the changed data set back to Lumibench under its own name, as unsaved data");
    newName_ = new QLineEdit;
    newName_->setObjectName("txtNewName");
    newName_->setPlaceholderText("Name of a new data set");
    auto* applyNew = new QPushButton("Apply As &New");
    applyNew->setObjectName("cmdApplyNew");
    applyNew->setToolTip("Send the changed data set to Lumibench as a new, unsaved data set under the name given");
    auto* help = new QPushButton("&Help");
    help->setObjectName("cmdHelp");
    auto* close = new QPushButton("&Close");
    close->setObjectName("cmdClose");
    send->addWidget(apply_, 0, 0);
    send->addWidget(newName_, 1, 0);
    send->addWidget(applyNew, 1, 1);
    send->addWidget(help, 2, 0);
    send->addWidget(close, 2, 1);
    controls->addLayout(send);

    before_ = new OrientationPreview("Before", "picBefore");
    after_ = new OrientationPreview("After", "picAfter");
    columns->addWidget(before_, 1);
    columns->addWidget(after_, 1);

    connect(dataSets_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        editor_.select(static_cast<std::size_t>(index));
        status_->clear();
        refresh();
    });
    connect(apply_, &QPushButton::clicked, this, [this] { sendSameName(); });
    connect(applyNew, &QPushButton::clicked, this, [this] { sendNew(); });
    connect(newName_, &QLineEdit::returnPressed, this, [this] { sendNew(); });
    connect(help, &QPushButton::clicked, this, [] { tools::ToolDialogs::showHelp("convert-tool.html"); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    fillDataSets();
    resize(1100, 560);
}

QPushButton* ConvertWindow::button(const char* name, const QString& caption, const RecordTransform& transform) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, [this, transform] { change(transform); });
    return button;
}

void ConvertWindow::change(const RecordTransform& transform) {
    const photometry::TransformOutcome outcome = editor_.apply(transform);
    QString text = QString::fromStdString(outcome.refusal);
    for (const std::string& note : outcome.notes) text += (text.isEmpty() ? "" : "\n") + QString::fromStdString(note);
    status_->setStyleSheet(outcome.record ? "" : "color: #b00000");
    status_->setText(text);
    refresh();
}

void ConvertWindow::sendSameName() {
    if (!editor_.hasChanges()) return;
    const PhotometricRecord record = editor_.current();
    session_.writeData({record});
    // "*": the changed data are in no file yet; the Save tool writes them.
    if (!session_.sendToHost("SENDUPDATEDDATA*")) {
        dialogs_.tell("Convert", "Lumibench did not take the data set; please try again.", true);
        return;
    }
    editor_.markSent();
    status_->setStyleSheet("");
    status_->setText("Sent to Lumibench as unsaved data: " + FileName(record.Filename));
    refresh();
}

void ConvertWindow::sendNew() {
    const QString name = newName_->text().trimmed();
    if (name.isEmpty() || editor_.count() == 0) {
        status_->setStyleSheet("color: #b00000");
        status_->setText("Type a name for the new data set first.");
        newName_->setFocus();
        return;
    }
    const PhotometricRecord record = editor_.asNewDataSet(name.toStdString());
    // Lumibench replaces a listed data set of the same file name.
    for (const std::string& listed : editor_.names()) {
        if (FileName(listed).compare(FileName(record.Filename), Qt::CaseInsensitive) == 0 &&
            !dialogs_.ask("Convert", FileName(record.Filename) +
                                         " is already listed; Lumibench replaces it with the new one.\n"
                                         "Do you want to replace it?")) {
            return;
        }
    }
    session_.writeData({record});
    if (!session_.sendToHost("SENDNEWDATA*")) {
        dialogs_.tell("Convert", "Lumibench did not take the data set; please try again.", true);
        return;
    }
    status_->setStyleSheet("");
    status_->setText("Sent to Lumibench as a new, unsaved data set: " + FileName(record.Filename));
}

void ConvertWindow::forget(const std::string& path) {
    editor_.forget(path);
    fillDataSets();
}

void ConvertWindow::fillDataSets() {
    const QSignalBlocker blocker(dataSets_);
    dataSets_->clear();
    for (const std::string& name : editor_.names()) dataSets_->addItem(FileName(name));
    dataSets_->setCurrentIndex(static_cast<int>(editor_.selected()));
    refresh();
}

void ConvertWindow::refresh() {
    const PhotometricRecord& current = editor_.current();
    before_->setRecord(editor_.before());
    after_->setRecord(current);
    undo_->setEnabled(editor_.canUndo());
    apply_->setEnabled(editor_.hasChanges());
    // Absolute photometry has no lamp flux to scale to.
    const std::optional<double> lampFlux = photometry::LampFlux(current);
    lampLumens_->setEnabled(lampFlux.has_value());
    scale_->setEnabled(lampFlux.has_value());
    const QSignalBlocker blocker(lampLumens_);
    lampLumens_->setValue(lampFlux.value_or(0));
}

// Escape closes, as in a dialog; keys a control took never arrive here.
void ConvertWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        close();
    } else {
        QWidget::keyPressEvent(event);
    }
}

}  // namespace lumibench::convert_tool
