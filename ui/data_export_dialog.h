#pragma once
// Form5 "データ保存": rereads the spectrum exchange file of the last calculation, shows it as a
// comma- or space-separated table in the chosen unit, normalisation and notation, and saves
// exactly the previewed table to a folder chosen in the drive, folder and file lists. A shown
// preview is refreshed whenever an option changes, so it always matches the options on screen;
// OK without a preview builds it first. An existing file is replaced only when the user agrees.

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "beam_settings.h"
#include "export_table.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kestrix {

class FolderPicker;

/// The lines that describe the tube of a spectrum from the physics model's inputs where they apply,
/// each starting with "# ", as kestrix-cli writes them: "# tube: Mo target" for a target other than
/// tungsten or without the characteristic lines (", bremsstrahlung alone (no characteristic lines)"),
/// "# point: off axis 5 degrees along (positive towards the cathode), 0 degrees across" off the central ray.
/// None for a tungsten target with its lines on the central ray: that table is as it always was.
std::vector<std::string> TubeCommentLines(const RunSettings& settings);

class DataExportDialog : public QWidget {
  Q_OBJECT
 public:
  explicit DataExportDialog(QWidget* parent);

  /// The "Data Save" opening: empty preview, file list at the folder list's folder, default
  /// options, empty name; shows the dialog with the focus in the name box.
  void PrepareAndShow();

  /// `run` gives the inputs of the spectrum in the exchange file (none: unknown), whose tube the
  /// table then describes in lines before its header (TubeCommentLines).
  void DescribeRunWith(std::function<std::optional<RunSettings>()> run) { run_ = std::move(run); }

  FolderPicker& Folders() const { return *folders_; }
  /// the lines before the header of the last preview, without line ends
  const std::vector<std::string>& PreviewedComments() const { return comments_; }
  /// the table of the last preview (header, lines and values)
  const SpectrumTable& PreviewedTable() const { return table_; }

 private:
  SpectrumTableOptions ChosenOptions() const;
  /// Builds the table from the exchange file and shows it; false (after a message) on failure.
  bool Preview();
  void ClearPreview();
  void Save();
  void NameEntered();

  SpectrumTable table_;
  std::vector<std::string> comments_;
  std::function<std::optional<RunSettings>()> run_;
  FolderPicker* folders_;
  QLineEdit* text1_;
  QPushButton* command1_;
  QRadioButton* option_[11] = {};  // Option1..Option10, index 0 unused
  QListWidget* list1_;
};

}  // namespace kestrix
