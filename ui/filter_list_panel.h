#pragma once
// Picture1: the main window's list of the arbitrary filters that are set, one line per slot
// with the material description and the thickness.

#include <QString>
#include <QStringList>
#include <QWidget>

namespace kestrix {

class FilterListPanel : public QWidget {
  Q_OBJECT
 public:
  /// horizontal and vertical size of one of the panel's logical units [twips]
  static constexpr double kTwipsPerUnitX = 16.5;
  static constexpr double kTwipsPerUnitY = 16.875;
  /// logical x of the description and of the thickness on a slot's line
  static constexpr double kDescriptionX = 2;
  static constexpr double kThicknessX = 60;

  explicit FilterListPanel(QWidget* parent);

  /// Lists the filter of `slot` (1..3): `description` at logical (2, 15 slot - 10) and the
  /// thickness in mm (10 x thicknessCm, up to 15 significant digits) followed by " mm" at x 60.
  void ListFilter(int slot, const QString& description, double thicknessCm);
  /// Empties the panel to its background.
  void Clear();

  /// logical y of a slot's line: 5, 20, 35 for slots 1, 2, 3
  static double LineY(int slot) { return 15.0 * slot - 10.0; }
  /// the thickness text listed for a thickness in cm, e.g. "0.5 mm" for 0.05
  static QString ThicknessText(double thicknessCm);
  /// "description / thickness" of each listed slot 1..3; empty strings for empty slots
  QStringList Lines() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Entry {
    QString description;
    QString thickness;
  };
  Entry entries_[3];
};

}  // namespace kestrix
