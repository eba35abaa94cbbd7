#include "quality_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

#include "batch_run.h"
#include "beam_figures.h"
#include "program_data.h"
#include "data_folder.h"
#include "decimal_text.h"
#include "detector_run.h"
#include "measured_spectrum.h"
#include "dialog_controls.h"
#include "emission_models.h"
#include "entry_review.h"
#include "engine_results_panel.h"
#include "input_number.h"
#include "failure_texts.h"
#include "filtration_fit.h"
#include "main_window.h"
#include "material_file.h"
#include "model_choices.h"
#include "ui_fonts.h"
#include "ui_language.h"
#include "user_messages.h"
#include "window_placement.h"

namespace kestrix {
namespace {

/// Where a figure comes from: one of the engine's five, or an extended figure.
enum class Source { Engine, Extended, AirKerma };

struct FigureRow {
  const char* key;    /// the figure's key in kestrix-cli's JSON
  const char* name;   /// Japanese name
  const char* unit;   /// unit, empty for a pure number
  Source source;
  std::size_t index;  /// engine field 0..4 or ExtendedFigure
  const char* tip;    /// how the figure is found
};

const char* const kEngineTip = QT_TRID_NOOP("半価層の計算 (Quillon) と同じ値: 減弱を一定の厚さ刻みで求めて補間");
const char* const kRootTip = QT_TRID_NOOP("透過曲線の根として求めた値 (均等度はこの値から)");

/// Every figure in the window's order: aluminium, copper, then the beam as a whole.
const std::vector<FigureRow>& FigureRows() {
  static const std::vector<FigureRow> rows = {
      {"hvl_al_mm", QT_TRID_NOOP("第1半価層 (Al)"), "mm Al", Source::Engine, 0, kEngineTip},
      {"hvl1_al_mm", QT_TRID_NOOP("第1半価層 (Al, 透過曲線)"), "mm Al", Source::Extended, kHvl1Al, kRootTip},
      {"hvl2_al_mm", QT_TRID_NOOP("第2半価層 (Al)"), "mm Al", Source::Extended, kHvl2Al, QT_TRID_NOOP("空気カーマを 1/2 から 1/4 にするアルミニウムの厚さ")},
      {"homogeneity_al", QT_TRID_NOOP("均等度 (Al, HVL1/HVL2)"), "", Source::Extended, kHomogeneityAl, ""},
      {"effective_energy_al_keV", QT_TRID_NOOP("実効エネルギー (Al)"), "keV", Source::Engine, 1, kEngineTip},
      {"hvl_cu_mm", QT_TRID_NOOP("第1半価層 (Cu)"), "mm Cu", Source::Engine, 2, kEngineTip},
      {"hvl1_cu_mm", QT_TRID_NOOP("第1半価層 (Cu, 透過曲線)"), "mm Cu", Source::Extended, kHvl1Cu, kRootTip},
      {"hvl2_cu_mm", QT_TRID_NOOP("第2半価層 (Cu)"), "mm Cu", Source::Extended, kHvl2Cu, QT_TRID_NOOP("空気カーマを 1/2 から 1/4 にする銅の厚さ")},
      {"homogeneity_cu", QT_TRID_NOOP("均等度 (Cu, HVL1/HVL2)"), "", Source::Extended, kHomogeneityCu, ""},
      {"effective_energy_cu_keV", QT_TRID_NOOP("実効エネルギー (Cu)"), "keV", Source::Engine, 3, kEngineTip},
      {"photons_per_mm2_per_Ckg", QT_TRID_NOOP("光子フルエンス (照射線量 1 C/kg あたり)"), QT_TRID_NOOP("光子/mm²"), Source::Engine, 4, kEngineTip},
      {"mean_energy_keV", QT_TRID_NOOP("平均エネルギー (フルエンス加重)"), "keV", Source::Extended, kMeanEnergy, ""},
      {"kerma_mean_energy_keV", QT_TRID_NOOP("平均エネルギー (空気カーマ加重)"), "keV", Source::Extended, kKermaMeanEnergy, ""},
      {"air_kerma_per_mAs", QT_TRID_NOOP("空気カーマ (1 mAs あたり)"), QT_TRID_NOOP("μGy/mAs"), Source::AirKerma, 0,
       QT_TRID_NOOP("絶対値を計算するモデル (物理モデル) で計算したときに示します")},
  };
  return rows;
}

/// Why engine figure `field` of `outcome` has no value, in Japanese.
QString MissingEngineReason(const RunOutcome& outcome, std::size_t field) {
  if (!outcome.results) return Tr("半価層の計算 (Quillon) がこのスペクトルを扱えません");
  const bool aluminium = field < 2;
  const QString material = aluminium ? Tr("アルミニウム") : Tr("銅");
  switch (field) {
    case 0:
    case 2:
      if (outcome.layerBelowFirstStep[aluminium ? 0 : 1]) {
        return Tr("最初の厚さの刻みで空気カーマの透過率が 50 % を下回り、補間できません");
      }
      return material + Tr(" 100 mm でも空気カーマの透過率が 50 % 以上です");
    case 1:
    case 3:
      if (!FigureValue(outcome, field - 1)) return material + Tr("の半価層がありません");
      return Tr("300 keV までに半価層に対応する減弱係数がありません");
    default:
      return Tr("結果ファイルの欄に収まりません");
  }
}

/// The value of a figure of `outcome`, and why it is missing when it is; the air kerma comes from
/// `airKerma` (with its reason), computed at the window's distance.
std::optional<double> RowValue(const RunOutcome& outcome, const FigureRow& row, QString* reason,
                               const std::pair<std::optional<double>, QString>& airKerma,
                               const QString& engineFailure) {
  std::optional<double> value;
  if (row.source == Source::Engine && !engineFailure.isEmpty()) {
    *reason = engineFailure;  // Quillon gave no figures for this curve: none are shown in its stead
  } else if (row.source == Source::Engine) {
    value = FigureValue(outcome, row.index);
    if (!value) *reason = MissingEngineReason(outcome, row.index);
  } else if (row.source == Source::Extended) {
    value = outcome.extended.values[row.index];
    if (!value) *reason = EngineResultsPanel::MissingReason(outcome.extended, row.index);
  } else {
    value = airKerma.first;
    if (!value) *reason = airKerma.second;
  }
  return value;
}

/// What stands in place of a missing value: a dash where there is no figure to be had (the air kerma
/// of a relative model, an engine that gave none), "範囲外" where the beam has none.
QString MissingText(const FigureRow& row, const QString& engineFailure) {
  if (row.source == Source::AirKerma || (row.source == Source::Engine && !engineFailure.isEmpty())) {
    return EngineResultsPanel::kUnavailableText;
  }
  return EngineResultsPanel::NotAvailableText();
}

/// The value as the window shows it: the engine's layers and energies as its result file and
/// the main window do, the fluence as the main window does, the extended figures to the decimals
/// every output uses.
QString ShownText(const FigureRow& row, double value) {
  // close to the focal spot the kerma grows past what three decimals show sensibly
  if (row.source == Source::AirKerma) return value < 1e5 ? QString::number(value, 'f', 3) : QString::number(value, 'e', 3);
  if (row.source == Source::Engine) {
    if (row.index < 4) return QString::number(value, 'f', FigureFields()[row.index].decimals);
    return QString::number(value, 'E', 3);
  }
  return QString::number(value, 'f', ExtendedFigureFields()[row.index].decimals);
}

/// A number in the shortest form that reads back to the same double, "." as decimal point.
QString FullText(double value) { return QString::fromStdString(ShortestDecimal(value)); }

const char* const kWaveformNames[] = {QT_TRID_NOOP("定電圧"), QT_TRID_NOOP("三相12ピーク"), QT_TRID_NOOP("単相全波")};
/// lines of the copied text before the figures: the model, then the entries of the run
constexpr int kInputLines = 9;

bool SameEntries(const RunEntries& a, const RunEntries& b) {
  return std::tie(a.tubeVoltageKV, a.targetAngleDegrees, a.berylliumMm, a.aluminiumEquivalentMm, a.addedAluminiumMm,
                  a.addedCopperMm, a.target, a.characteristicLines, a.offAxisAlongDegrees, a.offAxisAcrossDegrees) ==
         std::tie(b.tubeVoltageKV, b.targetAngleDegrees, b.berylliumMm, b.aluminiumEquivalentMm, b.addedAluminiumMm,
                  b.addedCopperMm, b.target, b.characteristicLines, b.offAxisAlongDegrees, b.offAxisAcrossDegrees);
}

bool SameFiles(const std::vector<FilterRequest>& a, const std::vector<FilterRequest>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (a[k].path != b[k].path || a[k].thicknessMm != b[k].thicknessMm) return false;
  }
  return true;
}

/// The box of the main window that holds `entry`.
std::string& EntryText(RunInputTexts& texts, FittedEntry entry) {
  switch (entry) {
    case FittedEntry::InherentAluminiumEquivalent: return texts.aluminiumEquivalent;
    case FittedEntry::AddedCopper: return texts.addedCopper;
    default: return texts.addedAluminium;
  }
}

/// The entry's name as the main window labels it.
QString EntryName(FittedEntry entry) {
  switch (entry) {
    case FittedEntry::InherentAluminiumEquivalent: return Tr("固有ろ過 (アルミ当量)");
    case FittedEntry::AddedCopper: return Tr("銅付加フィルタ");
    default: return Tr("アルミ付加フィルタ");
  }
}

/// The tube's lines of the copied text, where they apply: the target for a model that offers more
/// than tungsten, the lines when they are left out, the off-axis angles of a point off the central ray.
QList<QStringList> TubeLines(const RunSettings& settings) {
  QList<QStringList> lines;
  const RunEntries& entries = settings.entries;
  if (ModelTargets(settings.model).size() > 1 || entries.target != TargetMaterial::Tungsten) {
    lines << QStringList{Tr("ターゲット"), QString::fromLatin1(TargetSymbol(entries.target))};
  }
  if (!entries.characteristicLines) lines << QStringList{Tr("特性X線"), Tr("なし (制動放射のみ)")};
  if (entries.transmission.IsTransmission()) {
    lines << QStringList{EntryBoxName(EntryBox::TransmissionTarget),
                         QString::fromStdString(ShortestDecimal(entries.transmission.layerUm)) + QStringLiteral(" µm W / ") +
                             QString::fromLatin1(TransmissionWindowName(entries.transmission.window)) + QLatin1Char(' ') +
                             QString::fromStdString(ShortestDecimal(entries.transmission.windowMm)),
                         QStringLiteral("mm")};
  }
  if (entries.offAxisAlongDegrees != 0 || entries.offAxisAcrossDegrees != 0) {
    lines << QStringList{EntryBoxName(EntryBox::OffAxisAlong),
                         QString::fromStdString(ShortestDecimal(entries.offAxisAlongDegrees)), QStringLiteral("degree")};
    lines << QStringList{EntryBoxName(EntryBox::OffAxisAcross),
                         QString::fromStdString(ShortestDecimal(entries.offAxisAcrossDegrees)), QStringLiteral("degree")};
  }
  return lines;
}

QString LayerUnit(LayerMaterial material) {
  return material == LayerMaterial::Aluminium ? QStringLiteral("mm Al") : QStringLiteral("mm Cu");
}

/// Why a fit target is out of reach, in Japanese with the reachable range.
QString OutOfReachText(const FiltrationFitError& error, const FitRequest& request) {
  const QString unit = LayerUnit(request.material);
  QString text = Tr("目標の第1半価層 ") + FullText(request.targetHvl1Mm) + QLatin1Char(' ') + unit +
                 Tr(" は得られません。");
  if (error.thinnestHvl1Mm && error.thickestHvl1Mm) {
    text += QStringLiteral("\n") + EntryName(request.entry) + Tr(" 0 ～ ") + FullText(error.thickestMm) +
            Tr(" mm で得られるのは ") + QString::number(*error.thinnestHvl1Mm, 'f', 4) +
            Tr(" ～ ") + QString::number(*error.thickestHvl1Mm, 'f', 4) + QLatin1Char(' ') + unit +
            Tr(" です。");
  } else {
    text += (QStringLiteral("\n") + Tr("この条件のビームには半価層がありません。"));
  }
  return text;
}

/// A figure row's label, value and unit in the grid.
QLabel* GridText(const QString& text, QWidget* parent, Qt::Alignment alignment = Qt::AlignLeft) {
  auto* label = new QLabel(text, parent);
  label->setFont(RoundedGothicFont(10.5));
  label->setAlignment(alignment | Qt::AlignVCenter);
  return label;
}


/// the delivered detector materials, offered by name
const char* const kDetectorMaterials[] = {"CsI", "Gd2O2S", "CdTe", "CdZnTe", "Si", "a-Se", "Ge", "NaI"};

/// the detector's figures in the window's order: (JSON key, Japanese name, unit)
struct DetectorRow {
  const char* key;
  const char* name;
  const char* unit;
};
const DetectorRow kDetectorRows[] = {
    {kDetectorQdeKey, QT_TRID_NOOP("量子検出効率"), ""},
    {kDetectorAbsorbedFractionKey, QT_TRID_NOOP("吸収エネルギーの割合"), ""},
    {kDetectorAbsorbedEnergyKey, QT_TRID_NOOP("吸収エネルギー"), QT_TRID_NOOP("keV/(mAs·mm²)")},
    {kDetectorPhotonsKey, QT_TRID_NOOP("検出光子数"), QT_TRID_NOOP("光子/(mAs·mm²)")},
};

/// The material file of a detector named `name` as kestrix-cli finds it: a delivered name is its
/// .ele or .mix file in the working folder or the delivered data; any other name is a file itself.
std::string DetectorMaterialFile(const std::string& name) {
  const std::string delivered = DeliveredDataFolderOfProgram().toStdString();
  std::string path = name;
  for (const std::string& folder : {std::string("."), delivered}) {
    if (path != name || folder.empty()) continue;
    path = DetectorMaterialIn(path, folder);
  }
  if (path.rfind("./", 0) == 0) path.erase(0, 2);
  return WorkingOrDeliveredFile(path, delivered);
}

/// A number typed in a box (full-width digits too), nullopt when it is not a whole number.
std::optional<double> TypedNumber(const QLineEdit* box) {
  return ParseWholeNumber(AsciiNumberText(box->text().trimmed()).toStdString());
}

/// a figure of the uncertainty box: four significant digits
QString SpreadText(double value) { return QString::number(value, 'g', 4); }

/// the window's Japanese name and unit of the figure `key`, the library's label for one it does not show
std::pair<QString, QString> FigureNameOf(const std::string& key, const std::string& label) {
  for (const FigureRow& row : FigureRows()) {
    if (key == row.key) return {Tr(row.name), Tr(row.unit)};
  }
  return {QString::fromStdString(label), QString()};
}

}  // namespace

QualityWindow::QualityWindow(MainWindow& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Tool), mainWindow_(mainWindow) {
  // A tool window of the main window: it stays above it, also after a Graph Draw.
  setObjectName(QStringLiteral("QualityWindow"));
  setWindowTitle(Tr("線質"));

  // The figures of the last run.
  auto* figures = new QGroupBox(Tr("前回の計算の線質"), this);
  figures->setFont(RoundedGothicFont(10.5));
  auto* figuresColumn = new QVBoxLayout(figures);
  runLabel_ = GridText(QString(), figures);
  runLabel_->setObjectName(QStringLiteral("RunLabel"));
  runLabel_->setWordWrap(true);
  // a tube's lines (target, lines, point) wrap rather than widen the window past a 1024 px screen
  runLabel_->setMaximumWidth(480);
  figuresColumn->addWidget(runLabel_);
  auto* grid = new QGridLayout;
  figuresColumn->addLayout(grid);
  int row = 0;
  for (const FigureRow& figure : FigureRows()) {
    values_.push_back(AddFigureRow(grid, row++, Tr(figure.name), figure.key,
                                   Tr(figure.unit)));
    if (*figure.tip != '\0') values_.back()->setToolTip(Tr(figure.tip));
  }
  // The distance of the air kerma, beside its row.
  auto* distanceRow = new QHBoxLayout;
  distanceRow->addWidget(GridText(Tr("空気カーマの距離"), figures));
  distance_ = new QLineEdit(QStringLiteral("1000"), figures);
  distance_->setObjectName(QStringLiteral("DistanceBox"));
  distance_->setMaximumWidth(70);
  distance_->setEnabled(false);
  distance_->setToolTip(Tr(FigureRows().back().tip));
  distanceRow->addWidget(distance_);
  distanceRow->addWidget(GridText(QStringLiteral("mm"), figures));
  distanceRow->addStretch();
  figuresColumn->addLayout(distanceRow);
  // why the distance typed gives no air kerma, in plain view
  distanceNote_ = GridText(QString(), figures);
  distanceNote_->setObjectName(QStringLiteral("DistanceNote"));
  distanceNote_->setWordWrap(true);
  QPalette noteColors = distanceNote_->palette();
  noteColors.setColor(QPalette::WindowText, QColor(160, 0, 0));
  distanceNote_->setPalette(noteColors);
  figuresColumn->addWidget(distanceNote_);
  QPushButton* copy = DialogCommand(QStringLiteral("CopyCommand"), Tr("クリップボードにコピー"), figures);
  copy->setToolTip(Tr("入力と全ての値をテキストとしてコピー (表計算ソフトに貼り付けられます)"));
  auto* copyRow = new QHBoxLayout;
  copyRow->addStretch();
  copyRow->addWidget(copy);
  figuresColumn->addLayout(copyRow);

  // Standard radiation qualities.
  auto* standards = new QGroupBox(Tr("標準線質を入力欄に設定"), this);
  standards->setFont(RoundedGothicFont(10.5));
  auto* standardsColumn = new QVBoxLayout(standards);
  auto* qualityRow = new QHBoxLayout;
  qualityBox_ = new QComboBox(standards);
  qualityBox_->setObjectName(QStringLiteral("QualityBox"));
  qualityBox_->setMinimumWidth(140);
  applyQuality_ = DialogCommand(QStringLiteral("ApplyQualityCommand"), Tr("設定"), standards);
  qualityRow->addWidget(qualityBox_, 1);
  qualityRow->addWidget(applyQuality_);
  standardsColumn->addLayout(qualityRow);
  qualityLabel_ = GridText(QString(), standards);
  qualityLabel_->setObjectName(QStringLiteral("QualityLabel"));
  qualityLabel_->setWordWrap(true);
  standardsColumn->addWidget(qualityLabel_);
  // the quality's published figures beside its run's, filled while the last run is the quality's
  deviationGrid_ = new QGridLayout;
  deviationGrid_->setHorizontalSpacing(10);
  standardsColumn->addLayout(deviationGrid_);
  deviationNote_ = GridText(QString(), standards);
  deviationNote_->setObjectName(QStringLiteral("QualityDeviationNote"));
  deviationNote_->setWordWrap(true);
  deviationNote_->hide();  // takes no room while it has nothing to say
  standardsColumn->addWidget(deviationNote_);

  // Filtration fitted to a measured layer.
  auto* fitting = new QGroupBox(Tr("測定した第1半価層からろ過を求める"), this);
  fitting->setFont(RoundedGothicFont(10.5));
  auto* fitGrid = new QGridLayout(fitting);
  entryBox_ = new QComboBox(fitting);
  entryBox_->setObjectName(QStringLiteral("EntryBox"));
  for (FittedEntry entry : {FittedEntry::InherentAluminiumEquivalent, FittedEntry::AddedAluminium,
                            FittedEntry::AddedCopper}) {
    entryBox_->addItem(EntryName(entry), static_cast<int>(entry));
  }
  entryBox_->setCurrentIndex(1);
  materialBox_ = new QComboBox(fitting);
  materialBox_->setObjectName(QStringLiteral("MaterialBox"));
  materialBox_->addItem(Tr("アルミニウム"), static_cast<int>(LayerMaterial::Aluminium));
  materialBox_->addItem(Tr("銅"), static_cast<int>(LayerMaterial::Copper));
  targetBox_ = new QLineEdit(fitting);
  targetBox_->setObjectName(QStringLiteral("TargetBox"));
  targetBox_->setFont(TimesFont(12));
  QLabel* targetUnit = GridText(QStringLiteral("mm Al"), fitting);
  connect(materialBox_, &QComboBox::currentIndexChanged, targetUnit, [this, targetUnit] {
    targetUnit->setText(LayerUnit(static_cast<LayerMaterial>(materialBox_->currentData().toInt())));
  });
  QPushButton* fit = DialogCommand(QStringLiteral("FitCommand"), Tr("求めて設定"), fitting);
  fitGrid->addWidget(GridText(Tr("厚さを求める欄"), fitting), 0, 0);
  fitGrid->addWidget(entryBox_, 0, 1, 1, 2);
  fitGrid->addWidget(GridText(Tr("半価層の材質"), fitting), 1, 0);
  fitGrid->addWidget(materialBox_, 1, 1, 1, 2);
  fitGrid->addWidget(GridText(Tr("測定した第1半価層"), fitting), 2, 0);
  fitGrid->addWidget(targetBox_, 2, 1);
  fitGrid->addWidget(targetUnit, 2, 2);
  fitGrid->addWidget(fit, 3, 2);
  fitLabel_ = GridText(QString(), fitting);
  fitLabel_->setObjectName(QStringLiteral("FitLabel"));
  fitLabel_->setWordWrap(true);
  fitGrid->addWidget(fitLabel_, 4, 0, 1, 3);


  // A detector layer behind the beam.
  auto* detector = new QGroupBox(Tr("検出器の応答"), this);
  detector->setFont(RoundedGothicFont(10.5));
  auto* detectorGrid = new QGridLayout(detector);
  detectorBox_ = new QComboBox(detector);
  detectorBox_->setObjectName(QStringLiteral("DetectorMaterialBox"));
  detectorBox_->setEditable(true);  // any material file may be typed
  for (const char* name : kDetectorMaterials) detectorBox_->addItem(QString::fromLatin1(name));
  detectorBox_->setToolTip(Tr("検出器の材質 (材質ファイルの名前も入力できます)"));
  detectorThickness_ = new QLineEdit(QStringLiteral("0.6"), detector);
  detectorThickness_->setObjectName(QStringLiteral("DetectorThicknessBox"));
  detectorThreshold_ = new QLineEdit(detector);
  detectorThreshold_->setObjectName(QStringLiteral("DetectorThresholdBox"));
  detectorThreshold_->setToolTip(Tr("計数のしきい値 (空欄ならしきい値なし)"));
  QPushButton* detect = DialogCommand(QStringLiteral("DetectorCommand"), Tr("計算"), detector);
  detectorGrid->addWidget(GridText(Tr("材質"), detector), 0, 0);
  detectorGrid->addWidget(detectorBox_, 0, 1, 1, 2);
  detectorGrid->addWidget(GridText(Tr("厚さ"), detector), 1, 0);
  detectorGrid->addWidget(detectorThickness_, 1, 1);
  detectorGrid->addWidget(GridText(QStringLiteral("mm"), detector), 1, 2);
  detectorGrid->addWidget(GridText(Tr("しきい値"), detector), 2, 0);
  detectorGrid->addWidget(detectorThreshold_, 2, 1);
  detectorGrid->addWidget(GridText(QStringLiteral("keV"), detector), 2, 2);
  detectorGrid->addWidget(detect, 3, 2);
  int detectorRow = 4;
  for (const DetectorRow& figure : kDetectorRows) {
    detectorValues_.push_back(AddFigureRow(detectorGrid, detectorRow++, Tr(figure.name), figure.key, Tr(figure.unit)));
    detectorValues_.back()->setMinimumWidth(80);  // the page is no wider than the fit's
  }
  detectorNote_ = GridText(QString(), detector);
  detectorNote_->setObjectName(QStringLiteral("DetectorNote"));
  detectorNote_->setWordWrap(true);
  detectorGrid->addWidget(detectorNote_, detectorRow, 0, 1, 3);

  // The spread of the figures from the inputs' uncertainties.
  auto* uncertainty = new QGroupBox(Tr("不確かさ (標準不確かさから標本を計算)"), this);
  uncertainty->setFont(RoundedGothicFont(10.5));
  auto* uncertaintyColumn = new QVBoxLayout(uncertainty);
  auto* uncertaintyGrid = new QGridLayout;
  uncertaintyColumn->addLayout(uncertaintyGrid);
  struct UncertaintyBox {
    const char* name;
    const char* label;
    const char* unit;
    const char* initial;
  };
  const UncertaintyBox boxes[] = {
      {"UncertaintyKvBox", QT_TRID_NOOP("管電圧"), "kV", "1.5"},
      {"UncertaintyAlEqBox", QT_TRID_NOOP("アルミ当量"), "mm", "0.1"},
      {"UncertaintyAngleBox", QT_TRID_NOOP("角度"), "degree", "1"},
      {"UncertaintySamplesBox", QT_TRID_NOOP("標本数"), "", "1000"},
      {"UncertaintySeedBox", QT_TRID_NOOP("シード"), "", "1"},
  };
  for (int k = 0; k < 5; ++k) {
    auto* box = new QLineEdit(QString::fromLatin1(boxes[k].initial), uncertainty);
    box->setObjectName(QString::fromLatin1(boxes[k].name));
    box->setMaximumWidth(60);
    uncertaintyBoxes_.push_back(box);
    const int gridRow = k % 3;
    const int gridColumn = (k / 3) * 3;
    uncertaintyGrid->addWidget(GridText(Tr(boxes[k].label), uncertainty), gridRow, gridColumn);
    uncertaintyGrid->addWidget(box, gridRow, gridColumn + 1);
    uncertaintyGrid->addWidget(GridText(QString::fromLatin1(boxes[k].unit), uncertainty), gridRow, gridColumn + 2);
  }
  uncertaintyBoxes_[0]->setToolTip(Tr("標準不確かさ (正規分布)、0 で変えません"));
  QPushButton* sample = DialogCommand(QStringLiteral("UncertaintyCommand"), Tr("計算"), uncertainty);
  uncertaintyGrid->addWidget(sample, 2, 4, 1, 2);
  uncertaintyText_ = new QPlainTextEdit(uncertainty);
  uncertaintyText_->setObjectName(QStringLiteral("UncertaintyText"));
  uncertaintyText_->setReadOnly(true);
  uncertaintyText_->setLineWrapMode(QPlainTextEdit::NoWrap);
  uncertaintyText_->setFont(RoundedGothicFont(9));
  uncertaintyText_->setToolTip(Tr("平均 ± 標準偏差、[95 % 区間]、モデル間の差は標本に含まれない系統的な幅"));
  uncertaintyColumn->addWidget(uncertaintyText_, 1);

  // A measured spectrum: its figures, and its curve over the main window's graph.
  auto* measured = new QGroupBox(Tr("測定スペクトル (energy_keV,value の CSV)"), this);
  measured->setFont(RoundedGothicFont(10.5));
  auto* measuredColumn = new QVBoxLayout(measured);
  auto* measuredRow = new QHBoxLayout;
  measuredFile_ = new QLineEdit(measured);
  measuredFile_->setObjectName(QStringLiteral("MeasuredFileBox"));
  QPushButton* browse = DialogCommand(QStringLiteral("MeasuredBrowseCommand"), Tr("参照"), measured);
  QPushButton* overlay = DialogCommand(QStringLiteral("MeasuredCommand"), Tr("読み込んで重ねる"), measured);
  overlay->setToolTip(Tr("測定スペクトルの線質を示し、グラフに赤紫の曲線で重ねます (ピークを 1 として)"));
  measuredRow->addWidget(measuredFile_, 1);
  measuredRow->addWidget(browse);
  measuredColumn->addLayout(measuredRow);
  auto* overlayRow = new QHBoxLayout;
  overlayRow->addStretch();
  overlayRow->addWidget(overlay);
  measuredColumn->addLayout(overlayRow);
  measuredText_ = new QPlainTextEdit(measured);
  measuredText_->setObjectName(QStringLiteral("MeasuredText"));
  measuredText_->setReadOnly(true);
  measuredText_->setLineWrapMode(QPlainTextEdit::NoWrap);
  measuredText_->setFont(RoundedGothicFont(9));
  measuredColumn->addWidget(measuredText_, 1);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getOpenFileName(this, Tr("測定スペクトル"), QString(), Tr("CSV (*.csv *.txt);;すべて (*)"));
    if (!chosen.isEmpty()) measuredFile_->setText(QDir::toNativeSeparators(chosen));
  });
  connect(overlay, &QPushButton::clicked, this, &QualityWindow::LoadMeasured);
  connect(measuredFile_, &QLineEdit::returnPressed, this, &QualityWindow::LoadMeasured);

  QPushButton* close = DialogCommand(QStringLiteral("CloseCommand"), Tr("閉じる"), this);
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch();
  closeRow->addWidget(close);

  // the standard qualities and the fit, the detector and the uncertainty, one page each
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("QualityTabs"));
  tabs->setFont(RoundedGothicFont(10.5));
  tabs->setDocumentMode(true);  // no frame of its own: the groups have theirs
  // every page's name in view: no scrolling of the tab bar
  tabs->setUsesScrollButtons(false);
  tabs->tabBar()->setFont(RoundedGothicFont(9.5));
  auto* qualityPage = new QWidget(tabs);
  auto* qualityColumn = new QVBoxLayout(qualityPage);
  qualityColumn->addWidget(standards);
  qualityColumn->addWidget(fitting);
  qualityColumn->addStretch();
  tabs->addTab(qualityPage, Tr("標準線質・ろ過"));
  auto* detectorPage = new QWidget(tabs);
  auto* detectorColumn = new QVBoxLayout(detectorPage);
  detectorColumn->addWidget(detector);
  detectorColumn->addStretch();
  tabs->addTab(detectorPage, Tr("検出器"));
  auto* uncertaintyPage = new QWidget(tabs);
  auto* uncertaintyColumnOuter = new QVBoxLayout(uncertaintyPage);
  uncertaintyColumnOuter->addWidget(uncertainty);
  tabs->addTab(uncertaintyPage, Tr("不確かさ"));
  auto* measuredPage = new QWidget(tabs);
  auto* measuredPageColumn = new QVBoxLayout(measuredPage);
  measuredPageColumn->addWidget(measured);
  tabs->addTab(measuredPage, Tr("測定スペクトル"));
  // the pages' own margins off: the English texts are wider, and the window keeps a 1024 px screen
  for (QVBoxLayout* page : {qualityColumn, detectorColumn, uncertaintyColumnOuter, measuredPageColumn}) {
    page->setContentsMargins(0, 4, 0, 0);
  }
  auto* right = new QVBoxLayout;
  right->addWidget(tabs, 1);
  right->addLayout(closeRow);
  auto* columns = new QHBoxLayout(this);
  columns->setContentsMargins(6, 6, 6, 6);  // the English texts are wider: keep a 1024 px screen
  columns->addWidget(figures);
  columns->addLayout(right);

  connect(copy, &QPushButton::clicked, this, &QualityWindow::CopyFigures);
  // the air kerma follows the distance as it is typed
  connect(distance_, &QLineEdit::textChanged, this, [this] {
    if (isVisible()) ShowFigures();
  });
  connect(applyQuality_, &QPushButton::clicked, this, &QualityWindow::ApplyQuality);
  connect(qualityBox_, &QComboBox::currentIndexChanged, this, &QualityWindow::DescribeChosenQuality);
  connect(fit, &QPushButton::clicked, this, &QualityWindow::FitEntry);
  connect(targetBox_, &QLineEdit::returnPressed, this, &QualityWindow::FitEntry);
  connect(detect, &QPushButton::clicked, this, &QualityWindow::ComputeDetector);
  connect(sample, &QPushButton::clicked, this, &QualityWindow::ComputeUncertainty);
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
  HideOnEscape(this);
  connect(&mainWindow_, &MainWindow::RunFiguresChanged, this, &QualityWindow::RunChanged);
  ShowFigures();
}

QLabel* QualityWindow::AddFigureRow(QGridLayout* grid, int row, const QString& name, const char* key,
                                    const QString& unit) {
  QWidget* parent = grid->parentWidget();
  grid->addWidget(GridText(name, parent), row, 0);
  QLabel* value = GridText(QString(), parent, Qt::AlignRight);
  value->setObjectName(QString::fromLatin1(key));
  value->setFont(TimesFont(12));
  value->setMinimumWidth(110);
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(value, row, 1);
  // the square of the unit raised, as the main window writes it
  QLabel* unitLabel = GridText(QString(unit).replace(Tr("²"), QStringLiteral("<sup>2</sup>")), parent);
  unitLabel->setTextFormat(Qt::RichText);
  grid->addWidget(unitLabel, row, 2);
  return value;
}

void QualityWindow::PrepareAndShow() {
  // The table and material files are read afresh for a window opened again.
  batch_.reset();
  outcome_.reset();
  LoadQualities();
  ShowFigures();
  if (!isVisible()) PlaceBesideWindow(this, parentWidget());
  show();
  raise();
  activateWindow();
}

const RunOutcome* QualityWindow::Outcome() {
  const std::optional<DrawnRun>& run = mainWindow_.LastRun();
  if (!run) {
    outcome_.reset();
    failure_.clear();
    return nullptr;
  }
  if (outcome_) return &*outcome_;
  failure_.clear();
  try {
    // The table and material files are read once for the filters of the run, then reused.
    if (!batch_ || !SameFiles(batchFilters_, run->filters)) {
      batch_.reset();
      batch_ = std::make_unique<BatchRun>(DataFile(kAttenuationTableFile), run->filters);
      batchFilters_ = run->filters;
    }
    outcome_ = batch_->Run(run->settings);
  } catch (const RunError& error) {
    failure_ = (Tr("線質を計算できません。") + QStringLiteral("\n")) + RunRefusalText(error);
  } catch (const std::exception& error) {
    failure_ = (Tr("線質を計算できません。") + QStringLiteral("\n")) + ReadFailureText(error);
  }
  return outcome_ ? &*outcome_ : nullptr;
}

void QualityWindow::RunChanged() {
  outcome_.reset();
  if (RunIsAppliedQuality()) applied_->drawn = true;
  uncertaintyText_->clear();  // the sampling was of the run replaced
  if (isVisible()) ShowFigures();
}

void QualityWindow::ShowFigures() {
  const RunOutcome* outcome = Outcome();
  if (outcome == nullptr) {
    runLabel_->setText(failure_.isEmpty()
                           ? Tr("計算したスペクトルがありません。「Graph Draw」で計算すると、その線質を示します。")
                           : failure_);
    for (QLabel* value : values_) {
      value->clear();
      value->setToolTip(QString());
    }
    distanceNote_->clear();
    ShowDetector();
    ShowDeviations();
    return;
  }
  // The inputs the run used, from the copied text's first lines.
  const QStringList lines = FiguresText().split(QLatin1Char('\n'));
  QStringList summary;
  for (int k = 0; k < kInputLines; ++k) {
    const QStringList fields = lines[k].split(QLatin1Char('\t'));
    summary << (k == 0 ? fields.value(1)
                       : fields.value(0) + QLatin1Char(' ') + fields.value(1) +
                             (fields.size() > 2 ? QLatin1Char(' ') + fields.value(2) : QString()));
  }
  // model and tube; waveform and material filters; inherent filtration; added filters
  const QString comma = Tr("、");
  QStringList rows{summary.mid(0, 3).join(comma), summary[3] + comma + summary[8], summary.mid(4, 2).join(comma),
                   summary.mid(6, 2).join(comma)};
  // the tube's target, lines and point where they apply
  QStringList tube;
  for (const QStringList& fields : TubeLines(mainWindow_.LastRun()->settings)) tube << fields.join(QLatin1Char(' '));
  if (!tube.isEmpty()) rows << tube.join(comma);
  runLabel_->setText(rows.join(QLatin1Char('\n')));
  distance_->setEnabled(outcome->absoluteSpectrum.has_value());
  const std::pair<std::optional<double>, QString> airKerma = AirKerma(*outcome);
  distanceNote_->setText(outcome->absoluteSpectrum && !airKerma.first ? airKerma.second : QString());
  const QString& engineFailure = mainWindow_.LastRun()->engineFailure;
  for (std::size_t k = 0; k < FigureRows().size(); ++k) {
    const FigureRow& row = FigureRows()[k];
    QString reason;
    const std::optional<double> value = RowValue(*outcome, row, &reason, airKerma, engineFailure);
    values_[k]->setText(value ? ShownText(row, *value) : MissingText(row, engineFailure));
    values_[k]->setToolTip(value ? Tr(row.tip) : reason);
  }
  ShowDetector();
  ShowDeviations();
}

bool QualityWindow::RunIsAppliedQuality() const {
  const std::optional<DrawnRun>& run = mainWindow_.LastRun();
  if (!applied_ || !run) return false;
  const RunSettings& set = applied_->settings;
  return run->settings.model == set.model && run->settings.waveform == set.waveform &&
         SameEntries(run->settings.entries, set.entries) && SameFiles(run->filters, applied_->filters);
}

void QualityWindow::ShowDeviations() {
  for (QLabel* label : deviationLabels_) delete label;
  deviationLabels_.clear();
  deviationNote_->clear();
  deviationNote_->hide();
  if (!applied_) return;
  const QString name = QString::fromStdString(applied_->quality.name);
  const RunOutcome* outcome = RunIsAppliedQuality() ? Outcome() : nullptr;
  if (outcome == nullptr) {
    // a curve of other inputs is no longer the quality: its figures are not compared with the standard's
    if (applied_->drawn && mainWindow_.LastRun() && !RunIsAppliedQuality()) {
      deviationNote_->setText(Tr("線質 %1 を設定した後に入力が変わったため、公称値とは比べません。").arg(name));
      deviationNote_->show();
    }
    return;
  }
  const std::vector<QualityDeviation> deviations = QualityDeviations(applied_->quality, *outcome);
  if (deviations.empty()) return;
  QWidget* parent = deviationNote_->parentWidget();
  const auto add = [this, parent](const QString& text, int row, int column, Qt::Alignment alignment,
                                  const QString& key, int columns = 1) {
    QLabel* label = GridText(text, parent, alignment);
    label->setObjectName(key);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    deviationGrid_->addWidget(label, row, column, 1, columns);
    deviationLabels_.push_back(label);
    return label;
  };
  QLabel* heading = add(Tr("規格の公称値と計算値の比較") + QStringLiteral(" (") + name + QLatin1Char(')'), 0, 0,
                        Qt::AlignLeft, QStringLiteral("QualityDeviationsHeading"), 5);
  heading->setWordWrap(true);  // rather than widen the window past a 1024 px screen in English
  add(Tr("計算値"), 1, 1, Qt::AlignRight, QString());
  add(Tr("公称値"), 1, 2, Qt::AlignRight, QString());
  add(Tr("偏差"), 1, 4, Qt::AlignRight, QString());
  int row = 2;
  for (const QualityDeviation& deviation : deviations) {
    const ExtendedFigureField& field = ExtendedFigureFields()[deviation.figure];
    // a first layer by the window's shorter name of it, without how the beam's is found: the window
    // keeps a 1024 px screen in English
    const char* nameKey = deviation.figure == kHvl1Al ? "hvl_al_mm" : deviation.figure == kHvl1Cu ? "hvl_cu_mm" : field.key;
    const auto [figureName, unit] = FigureNameOf(nameKey, field.label);
    // the numbers as kestrix-cli's text report prints them; the cells named as its JSON keys
    const DeviationTexts texts = DeviationTextsOf(deviation);
    const QString key = QString::fromLatin1(field.key) + QLatin1Char('.');
    add(figureName, row, 0, Qt::AlignLeft, QString());
    QLabel* reached = add(deviation.reached ? QString::fromStdString(texts.reached) : EngineResultsPanel::NotAvailableText(),
                          row, 1, Qt::AlignRight, key + QStringLiteral("reached"));
    if (!deviation.reached) reached->setToolTip(EngineResultsPanel::MissingReason(outcome->extended, deviation.figure));
    add(QString::fromStdString(texts.nominal), row, 2, Qt::AlignRight, key + QStringLiteral("nominal"));
    add(unit, row, 3, Qt::AlignLeft, QString());
    add(deviation.deviationPercent ? QString::fromStdString(texts.percent) + QStringLiteral(" %")
                                   : EngineResultsPanel::kUnavailableText,
        row, 4, Qt::AlignRight, key + QStringLiteral("deviation_percent"));
    ++row;
  }
}

QString QualityWindow::FiguresText() {
  const RunOutcome* outcome = Outcome();
  if (outcome == nullptr) return QString();
  const DrawnRun& run = *mainWindow_.LastRun();
  QStringList lines;
  auto line = [&lines](const QString& name, const QString& value, const QString& unit = QString()) {
    lines << name + QLatin1Char('\t') + value + (unit.isEmpty() ? QString() : QLatin1Char('\t') + unit);
  };
  // The entries as the run used them, in the units typed.
  const UsedEntries& used = outcome->used;
  line(Tr("Kestrix 線質"), ChoiceOf(run.settings.model).name);
  line(Tr("Ｘ線管電圧"), FullText(used.tubeVoltageKV), QStringLiteral("kV"));
  line(Tr("ターゲット角度"), FullText(used.targetAngleDegrees), QStringLiteral("degree"));
  line(Tr("整流方式"), Tr(kWaveformNames[static_cast<int>(run.settings.waveform) - 1]));
  line(Tr("固有ろ過 (ベリリウム)"), FullText(used.berylliumMm), QStringLiteral("mm"));
  line(Tr("固有ろ過 (アルミ当量)"), FullText(used.aluminiumEquivalentMm), QStringLiteral("mm"));
  line(Tr("アルミ付加フィルタ"), FullText(used.addedAluminiumMm), QStringLiteral("mm"));
  line(Tr("銅付加フィルタ"), FullText(used.addedCopperMm), QStringLiteral("mm"));
  line(Tr("任意材質フィルタ"), QString::number(run.filters.size()), Tr("種類"));
  for (std::size_t k = 0; k < run.filters.size(); ++k) {
    line(Tr("任意材質フィルタ %1").arg(k + 1),
         QString::fromUtf8(batch_->Filters()[k].description.c_str()) + QStringLiteral(" (") +
             QString::fromStdString(run.filters[k].path) + QStringLiteral(") ") + FullText(run.filters[k].thicknessMm),
         QStringLiteral("mm"));
  }
  for (const QStringList& fields : TubeLines(run.settings)) line(fields.value(0), fields.value(1), fields.value(2));
  const std::pair<std::optional<double>, QString> airKerma = AirKerma(*outcome);
  if (outcome->absoluteSpectrum) line(Tr("空気カーマの距離"), distance_->text().trimmed(), QStringLiteral("mm"));
  for (const FigureRow& row : FigureRows()) {
    QString reason;
    const std::optional<double> value = RowValue(*outcome, row, &reason, airKerma, run.engineFailure);
    line(Tr(row.name),
         value ? FullText(*value) : MissingText(row, run.engineFailure) + QStringLiteral(" (") + reason + QLatin1Char(')'),
         Tr(row.unit));
  }
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

std::pair<std::optional<double>, QString> QualityWindow::AirKerma(const RunOutcome& outcome) const {
  if (!outcome.absoluteSpectrum) {
    return {std::nullopt, Tr("相対値のモデルでは求めません (物理モデルのみ)")};
  }
  QString reason;
  const std::optional<double> millimetres = TypedDistance(&reason);
  if (!millimetres) return {std::nullopt, reason};
  const BeamOutput output = batch_->OutputAt(outcome, mainWindow_.LastRun()->settings.model, *millimetres);
  if (!output.airKermaMicroGrayPerMas) return {std::nullopt, QString::fromStdString(output.missing)};
  return {output.airKermaMicroGrayPerMas, QString()};
}

std::optional<double> QualityWindow::TypedDistance(QString* reason) const {
  const QString typed = distance_->text().trimmed();
  const std::optional<double> millimetres = ParseWholeNumber(AsciiNumberText(typed).toStdString());
  if (millimetres && *millimetres > 0) return millimetres;
  *reason = (typed.isEmpty() ? Tr("空気カーマの距離が空です。")
                             : Tr("空気カーマの距離「") + typed +
                                   (millimetres ? Tr("」は正の数ではありません。") : Tr("」は数ではありません。"))) +
            Tr("焦点からの距離を正の数 (mm) で入力して下さい");
  return std::nullopt;
}

void QualityWindow::CopyFigures() {
  const QString text = FiguresText();
  if (text.isEmpty()) {
    ShowExclamation(this, failure_.isEmpty() ? Tr("コピーする値がありません。先に「Graph Draw」で計算して下さい。")
                                             : failure_);
    return;
  }
  QApplication::clipboard()->setText(text);
}

void QualityWindow::LoadQualities() {
  const QString previous = qualityBox_->currentText();
  qualities_.clear();
  qualityBox_->clear();
  try {
    qualities_ = LoadRadiationQualities(DataFile(kRadiationQualitiesFile));
  } catch (const std::exception& error) {
    qualityBox_->setEnabled(false);
    applyQuality_->setEnabled(false);
    qualityLabel_->setText(Tr("標準線質の表 ") + QString::fromLatin1(kRadiationQualitiesFile) +
                           (Tr(" を読み込めません。") + QStringLiteral("\n")) + ReadFailureText(error));
    return;
  }
  qualityBox_->setEnabled(true);
  applyQuality_->setEnabled(true);
  for (const RadiationQuality& quality : qualities_) {
    qualityBox_->addItem(QString::fromStdString(quality.name) + QStringLiteral("  (") +
                         QString::fromStdString(quality.standard) + QLatin1Char(')'));
  }
  const int kept = qualityBox_->findText(previous);
  qualityBox_->setCurrentIndex(kept >= 0 ? kept : 0);
  DescribeChosenQuality();
}

void QualityWindow::DescribeChosenQuality() {
  const int index = qualityBox_->currentIndex();
  if (index < 0 || index >= static_cast<int>(qualities_.size())) return;
  const RadiationQuality& quality = qualities_[index];
  QString text = FullText(quality.tubeVoltageKV) + QStringLiteral(" kV");
  if (quality.target != TargetMaterial::Tungsten) text += Tr("、") + TargetName(quality.target);
  if (quality.berylliumMm && quality.aluminiumMm) {
    text += Tr("、Be ") + FullText(*quality.berylliumMm) + Tr(" mm、Al ") +
            FullText(*quality.aluminiumMm) + QStringLiteral(" mm");
  }
  for (const QualityFilter& filter : quality.filters) {
    text += Tr("、") + QString::fromStdString(filter.material) + QLatin1Char(' ') +
            FullText(filter.thicknessMm) + QStringLiteral(" mm");
  }
  if (quality.nominalHvl1AlMm) {
    text += Tr("、公称第1半価層 ") + FullText(*quality.nominalHvl1AlMm) +
            Tr(" mm Al (固有ろ過はそのままで、アルミ付加フィルタを合わせます)");
  }
  qualityLabel_->setText(text);
}

void QualityWindow::ApplyQuality() {
  if (mainWindow_.RunInProgress()) return;
  const int index = qualityBox_->currentIndex();
  if (index < 0 || index >= static_cast<int>(qualities_.size())) return;
  const RadiationQuality& quality = qualities_[index];
  const QString name = QString::fromStdString(quality.name);
  const QString refused = Tr("線質 ") + name + (Tr(" を設定できません。") + QStringLiteral("\n"));
  DescribeChosenQuality();  // an earlier "set" message does not stand beside this one's refusal

  const RunInputTexts typed = mainWindow_.InputTexts();
  // the quality sets the tube's target; a model that does not compute it cannot realise the quality
  RunSettings base{mainWindow_.Model(), mainWindow_.TypedEntries(), mainWindow_.Waveform(), DisplayQuantity::PhotonNumber};
  base.entries.target = quality.target;
  if (TubeRefusal(base.model, quality.target, true)) {
    ShowExclamation(this, refused + Tr("この線質は ") + TargetName(quality.target) + Tr(" の線質です。") +
                              ChoiceOf(base.model).name + Tr(" は W ターゲットのみ計算します。物理モデルで設定して下さい。"));
    return;
  }
  // a standard quality's tube is a reflection target at its target angle
  if (base.entries.transmission.IsTransmission()) {
    ShowExclamation(this, refused + Tr("標準線質は反射ターゲットの線質です。透過ターゲットでは設定できません。"));
    return;
  }
  if (const std::optional<QString> offAxis = OffAxisRefusalText(base.entries.targetAngleDegrees,
                                                                 base.entries.offAxisAlongDegrees,
                                                                 base.entries.offAxisAcrossDegrees)) {
    ShowExclamation(this, refused + *offAxis);
    return;
  }
  // N and H define the whole beam, their material filters replace the ones set; RQR keeps the
  // tube's own inherent filtration and filters.
  const bool wholeBeam = quality.berylliumMm && quality.aluminiumMm;
  std::vector<FilterRequest> userFilters = wholeBeam ? std::vector<FilterRequest>{} : mainWindow_.FilterFiles();
  // a filter of the quality's own that is set already (the same quality chosen again) is not set twice
  const auto ownFilter = [&quality](const FilterRequest& file) {
    for (const QualityFilter& filter : quality.filters) {
      if (file.thicknessMm == filter.thicknessMm &&
          file.path == DataFileBeside(DataFile(kAttenuationTableFile), filter.material + ".ele")) {
        return true;
      }
    }
    return false;
  };
  userFilters.erase(std::remove_if(userFilters.begin(), userFilters.end(), ownFilter), userFilters.end());
  QualityPlan plan;
  std::optional<QualityOutcome> realised;
  try {
    plan = PlanQuality(quality, base, userFilters, DataFile(kAttenuationTableFile));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BatchRun batch(DataFile(kAttenuationTableFile), plan.filters);  // reads every material file first
    realised = RunQuality(batch, plan);
    QApplication::restoreOverrideCursor();
  } catch (const RadiationQualityError&) {
    ShowExclamation(this, refused + Tr("任意材質フィルタが ") + QString::number(kArbitraryFilterSlots) +
                              Tr(" 種類を超えます (設定済み ") + QString::number(userFilters.size()) +
                              Tr(" 種類)。"));
    return;
  } catch (const RunError& error) {
    QApplication::restoreOverrideCursor();
    ShowExclamation(this, refused + RunRefusalText(error));
    return;
  } catch (const QualityRefusal& error) {
    QApplication::restoreOverrideCursor();
    // RQA and RQT are realised on top of the RQR of their voltage, whose layer is fitted
    const QString layer = quality.basedOn.empty()
                              ? Tr("公称第1半価層 ")
                              : QString::fromStdString(quality.basedOn) + Tr(" の公称第1半価層 ");
    ShowExclamation(this, refused + name + QStringLiteral(" (") + FullText(quality.tubeVoltageKV) +
                              Tr(" kV、") + layer + FullText(*quality.fittedHvl1AlMm) +
                              Tr(" mm Al) は、固有ろ過 Be ") + FullText(error.berylliumMm) +
                              Tr(" mm + Al 当量 ") + FullText(error.aluminiumEquivalentMm) +
                              Tr(" mm では実現できません。アルミ付加フィルタなしで第1半価層がすでに ") +
                              QString::fromStdString(FixedDigits(error.thinnestHvl1Mm, 3)) +
                              Tr(" mm Al あり、この線質より硬いビームです。"));
    return;
  } catch (const FiltrationFitError& error) {
    QApplication::restoreOverrideCursor();
    ShowExclamation(this, refused + OutOfReachText(error, FitRequest{FittedEntry::AddedAluminium,
                                                                     LayerMaterial::Aluminium, *quality.fittedHvl1AlMm}));
    return;
  } catch (const std::exception& error) {
    QApplication::restoreOverrideCursor();
    ShowExclamation(this, refused + ReadFailureText(error));
    return;
  }
  const std::optional<FitOutcome>& fit = realised->fit;

  // The boxes the quality sets, as numbers that read back exactly.
  const RunEntries& entries = realised->settings.entries;
  RunInputTexts texts = typed;
  texts.tubeVoltage = ShortestDecimal(entries.tubeVoltageKV);
  texts.addedCopper = ShortestDecimal(entries.addedCopperMm);
  texts.addedAluminium = ShortestDecimal(entries.addedAluminiumMm);
  if (wholeBeam) {
    texts.beryllium = ShortestDecimal(entries.berylliumMm);
    texts.aluminiumEquivalent = ShortestDecimal(entries.aluminiumEquivalentMm);
  }
  mainWindow_.SetInputTexts(texts);
  mainWindow_.SetTarget(quality.target);
  // N and H replace the filters set; the quality's own material filters (a mammography quality's
  // molybdenum) join the ones set
  if (wholeBeam || !SameFiles(plan.filters, mainWindow_.FilterFiles())) {
    mainWindow_.ReleaseFilters();
    for (const FilterRequest& file : plan.filters) mainWindow_.AddMaterialFilter(file, LoadMaterialFile(file.path));
  }
  applied_ = AppliedQuality{quality, realised->settings, plan.filters, false};
  applied_->drawn = RunIsAppliedQuality();
  ShowDeviations();
  QString done = Tr("線質 ") + name + Tr(" を入力欄に設定しました");
  if (fit) {
    const QString base = quality.basedOn.empty() ? QString() : QString::fromStdString(quality.basedOn) + Tr(" の");
    done += QStringLiteral(" (") + base + Tr("アルミ付加フィルタ ") + FullText(fit->fit.thicknessMm) +
            Tr(" mm で第1半価層 ") + QString::fromStdString(FixedDigits(fit->fit.hvl1Mm, 4)) +
            QStringLiteral(" mm Al") +
            (quality.basedOn.empty() ? QString() : Tr("、その上に規格の付加フィルタ")) + QStringLiteral(")");
  }
  qualityLabel_->setText(done + Tr("。「Graph Draw」で計算します。"));
}

void QualityWindow::FitEntry() {
  if (mainWindow_.RunInProgress()) return;
  fitLabel_->clear();  // an earlier fit's message does not stand beside this one's refusal
  const auto entry = static_cast<FittedEntry>(entryBox_->currentData().toInt());
  const auto material = static_cast<LayerMaterial>(materialBox_->currentData().toInt());
  // The measured layer must be a whole positive number, not just start with one.
  bool isNumber = false;
  const double target = QLocale::c().toDouble(targetBox_->text().trimmed(), &isNumber);
  if (!isNumber || !(target > 0) || !std::isfinite(target)) {
    ShowExclamation(this, Tr("「測定した第1半価層」には正の数 (mm) を入力して下さい。"));
    targetBox_->setFocus();
    targetBox_->selectAll();
    return;
  }
  const FitRequest request{entry, material, target};
  const RunInputTexts typed = mainWindow_.InputTexts();
  const RunSettings settings{mainWindow_.Model(), mainWindow_.TypedEntries(), mainWindow_.Waveform(),
                             DisplayQuantity::PhotonNumber};
  const QString refused = (Tr("ろ過を求められません。") + QStringLiteral("\n"));
  // a transmission target's point lies behind no target surface
  if (const std::optional<QString> offAxis =
          settings.entries.transmission.IsTransmission()
              ? std::nullopt
              : OffAxisRefusalText(settings.entries.targetAngleDegrees, settings.entries.offAxisAlongDegrees,
                                   settings.entries.offAxisAcrossDegrees)) {
    ShowExclamation(this, refused + *offAxis);
    return;
  }
  FitOutcome fitted;
  try {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BatchRun batch(DataFile(kAttenuationTableFile), mainWindow_.FilterFiles());
    fitted = batch.Fit(settings, request);
    QApplication::restoreOverrideCursor();
  } catch (const RunError& error) {
    QApplication::restoreOverrideCursor();
    ShowExclamation(this, refused + RunRefusalText(error));
    return;
  } catch (const FiltrationFitError& error) {
    QApplication::restoreOverrideCursor();
    ShowExclamation(this, refused + OutOfReachText(error, request));
    return;
  } catch (const std::exception& error) {
    QApplication::restoreOverrideCursor();
    ShowExclamation(this, refused + ReadFailureText(error));
    return;
  }
  RunInputTexts texts = typed;
  EntryText(texts, entry) = ShortestDecimal(fitted.fit.thicknessMm);
  mainWindow_.SetInputTexts(texts);
  fitLabel_->setText(EntryName(entry) + Tr(" を ") + FullText(fitted.fit.thicknessMm) +
                     Tr(" mm にしました (第1半価層 ") + QString::fromStdString(FixedDigits(fitted.fit.hvl1Mm, 4)) +
                     QLatin1Char(' ') + LayerUnit(material) + Tr(")。「Graph Draw」で計算します。"));
}

void QualityWindow::ComputeDetector() {
  const QString refused = Tr("検出器の応答を計算できません。") + QStringLiteral("\n");
  const QString material = detectorBox_->currentText().trimmed();
  const std::optional<double> thickness = TypedNumber(detectorThickness_);
  const QString threshold = detectorThreshold_->text().trimmed();
  const std::optional<double> thresholdKeV = TypedNumber(detectorThreshold_);
  QString reason;
  if (material.isEmpty()) {
    reason = Tr("検出器の材質を選ぶか、材質ファイルの名前を入力して下さい。");
  } else if (!thickness || !(*thickness > 0)) {
    reason = Tr("検出器の厚さには正の数 (mm) を入力して下さい。");
  } else if (!threshold.isEmpty() && (!thresholdKeV || !(*thresholdKeV >= 0))) {
    reason = Tr("しきい値には 0 以上の数 (keV) を入力するか、空欄にして下さい。");
  }
  DetectorChoice choice{material, DetectorMaterialFile(material.toStdString()), thickness.value_or(0),
                        threshold.isEmpty() ? std::nullopt : thresholdKeV};
  if (reason.isEmpty() && !QFileInfo::exists(QString::fromStdString(choice.path))) {
    reason = Tr("検出器の材質「") + material + Tr("」の材質ファイルがありません。");
  }
  if (reason.isEmpty()) {
    try {
      LoadDetectorLayer(choice.path, choice.thicknessMm, choice.thresholdKeV, DataFile(kDetectorFluorescenceFile));
    } catch (const DetectorError& error) {
      reason = Tr("検出器の材質ファイル ") + QString::fromStdString(choice.path) + Tr(" を使えません: ") +
               QString::fromStdString(error.what());
    } catch (const std::exception& error) {
      reason = Tr("検出器の材質ファイル ") + QString::fromStdString(choice.path) + Tr(" を読み込めません。") +
               QStringLiteral("\n") + ReadFailureText(error);
    }
  }
  if (!reason.isEmpty()) {
    ShowExclamation(this, refused + reason);
    return;
  }
  detector_ = choice;
  ShowDetector();
}

void QualityWindow::ShowDetector() {
  auto clear = [this](const QString& note) {
    for (QLabel* value : detectorValues_) {
      value->clear();
      value->setToolTip(QString());
    }
    detectorNote_->setText(note);
  };
  if (!detector_) return clear(QString());
  const RunOutcome* outcome = Outcome();
  if (outcome == nullptr) return clear(Tr("計算したスペクトルがありません。"));
  QString distanceReason;
  const std::optional<double> distance = TypedDistance(&distanceReason);
  DetectorOutcome figures;
  bool compositionKnown = false;
  try {
    const DetectorLayer layer = LoadDetectorLayer(detector_->path, detector_->thicknessMm, detector_->thresholdKeV,
                                                  DataFile(kDetectorFluorescenceFile));
    compositionKnown = layer.compositionKnown;
    figures = ComputeDetectorOutcome(*outcome, layer, detector_->material.toStdString(), distance.value_or(1000));
  } catch (const std::exception& error) {
    return clear(Tr("検出器の応答を計算できません: ") + QString::fromStdString(error.what()));
  }
  const std::optional<double> values[] = {figures.quantumDetectionEfficiency, figures.absorbedEnergyFraction,
                                          figures.absorbedEnergyKeVPerMasPerMm2, figures.detectedPhotonsPerMasPerMm2};
  for (int k = 0; k < 4; ++k) {
    const bool perMas = k >= 2;
    const std::optional<double> value = perMas && outcome->absoluteSpectrum && !distance ? std::nullopt : values[k];
    detectorValues_[k]->setText(value ? QString::number(*value, perMas ? 'E' : 'f', perMas ? 3 : 4)
                                      : EngineResultsPanel::kUnavailableText);
    detectorValues_[k]->setToolTip(value ? QString()
                                   : outcome->absoluteSpectrum ? distanceReason
                                                               : Tr("相対値のモデルでは求めません (物理モデルのみ)"));
  }
  QString note = detector_->material + QLatin1Char(' ') + FullText(detector_->thicknessMm) + QStringLiteral(" mm");
  if (detector_->thresholdKeV) note += Tr("、しきい値 ") + FullText(*detector_->thresholdKeV) + QStringLiteral(" keV");
  if (outcome->absoluteSpectrum && distance) note += Tr("、距離 ") + FullText(*distance) + QStringLiteral(" mm");
  note += compositionKnown ? Tr("。K 蛍光 X 線の逃げを差し引きます") : Tr("。K 蛍光 X 線の逃げは扱いません (組成が不明)");
  detectorNote_->setText(note);
}

void QualityWindow::ComputeUncertainty() {
  if (mainWindow_.RunInProgress()) return;
  const QString refused = Tr("不確かさを計算できません。") + QStringLiteral("\n");
  std::optional<double> typed[5];
  for (int k = 0; k < 5; ++k) typed[k] = TypedNumber(uncertaintyBoxes_[k]);
  QString reason;
  for (int k = 0; k < 3 && reason.isEmpty(); ++k) {
    if (!typed[k] || !(*typed[k] >= 0)) reason = Tr("標準不確かさには 0 以上の数を入力して下さい。");
  }
  if (reason.isEmpty() && (!typed[3] || *typed[3] != std::floor(*typed[3]) || *typed[3] < 2 ||
                           *typed[3] > kMaximumUncertaintySamples)) {
    reason = Tr("標本数には 2 ～ %1 の整数を入力して下さい。").arg(kMaximumUncertaintySamples);
  }
  if (reason.isEmpty() && (!typed[4] || *typed[4] != std::floor(*typed[4]) || *typed[4] < 0 ||
                           *typed[4] > static_cast<double>(kLargestUncertaintySeed))) {
    reason = Tr("シードには 0 ～ %1 の整数を入力して下さい。").arg(kLargestUncertaintySeed);
  }
  const RunOutcome* outcome = reason.isEmpty() ? Outcome() : nullptr;
  if (reason.isEmpty() && outcome == nullptr) {
    reason = failure_.isEmpty() ? Tr("計算したスペクトルがありません。先に「Graph Draw」で計算して下さい。") : failure_;
  }
  if (!reason.isEmpty()) {
    ShowExclamation(this, refused + reason);
    return;
  }
  UncertaintyRequest request;
  request.kvUncertainty = *typed[0];
  request.alEqUncertainty = *typed[1];
  request.angleUncertainty = *typed[2];
  request.samples = static_cast<int>(*typed[3]);
  request.seed = static_cast<std::uint64_t>(*typed[4]);
  UncertaintyOutcome sampled;
  try {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    sampled = SampleUncertainty(*batch_, mainWindow_.LastRun()->settings, request);
    QApplication::restoreOverrideCursor();
  } catch (const RunError& error) {
    QApplication::restoreOverrideCursor();
    ShowExclamation(this, refused + RunRefusalText(error));
    return;
  } catch (const std::exception& error) {
    QApplication::restoreOverrideCursor();
    ShowExclamation(this, refused + QString::fromStdString(error.what()));
    return;
  }
  QStringList lines;
  lines << Tr("標本 %1、シード %2、範囲外で引き直し %3")
               .arg(request.samples)
               .arg(QString::number(request.seed))
               .arg(sampled.redrawn);
  for (const FigureSpread& figure : sampled.figures) {
    const auto [name, unit] = FigureNameOf(figure.key, figure.label);
    QString line = name + QStringLiteral(": ");
    if (figure.mean && figure.std && figure.p2_5 && figure.p97_5) {
      line += SpreadText(*figure.mean) + QStringLiteral(" ± ") + SpreadText(*figure.std) + QStringLiteral(" [") +
              SpreadText(*figure.p2_5) + QStringLiteral(", ") + SpreadText(*figure.p97_5) + QStringLiteral("]");
    } else {
      line += EngineResultsPanel::NotAvailableText();
    }
    if (!unit.isEmpty()) line += QLatin1Char(' ') + unit;
    if (figure.given < request.samples) line += Tr(" (値のある標本 %1)").arg(figure.given);
    lines << line;
  }
  lines << Tr("モデル間の差 (標本に含まれない系統的な幅):");
  for (const ModelFigure& figure : sampled.modelSpread) {
    QStringList values;
    for (const auto& [model, value] : figure.values) {
      values << QString::fromStdString(model) + QLatin1Char(' ') +
                    (value ? SpreadText(*value) : EngineResultsPanel::NotAvailableText());
    }
    lines << FigureNameOf(figure.key, figure.key).first + QStringLiteral(": ") + values.join(QStringLiteral(", ")) +
                 (figure.range ? Tr(" (幅 ") + SpreadText(*figure.range) + QLatin1Char(')') : QString());
  }
  uncertaintyText_->setPlainText(lines.join(QLatin1Char('\n')));
}

QString QualityWindow::UncertaintyText() const { return uncertaintyText_->toPlainText(); }

void QualityWindow::LoadMeasured() {
  const QString refused = Tr("測定スペクトルを使えません。") + QStringLiteral("\n");
  const QString path = measuredFile_->text().trimmed();
  if (path.isEmpty()) {
    ShowExclamation(this, refused + Tr("ファイルを選んで下さい。"));
    return;
  }
  RunOutcome weighed;
  try {
    const MeasuredSpectrum spectrum = LoadMeasuredSpectrum(QDir::fromNativeSeparators(path).toStdString());
    BatchRun batch(DataFile(kAttenuationTableFile), {});
    weighed = batch.Weigh(spectrum.photons);
  } catch (const MeasuredSpectrumError& error) {
    ShowExclamation(this, refused + (error.Line() > 0 ? Tr("%1 行目: ").arg(error.Line()) : QString()) +
                              QString::fromStdString(error.what()));
    return;
  } catch (const std::invalid_argument& error) {
    ShowExclamation(this, refused + QString::fromStdString(error.what()));
    return;
  } catch (const std::exception& error) {
    ShowExclamation(this, refused + ReadFailureText(error));
    return;
  }
  QStringList lines{QFileInfo(path).fileName()};
  const std::pair<std::optional<double>, QString> noKerma{std::nullopt, QString()};
  for (const FigureRow& row : FigureRows()) {
    if (row.source == Source::AirKerma) continue;  // a measured spectrum is relative
    QString reason;
    const std::optional<double> value = RowValue(weighed, row, &reason, noKerma, QString());
    lines << Tr(row.name) + QStringLiteral(": ") +
                 (value ? ShownText(row, *value) + QLatin1Char(' ') + Tr(row.unit)
                        : EngineResultsPanel::NotAvailableText() + QStringLiteral(" (") + reason + QLatin1Char(')'));
  }
  if (!mainWindow_.OverlaySpectrum(weighed.photonSpectrum)) {
    lines << Tr("グラフには重ねません (計算した曲線がないか、照射線量の表示です)");
  }
  measuredText_->setPlainText(lines.join(QLatin1Char('\n')));
}

QString QualityWindow::MeasuredText() const { return measuredText_->toPlainText(); }

}  // namespace kestrix
