#include "template_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QSpinBox>
#include <QVBoxLayout>

#include "photometry/photometry.h"
#include "polar_preview.h"

namespace lumibench::template_tool {
namespace {

QDoubleSpinBox* Spin(const char* name, double min, double max, double value, int decimals, const QString& suffix = {}) {
    auto* box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setRange(min, max);
    box->setDecimals(decimals);
    box->setValue(value);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    return box;
}

QString Optional(const std::optional<double>& value, const char* unit, int decimals = 1) {
    return value ? QString::number(*value, 'f', decimals) + unit : QString("-");
}

}  // namespace

TemplateWindow::TemplateWindow(ToolSession& session, bool feet) : session_(session), feet_(feet), dialogs_(this) {
    setWindowTitle(QString::fromStdString(session_.windowTitle()));
    auto* columns = new QHBoxLayout(this);
    auto* form = new QFormLayout;
    columns->addLayout(form);

    model_ = new QComboBox;
    model_->setObjectName("cboModel");
    for (std::string_view name : TemplateModelNames()) model_->addItem(QString::fromUtf8(name.data(), int(name.size())));
    name_ = new QLineEdit("Template");
    name_->setObjectName("txtName");
    beam_ = Spin("txtBeamAngle", 2, 178, 60, 1, "°");
    second_ = Spin("txtSecondAngle", 2, 178, 30, 1, "°");
    throw_ = Spin("txtThrowAngle", 0, 90, 20, 1, "°");
    lamps_ = new QSpinBox;
    lamps_->setObjectName("txtLampCount");
    lamps_->setRange(1, 999);
    lamps_->setKeyboardTracking(false);
    lumens_ = Spin("txtLumens", 1, 1e7, 1000, 0, " lm");
    lor_ = Spin("txtLightOutputRatio", 1, 100, 80, 1, " %");
    watts_ = Spin("txtWatts", 0, 1e6, 10, 1, " W");
    const QString unit = feet_ ? " ft" : " m";
    width_ = Spin("txtWidth", 0, 1000, 0, 3, unit);
    length_ = Spin("txtLength", 0, 1000, 0, 3, unit);
    height_ = Spin("txtHeight", 0, 1000, 0, 3, unit);
    horStep_ = Spin("txtHorStep", 0.5, 90, 15, 1, "°");
    vertStep_ = Spin("txtVertStep", 0.5, 90, 5, 1, "°");

    form->addRow("Model", model_);
    form->addRow("Name", name_);
    form->addRow("Beam angle", beam_);
    secondLabel_ = new QLabel("Vertical beam angle");
    form->addRow(secondLabel_, second_);
    form->addRow("Lateral throw", throw_);
    form->addRow("Lamps", lamps_);
    form->addRow("Lumens per lamp", lumens_);
    form->addRow("Light output ratio", lor_);
    form->addRow("Input watts", watts_);
    form->addRow("Width", width_);
    form->addRow("Length", length_);
    form->addRow("Height", height_);
    form->addRow("Horizontal step", horStep_);
    form->addRow("Vertical step", vertStep_);

    auto* buttons = new QHBoxLayout;
    auto* createButton = new QPushButton("C&reate");
    createButton->setObjectName("cmdCreate");
    createButton->setToolTip("Send the data set to Lumibench as new, unsaved data");
    auto* close = new QPushButton("&Close");
    close->setObjectName("cmdClose");
    auto* help = new QPushButton("&Help");
    help->setObjectName("cmdHelp");
    buttons->addWidget(createButton);
    buttons->addWidget(help);
    buttons->addWidget(close);
    form->addRow(buttons);

    auto* right = new QVBoxLayout;
    preview_ = new PolarPreview;
    figures_ = new QLabel;
    figures_->setObjectName("labFigures");
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    right->addWidget(preview_, 1);
    right->addWidget(figures_);
    columns->addLayout(right, 1);

    connect(model_, &QComboBox::currentIndexChanged, this, [this] { modelChanged(); });
    for (QDoubleSpinBox* box : {beam_, second_, throw_, lumens_, lor_, watts_, width_, length_, height_, horStep_, vertStep_}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { refresh(); });
    }
    connect(lamps_, &QSpinBox::valueChanged, this, [this] { refresh(); });
    connect(createButton, &QPushButton::clicked, this, [this] { create(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, [] { tools::ToolDialogs::showHelp("template-tool.html"); });
    modelChanged();
    resize(760, 520);
}

TemplateParameters TemplateWindow::parameters() const {
    TemplateParameters p;
    p.model = static_cast<TemplateModel>(model_->currentIndex());
    p.name = name_->text().trimmed().isEmpty() ? "Template" : name_->text().trimmed().toStdString();
    p.beamAngle = beam_->value();
    p.secondAngle = second_->value();
    p.throwAngle = throw_->value();
    p.lampCount = lamps_->value();
    p.lumensPerLamp = lumens_->value();
    p.lightOutputRatio = lor_->value() / 100.0;
    p.watts = watts_->value();
    p.unitsType = feet_ ? 1 : 2;
    p.width = width_->value();
    p.length = length_->value();
    p.height = height_->value();
    p.horizontalStep = horStep_->value();
    p.verticalStep = vertStep_->value();
    return p;
}

void TemplateWindow::modelChanged() {
    const auto model = static_cast<TemplateModel>(model_->currentIndex());
    const bool second = model == TemplateModel::Floodlight || model == TemplateModel::Road;
    second_->setEnabled(second);
    secondLabel_->setText(model == TemplateModel::Road ? "Vertical spread" : "Vertical beam angle");
    if (model == TemplateModel::Road && second_->value() < 40) second_->setValue(65);
    throw_->setEnabled(model == TemplateModel::Road);
    beam_->setEnabled(model != TemplateModel::Road);
    refresh();
}

void TemplateWindow::refresh() {
    const PhotometricRecord record = MakeTemplateRecord(parameters());
    preview_->setRecord(record);
    const photometry::Summary s = photometry::Summarise(record);
    QString text;
    text += QString("Luminaire flux: %1 lm\n").arg(s.luminaireFluxLm, 0, 'f', 0);
    text += "LOR: " + Optional(s.lorPercent, " %") + "   DLOR: " + Optional(s.dlorPercent, " %") + "\n";
    text += QString("Maximum: %1 cd at %2° / %3°\n")
                .arg(s.maxIntensityCd, 0, 'f', 0)
                .arg(s.maxIntensityDirection.horizontal)
                .arg(s.maxIntensityDirection.vertical);
    for (const photometry::SpreadAngle& beam : s.beamAngles) {
        text += QString::fromStdString("Beam " + beam.plane + ": ") + Optional(beam.degrees, "°") + "\n";
    }
    text += "Efficacy: " + Optional(s.efficacyLmPerW, " lm/W");
    figures_->setText(text);
}

// Enter creates and Escape closes, as in a dialog. Only keys no control took
// arrive here: an open drop-down list keeps its own Enter and Escape.
void TemplateWindow::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & ~(Qt::KeypadModifier)) return QWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // On a focused button Enter presses that button, as Space does.
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget())) {
            button->click();
        } else {
            create();
        }
    } else if (event->key() == Qt::Key_Escape) {
        close();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void TemplateWindow::create() {
    // A value typed but not yet taken (Enter pressed in its box) counts.
    for (QAbstractSpinBox* box : findChildren<QAbstractSpinBox*>()) box->interpretText();
    const PhotometricRecord record = MakeTemplateRecord(parameters());
    // Lumibench replaces a data set of the same name, and one made here may
    // be in no file yet: replacing it takes a yes.
    if (created_.contains(record.Filename) &&
        !dialogs_.ask("Template", QString::fromStdString(record.Filename) +
                                      " was created here already; Lumibench replaces it with the new one.\nDo you want to replace it?")) {
        return;
    }
    session_.writeData({record});
    // "*": the data set exists in no file yet; the Save tool gives it one.
    if (!session_.sendToHost("SENDNEWDATA*")) {
        dialogs_.tell("Template", "Lumibench did not take the data set; please try again.", true);
        return;
    }
    created_.insert(record.Filename);
    // The next Create makes another data set unless the user names it again.
    if (name_->text().trimmed() == QString::fromStdString(parameters().name)) {
        name_->setText(QString::fromStdString(NextTemplateName(parameters().name)));
    }
}

}  // namespace lumibench::template_tool
