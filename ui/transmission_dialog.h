#pragma once
// "ターゲットの種類": the choice between the thick reflection target at the target angle and a
// transmission target, a tungsten layer [um] on a diamond, beryllium or aluminium window [mm] that
// the beam leaves through along the electrons' direction. Modal over the main window; OK keeps the
// choice only when every box holds a usable number, otherwise a message names the box and nothing
// changes.

#include <QDialog>
#include <optional>

#include "transmission_target.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace kestrix {

class TransmissionDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TransmissionDialog(QWidget* parent = nullptr);

  /// Shows `target` in the boxes (a reflection target: the boxes keep their last texts, greyed).
  void SetTarget(const TransmissionTarget& target);
  /// The target the boxes describe; nullopt (after a message naming the box) when a box holds
  /// no number, a thickness that is not positive, or a layer outside the model's range.
  std::optional<TransmissionTarget> ReadTarget();
  /// the target of the last OK (reflection until one)
  const TransmissionTarget& Target() const { return target_; }

  /// OK: keeps ReadTarget's target and closes, or stays open after its message.
  void accept() override;

 private:
  void ShowKind();

  TransmissionTarget target_;
  QRadioButton* reflection_ = nullptr;
  QRadioButton* transmission_ = nullptr;
  QLineEdit* layer_ = nullptr;
  QComboBox* window_ = nullptr;
  QLineEdit* windowMm_ = nullptr;
};

/// The target in the main window's words for a tooltip: "W 透過ターゲット: 層 1 µm、窓 diamond 0.3 mm",
/// or "反射ターゲット"
QString TransmissionText(const TransmissionTarget& target);

}  // namespace kestrix
