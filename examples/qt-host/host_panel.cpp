// HostPanel: the control, its property panel and the presets.
// Relies on QtWidgets and the installed DorvaneWidget.
#include "host_panel.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "frontends/qt/dorvane_widget.h"

namespace {

// A 16-bit Boolean as the host sees it (True is -1).
QString BooleanText(int16_t value) { return value != 0 ? "True" : "False"; }

}  // namespace

HostPanel::HostPanel(const QString& title, const std::string& source, QWidget* parent)
    : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  auto* box = new QGroupBox(title, this);
  auto* inner = new QVBoxLayout(box);
  control_ = new qtfront::DorvaneWidget(box);
  inner->addWidget(control_, 0, Qt::AlignLeft);
  auto* form = new QFormLayout();
  for (const char* name :
       {"PathText", "SelectedBPETAG", "SelectedEPETAG", "SelectedBPEDATE", "SelectedEPEDATE",
        "IsListOK", "ArePEDatesOK", "Working list", "Last error"}) {
    auto* value = new QLabel(box);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QString::fromLatin1(name), value);
    values_[QString::fromLatin1(name)] = value;
  }
  values_["PathText"]->setText(QString::fromStdString(source));
  inner->addLayout(form);
  // The presets by period-ending tag, written as a host writes them.
  auto* presets = new QHBoxLayout();
  auto* tag = new QSpinBox(box);
  tag->setRange(-32768, 32767);
  auto* from = new QPushButton("Set BPETAG", box);
  auto* to = new QPushButton("Set EPETAG", box);
  presets->addWidget(tag);
  presets->addWidget(from);
  presets->addWidget(to);
  inner->addLayout(presets);
  column->addWidget(box);
  QObject::connect(from, &QPushButton::clicked, this, [this, tag] {
    control_->SetSelectedBPETAG(static_cast<int16_t>(tag->value()));
    ReadProperties();
  });
  QObject::connect(to, &QPushButton::clicked, this, [this, tag] {
    control_->SetSelectedEPETAG(static_cast<int16_t>(tag->value()));
    ReadProperties();
  });
  // The panel follows the control's own change signals.
  QObject::connect(control_, &qtfront::DorvaneWidget::workingListChanged, this,
                   [this](int rows, int savedListTag) {
                     values_["Working list"]->setText(
                         QString("%1 rows, saved list %2").arg(rows).arg(savedListTag));
                     ReadProperties();
                   });
  QObject::connect(control_, &qtfront::DorvaneWidget::periodEndingRangeChanged, this,
                   [this] { ReadProperties(); });
  QObject::connect(control_, &qtfront::DorvaneWidget::errorReported, this,
                   [this](int number, const QString& text) {
                     values_["Last error"]->setText(QString::number(number) + " " + text);
                   });
  control_->SetPathText(source);
  ReadProperties();
}

void HostPanel::ReadProperties() {
  values_["SelectedBPETAG"]->setText(QString::number(control_->SelectedBPETAG()));
  values_["SelectedEPETAG"]->setText(QString::number(control_->SelectedEPETAG()));
  values_["SelectedBPEDATE"]->setText(QString::fromStdString(control_->SelectedBPEDATE()));
  values_["SelectedEPEDATE"]->setText(QString::fromStdString(control_->SelectedEPEDATE()));
  values_["IsListOK"]->setText(BooleanText(control_->IsListOK()));
  values_["ArePEDatesOK"]->setText(BooleanText(control_->ArePEDatesOK()));
}
