#include "transmission_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "decimal_text.h"
#include "entry_review.h"
#include "input_number.h"
#include "transmission_emission.h"
#include "ui_language.h"
#include "user_messages.h"

namespace kestrix {
namespace {

QString Number(double value) { return QString::fromStdString(ShortestDecimal(value)); }

}  // namespace

QString TransmissionText(const TransmissionTarget& target) {
  if (!target.IsTransmission()) return Tr("反射ターゲット");
  return Tr("W 透過ターゲット: 層 %1 µm、窓 %2 %3 mm")
      .arg(Number(target.layerUm), QString::fromLatin1(TransmissionWindowName(target.window)), Number(target.windowMm));
}

TransmissionDialog::TransmissionDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TransmissionDialog"));
  setWindowTitle(Tr("ターゲットの種類"));
  setModal(true);
  reflection_ = new QRadioButton(Tr("反射ターゲット (ターゲット角度)"), this);
  reflection_->setObjectName(QStringLiteral("ReflectionOption"));
  transmission_ = new QRadioButton(Tr("透過ターゲット (窓の上のタングステン層)"), this);
  transmission_->setObjectName(QStringLiteral("TransmissionOption"));
  layer_ = new QLineEdit(QStringLiteral("1"), this);
  layer_->setObjectName(QStringLiteral("TransmissionLayerBox"));
  layer_->setToolTip(Tr("タングステン層の厚さ (%1 ～ %2 µm)").arg(Number(kSmallestLayerUm), Number(kLargestLayerUm)));
  window_ = new QComboBox(this);
  window_->setObjectName(QStringLiteral("TransmissionWindowBox"));
  for (const TransmissionWindow window : TransmissionWindows()) {
    window_->addItem(QString::fromLatin1(TransmissionWindowName(window)), static_cast<int>(window));
  }
  window_->setToolTip(Tr("層を載せた窓の材質、ビームはこの窓を通って出ます"));
  windowMm_ = new QLineEdit(QStringLiteral("0.3"), this);
  windowMm_->setObjectName(QStringLiteral("TransmissionWindowMmBox"));
  windowMm_->setToolTip(Tr("窓の厚さ: 管電圧での電子の飛程以上"));

  auto* boxes = new QGridLayout;
  boxes->addWidget(new QLabel(Tr("タングステン層"), this), 0, 0);
  boxes->addWidget(layer_, 0, 1);
  boxes->addWidget(new QLabel(QStringLiteral("µm"), this), 0, 2);
  boxes->addWidget(new QLabel(Tr("窓の材質"), this), 1, 0);
  boxes->addWidget(window_, 1, 1);
  boxes->addWidget(new QLabel(Tr("窓の厚さ"), this), 2, 0);
  boxes->addWidget(windowMm_, 2, 1);
  boxes->addWidget(new QLabel(QStringLiteral("mm"), this), 2, 2);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("TransmissionOk"));
  buttons->button(QDialogButtonBox::Cancel)->setText(Tr("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TransmissionDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TransmissionDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(reflection_);
  layout->addWidget(transmission_);
  layout->addLayout(boxes);
  layout->addWidget(buttons);
  connect(transmission_, &QRadioButton::toggled, this, &TransmissionDialog::ShowKind);
  reflection_->setChecked(true);
  ShowKind();
}

void TransmissionDialog::ShowKind() {
  const bool on = transmission_->isChecked();
  layer_->setEnabled(on);
  window_->setEnabled(on);
  windowMm_->setEnabled(on);
}

void TransmissionDialog::SetTarget(const TransmissionTarget& target) {
  if (target.IsTransmission()) {
    transmission_->setChecked(true);
    layer_->setText(Number(target.layerUm));
    window_->setCurrentIndex(window_->findData(static_cast<int>(target.window)));
    windowMm_->setText(Number(target.windowMm));
  } else {
    reflection_->setChecked(true);
  }
  ShowKind();
}

std::optional<TransmissionTarget> TransmissionDialog::ReadTarget() {
  if (!transmission_->isChecked()) return TransmissionTarget{};
  // a box is refused whole: the desktop takes no number it would have to guess
  const auto read = [this](QLineEdit* box, const QString& name, const QString& unit) -> std::optional<double> {
    const std::optional<double> value = ParseWholeNumber(AsciiNumberText(box->text()).trimmed().toStdString());
    if (value && *value > 0) return value;
    ShowExclamation(this, Tr("「%1」の「%2」は使えません。0 より大きい数を %3 で入力して下さい。").arg(name, box->text(), unit));
    box->setFocus();
    box->selectAll();
    return std::nullopt;
  };
  const std::optional<double> layer = read(layer_, Tr("タングステン層"), QStringLiteral("µm"));
  if (!layer) return std::nullopt;
  if (*layer < kSmallestLayerUm || *layer > kLargestLayerUm) {
    ShowExclamation(this, Tr("「タングステン層」の %1 µm は範囲外です。%2 ～ %3 µm の厚さを入力して下さい。")
                              .arg(Number(*layer), Number(kSmallestLayerUm), Number(kLargestLayerUm)));
    layer_->setFocus();
    layer_->selectAll();
    return std::nullopt;
  }
  const std::optional<double> windowMm = read(windowMm_, Tr("窓の厚さ"), QStringLiteral("mm"));
  if (!windowMm) return std::nullopt;
  return TransmissionTarget{*layer, static_cast<TransmissionWindow>(window_->currentData().toInt()), *windowMm};
}

void TransmissionDialog::accept() {
  const std::optional<TransmissionTarget> target = ReadTarget();
  if (!target) return;
  target_ = *target;
  QDialog::accept();
}

}  // namespace kestrix
