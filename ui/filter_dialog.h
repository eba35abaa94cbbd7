#pragma once
// Form1 "任意フィルター設定": picks a material file of the working directory and a thickness
// and adds them as the next arbitrary filter. Modal over the main window, so the inputs and
// filters cannot change under it; hidden when done, by Cancel or by Esc.

#include <functional>

#include <QWidget>

#include "beam_settings.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrix {

class FilterListPanel;
class PatternFileList;
struct ArbitraryFilterSet;

class FilterDialog : public QWidget {
  Q_OBJECT
 public:
  /// filters and panel outlive the dialog; enableSetCommand switches the main window's
  /// set button "設定" (Command4), which is disabled when the third filter is added.
  FilterDialog(ArbitraryFilterSet& filters, FilterListPanel& panel, std::function<void(bool)> enableSetCommand,
               QWidget* parent);

  /// The set button's opening: empties the description and the thickness box, reads the
  /// working directory's material files again and shows the dialog.
  void PrepareAndShow();

  /// `added` is told the material file and thickness of every filter the dialog adds.
  void OnFilterAdded(std::function<void(const FilterRequest&)> added) { filterAdded_ = std::move(added); }

  /// the description of the material file read last (MaterialDescription)
  QString MaterialDescription() const { return materialDescription_; }

 private:
  /// the file `name` of the listed folder, as the material-file readers take it
  QString PathOf(const QString& name) const;
  /// Reads the description of the file `name` into Label5; false (after a message) when the
  /// file cannot be read.
  bool ShowDescription(const QString& name);
  void FileClicked();
  void ThicknessEntered();
  void AddFilter();

  ArbitraryFilterSet& filters_;
  FilterListPanel& panel_;
  std::function<void(bool)> enableSetCommand_;
  std::function<void(const FilterRequest&)> filterAdded_;
  QString materialDescription_;
  /// the file whose description was read last since the dialog opened, read or not
  QString describedName_;

  QLineEdit* text2_;
  QPushButton* command2_;
  QPushButton* command1_;
  PatternFileList* file1_;
  QLabel* label5_;
};

}  // namespace kestrix
