#pragma once
// Picture1: the main window's list of the arbitrary filters that are set, one line per slot
// with the material description and the thickness. The thickness stands at the right edge so the
// description has the rest of the line; a description cut even so is the line's tooltip.

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
  /// logical x of the description on a slot's line
  static constexpr double kDescriptionX = 2;

  explicit FilterListPanel(QWidget* parent);

  /// Lists the filter of `slot` (1..3): `description` at logical (2, 15 slot - 10) and the
  /// thickness in mm (10 x thicknessCm, up to 15 significant digits) followed by " mm" at the
  /// right edge.
  void ListFilter(int slot, const QString& description, double thicknessCm);
  /// Empties the panel to its background.
  void Clear();

  /// logical y of a slot's line: 5, 20, 35 for slots 1, 2, 3
  static double LineY(int slot) { return 15.0 * slot - 10.0; }
  /// the thickness text listed for a thickness in cm, e.g. "0.5 mm" for 0.05
  static QString ThicknessText(double thicknessCm);
  /// "description / thickness" of each listed slot 1..3; empty strings for empty slots
  QStringList Lines() const;
  /// the tooltip of a slot's line: its whole description when the line shows it cut, else empty
  QString LineToolTip(int slot) const;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Entry {
    QString description;
    QString thickness;
  };
  /// where a slot's line stands and the description as it fits before the thickness
  struct LineLayout {
    QRect description;
    QRect thickness;
    QString shownDescription;
  };
  LineLayout Layout(int slot) const;
  /// the slot (1..3) whose line holds the point, 0 for none
  int SlotAt(const QPoint& point) const;

  Entry entries_[3];
};

}  // namespace kestrix
