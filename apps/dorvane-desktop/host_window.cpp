// The demo host's main window: menu, control, properties panel with the
// tag presets and the ControlsEnabled switch.
// Relies on QtWidgets, DorvaneWidget and the front end.
#include "apps/dorvane-desktop/host_window.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

#include "frontends/qt/dorvane_widget.h"
#include "frontends/qt/front_end.h"
#include "services/base/runtime_error.h"
#include "services/recordstore/data_source.h"

namespace desktophost {
namespace {

const char* const kReadable[] = {"SelectedBPETAG",  "SelectedEPETAG", "SelectedBPEDATE",
                                 "SelectedEPEDATE", "IsListOK",       "ArePEDatesOK"};

// A 16-bit Boolean as the host sees it.
QString BooleanText(int16_t value) {
  return value != 0 ? QStringLiteral("True (%1)").arg(value) : QStringLiteral("False (0)");
}

// The data source as shown to the user: a server URI without its password.
QString ShownSource(const QString& source) {
  const std::string text = source.toStdString();
  if (!recordstore::IsServerPath(text)) return source;
  try {
    std::string shown = recordstore::ParseServerPath(text + "\\MAIN.MDB").display;
    shown.resize(shown.size() - std::string("\\MAIN.MDB").size());
    return QString::fromStdString(shown);
  } catch (const base::RuntimeError&) {
    return QStringLiteral("(a server address that cannot be read)");
  }
}

}  // namespace

HostWindow::HostWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Dorvane Desktop"));
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&Open Data Folder..."), this, [this] { ChooseFolder(); });
  file->addSeparator();
  file->addAction(QStringLiteral("E&xit"), this, [this] { close(); });

  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);
  control_ = new qtfront::DorvaneWidget(central);
  row->addWidget(control_, 0, Qt::AlignTop);

  auto* panel = new QGroupBox(QStringLiteral("Host"), central);
  auto* column = new QVBoxLayout(panel);
  auto* read = new QPushButton(QStringLiteral("Read &Properties"), panel);
  connect(read, &QPushButton::clicked, this, [this] { ReadProperties(); });
  column->addWidget(read);
  form_ = new QFormLayout();
  column->addLayout(form_);
  AddPanelRow(QStringLiteral("PathText"));
  for (const char* name : kReadable) AddPanelRow(QString::fromLatin1(name));
  // The two tag presets: a number and a button each.
  for (const bool beginning : {true, false}) {
    auto* line = new QHBoxLayout();
    auto* tag = new QSpinBox(panel);
    tag->setRange(-32768, 32767);
    auto* preset = new QPushButton(
        beginning ? QStringLiteral("Set SelectedBPETAG") : QStringLiteral("Set SelectedEPETAG"),
        panel);
    connect(preset, &QPushButton::clicked, this, [this, tag, beginning] {
      const auto value = static_cast<int16_t>(tag->value());
      beginning ? control_->SetSelectedBPETAG(value) : control_->SetSelectedEPETAG(value);
      ReadProperties();
    });
    line->addWidget(tag);
    line->addWidget(preset);
    column->addLayout(line);
  }
  controlsEnabled_ = new QCheckBox(QStringLiteral("ControlsEnabled"), panel);
  controlsEnabled_->setChecked(true);
  connect(controlsEnabled_, &QCheckBox::toggled, this,
          [this](bool on) { control_->SetControlsEnabled(on); });
  column->addWidget(controlsEnabled_);
  column->addStretch(1);
  row->addWidget(panel, 0, Qt::AlignTop);

  setCentralWidget(central);
  statusBar()->showMessage(
      QStringLiteral("No data folder: choose one with File, Open Data Folder."));
  qtfront::SetMainWindow(this);
}

QLabel* HostWindow::AddPanelRow(const QString& property) {
  auto* value = new QLabel(QStringLiteral("-"), this);
  value->setObjectName(property);
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form_->addRow(property + QStringLiteral(":"), value);
  return value;
}

void HostWindow::OpenFolder(const QString& folder) {
  folder_ = folder;
  const bool server = recordstore::IsServerPath(folder.toStdString());
  statusBar()->showMessage(
      (server ? QStringLiteral("Data source: ") : QStringLiteral("Data folder: ")) +
      ShownSource(folder));
  control_->SetPathText(folder.toStdString());
  control_->setFocus(Qt::OtherFocusReason);
}

void HostWindow::ChooseFolder() {
  const QString folder =
      QFileDialog::getExistingDirectory(this, QStringLiteral("Choose the data folder"), folder_);
  if (!folder.isEmpty()) OpenFolder(folder);
}

// The host's own copy of PathText (the property has no Get side) and the six Gets.
void HostWindow::ReadProperties() {
  auto set = [this](const char* name, const QString& text) {
    if (auto* label = findChild<QLabel*>(QString::fromLatin1(name))) label->setText(text);
  };
  set("PathText", folder_.isEmpty() ? QStringLiteral("(not set)") : ShownSource(folder_));
  set("SelectedBPETAG", QString::number(control_->SelectedBPETAG()));
  set("SelectedEPETAG", QString::number(control_->SelectedEPETAG()));
  set("SelectedBPEDATE",
      QStringLiteral("\"%1\"").arg(QString::fromStdString(control_->SelectedBPEDATE())));
  set("SelectedEPEDATE",
      QStringLiteral("\"%1\"").arg(QString::fromStdString(control_->SelectedEPEDATE())));
  set("IsListOK", BooleanText(control_->IsListOK()));
  set("ArePEDatesOK", BooleanText(control_->ArePEDatesOK()));
}

QString HostWindow::PanelText(const QString& property) const {
  auto* label = findChild<QLabel*>(property);
  return label != nullptr ? label->text() : QString();
}

}  // namespace desktophost
