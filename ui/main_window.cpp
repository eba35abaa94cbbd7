#include "main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <sstream>

#include "arbitrary_filter_set.h"
#include "atomic_file.h"
#include "button_pictures.h"
#include "calculation_run.h"
#include "decimal_text.h"
#include "emission_models.h"
#include "entry_review.h"
#include "entry_texts.h"
#include "engine_process.h"
#include "engine_results_panel.h"
#include "exchange_files.h"
#include "failure_texts.h"
#include "filter_list_panel.h"
#include "focus_frame.h"
#include "material_file.h"
#include "model_choices.h"
#include "palette_color.h"
#include "program_state.h"
#include "graph_picture.h"
#include "input_number.h"
#include "transmission_dialog.h"
#include "transmission_emission.h"
#include "ui_fonts.h"
#include "ui_language.h"
#include "user_messages.h"
#include "window_placement.h"

namespace kestrix {
namespace {

const QColor kLightGreen(192, 255, 192);
const QColor kLightCyan(192, 255, 255);

/// the status line's place in the plot frame's upper right corner and its width [px]
constexpr int kStatusLeftPx = 395;
constexpr int kStatusTopPx = 40;
constexpr int kStatusWidthPx = 280;

/// a rectangle in twips of the parent's client area, in pixels
QRect Twips(int x, int y, int width, int height) { return QRect(x / 15, y / 15, width / 15, height / 15); }

QWidget* Panel(const QString& name, const QRect& geometry, const QColor& color, QWidget* parent) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(name);
  panel->setGeometry(geometry);
  panel->setAutoFillBackground(true);
  QPalette colored = panel->palette();
  colored.setColor(QPalette::Window, color);
  panel->setPalette(colored);
  return panel;
}

/// a caption placed at a point in twips of the window's client area, inside `panel`
QLabel* Caption(const QString& text, int xTwips, int yTwips, const QFont& font, QWidget* panel) {
  auto* label = new QLabel(text, panel);
  label->setFont(font);
  label->adjustSize();
  label->move(QPoint(xTwips / 15, yTwips / 15) - panel->pos());
  return label;
}

/// the exposure conditions' rows: the first row's top and the pitch, and the input boxes' height [twips]
constexpr int kFirstRowTwips = 6960;
constexpr int kRowPitchTwips = 405;
constexpr int kBoxHeightTwips = 360;

QLineEdit* InputBox(const QString& name, int yTwips, QWidget* panel, int xTwips = 7200, int widthTwips = 975) {
  auto* box = new QLineEdit(panel);
  box->setObjectName(name);
  box->setGeometry(Twips(xTwips, yTwips, widthTwips, kBoxHeightTwips).translated(-panel->pos()));
  box->setFont(TimesFont(12));
  return box;
}

QPushButton* CommandButton(const QString& name, const QString& caption, const QRect& geometry,
                           const QFont& font, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(geometry.translated(-parent->pos()));
  button->setFont(font);
  return button;
}

QRadioButton* Option(const QString& name, const QString& caption, int x, int y, const QFont& font, QWidget* frame) {
  auto* option = new QRadioButton(caption, frame);
  option->setObjectName(name);
  option->setFont(font);
  option->adjustSize();
  option->move(x, y);
  return option;
}

QGroupBox* Frame(const QString& name, const QString& caption, const QRect& geometry, const QFont& font,
                 QWidget* panel) {
  auto* frame = new QGroupBox(caption, panel);
  frame->setObjectName(name);
  frame->setGeometry(geometry.translated(-panel->pos()));
  frame->setFont(font);
  return frame;
}

}  // namespace

MainWindow::MainWindow(ProgramState& state, EngineProcess& engine, QWidget* parent)
    : QWidget(parent), state_(state), engine_(engine) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral(" Nedium energy X-ray spectrum"));
  // The controls stand at fixed places of a client area of fixed size; on a screen too small
  // for it the window becomes smaller and scrolls.
  content_ = HoldInScrollArea(this, new QWidget, QSize(kClientWidthPx, kClientHeightPx));
  content_->setObjectName(QStringLiteral("ClientArea"));
  BuildGraphArea();
  BuildRightColumn();
  BuildBottomBand();
  InstallKeyPreview();
  // Every button and option shows clearly where the keyboard focus is.
  for (QAbstractButton* button : content_->findChildren<QAbstractButton*>()) {
    if (button != command2_ && button != qualityCommand_) ShowFocusFrame(button);
  }
  // A failing engine is told when it ends, not only when its results are asked for.
  connect(&engine_, &EngineProcess::Ended, this, &MainWindow::EngineEnded, Qt::QueuedConnection);
}

void MainWindow::BuildGraphArea() {
  picture3_ = new GraphPicture(state_.calculation, content_);
  picture3_->move(240 / 15, 240 / 15);
  // A click on the graph, or Tab, takes the focus from the input boxes, so the arrow keys move its cursor.
  picture3_->setFocusPolicy(Qt::StrongFocus);
  connect(picture3_, &GraphPicture::ReadoutChanged, this, &MainWindow::SetReadout);

  // The read-out boxes lie on the graph box's bottom row, above its bitmap.
  text6_ = new QLineEdit(content_);
  text6_->setObjectName(QStringLiteral("Text6"));
  text6_->setGeometry(Twips(2280, 6240, 855, 330));
  text7_ = new QLineEdit(content_);
  text7_->setObjectName(QStringLiteral("Text7"));
  text7_->setGeometry(Twips(5640, 6240, 855, 330));
  // The status line says what the last Graph Draw corrected: a note in the plot's upper right
  // corner, where the spectra have fallen off, shown only while it has something to say.
  statusLine_ = new QLabel(content_);
  statusLine_->setObjectName(QStringLiteral("StatusLine"));
  statusLine_->setFont(RoundedGothicFont(9));
  statusLine_->setWordWrap(true);
  statusLine_->setFixedWidth(kStatusWidthPx);
  statusLine_->move(kStatusLeftPx, kStatusTopPx);
  statusLine_->setMargin(3);
  statusLine_->setFrameShape(QFrame::Box);
  statusLine_->setAutoFillBackground(true);
  QPalette statusColors = statusLine_->palette();
  statusColors.setColor(QPalette::WindowText, QColor(150, 0, 0));
  statusColors.setColor(QPalette::Window, QColor(255, 255, 225));
  statusLine_->setPalette(statusColors);
  statusLine_->hide();
  for (QLineEdit* box : {text6_, text7_}) {
    box->setFont(TimesFont(11));
    box->setAlignment(Qt::AlignRight);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
  }
}

void MainWindow::BuildRightColumn() {
  label16_ = new QLabel(content_);
  label16_->setObjectName(QStringLiteral("Label16"));
  label16_->setFont(TimesFont(12));
  label16_->setGeometry(Twips(11520, 120, 2775, 375));

  results_ = new EngineResultsPanel(content_);
  connect(results_->Command6(), &QPushButton::clicked, this, &MainWindow::ShowEngineResults);

  QWidget* colorPanel = Panel(QStringLiteral("ColorPanel"), Twips(11400, 4080, 2895, 2775), kLightCyan, content_);
  QGroupBox* drawColor = Frame(QStringLiteral("DrawColorFrame"), QStringLiteral("Draw Color"),
                               Twips(11880, 4320, 2055, 2295), CenturyFont(10.5), colorPanel);
  struct ColorOption {
    int number;
    const char* caption;
    int paletteIndex;  // caption colour; black is the default text colour
  };
  // From top to bottom: RED, MAGENTA, GREEN, CYAN, BLUE, BLACK, 300 twips apart.
  const ColorOption colors[] = {{1, "RED", kPaletteRed},   {4, "MAGENTA", kPaletteMagenta},
                                {3, "GREEN", kPaletteGreen}, {5, "CYAN", kPaletteCyan},
                                {2, "BLUE", kPaletteBlue}, {6, "BLACK", kPaletteBlack}};
  int y = 360 / 15;
  for (const ColorOption& color : colors) {
    QRadioButton* option = Option(QStringLiteral("Option%1").arg(color.number), QString::fromLatin1(color.caption),
                                  480 / 15, y, TimesFont(11), drawColor);
    if (color.paletteIndex != kPaletteBlack) {
      QPalette colored = option->palette();
      colored.setColor(QPalette::WindowText, ReadableTextColor(color.paletteIndex));
      option->setPalette(colored);
    }
    colorOptions_[color.number - 1] = option;
    y += 300 / 15;
  }
  colorOptions_[0]->setChecked(true);
}

void MainWindow::BuildBottomBand() {
  const QFont japanese = RoundedGothicFont(10.5);
  const QFont japaneseSmall = RoundedGothicFont(9.75);

  // Displayed quantity.
  QWidget* displayPanel = Panel(QStringLiteral("DisplayPanel"), Twips(240, 6840, 2055, 3015), kLightCyan, content_);
  Caption(Tr("スペクトル表示"), 360, 7080, japanese, displayPanel);
  QGroupBox* displayFrame = Frame(QStringLiteral("DisplayFrame"), Tr("表示形式"),
                                  Twips(360, 7680, 1815, 1695), japaneseSmall, displayPanel);
  const char* displayCaptions[] = {QT_TRID_NOOP("光子数"), QT_TRID_NOOP("照射線量"), QT_TRID_NOOP("エネルギー")};
  const char* displayTips[] = {QT_TRID_NOOP("光子束スペクトル"), QT_TRID_NOOP("照射線量スペクトル"), QT_TRID_NOOP("エネルギー束スペクトル")};
  for (int i = 0; i < 3; ++i) {
    QRadioButton* option = Option(QStringLiteral("Option%1").arg(10 + i), Tr(displayCaptions[i]),
                                  240 / 15, (420 + 360 * i) / 15, japaneseSmall, displayFrame);
    option->setToolTip(Tr(displayTips[i]));
    const auto quantity = static_cast<DisplayQuantity>(i + 1);
    connect(option, &QRadioButton::toggled, this, [this, quantity](bool checked) {
      if (checked) DisplayOptionChosen(quantity);
    });
    displayOptions_[i] = option;
  }
  displayOptions_[0]->setChecked(true);

  // Exposure conditions: waveform, the tube's target and lines, and the inputs.
  QWidget* conditionPanel = Panel(QStringLiteral("ConditionPanel"), Twips(2340, 6840, 6900, 3015), kLightCyan, content_);
  Caption(Tr("照 射 条 件"), 2640, 7080, RoundedGothicFont(12), conditionPanel);
  QGroupBox* waveformFrame = Frame(QStringLiteral("WaveformFrame"), Tr("整流方式"),
                                   Twips(2400, 7440, 2295, 1575), japaneseSmall, conditionPanel);
  const char* waveformCaptions[] = {QT_TRID_NOOP("定電圧"), QT_TRID_NOOP("三相12ピーク"), QT_TRID_NOOP("単相全波")};
  for (int i = 0; i < 3; ++i) {
    QRadioButton* option = Option(QStringLiteral("Option%1").arg(7 + i), Tr(waveformCaptions[i]),
                                  240 / 15, (420 + 360 * i) / 15, japaneseSmall, waveformFrame);
    const auto type = static_cast<RectificationType>(i + 1);
    connect(option, &QRadioButton::toggled, this, [this, type](bool checked) {
      if (checked) state_.rectification = type;
    });
    waveformOptions_[i] = option;
  }
  waveformOptions_[0]->setChecked(true);

  // Below the waveform: the target's material and the characteristic lines, which only the
  // physics model varies (a formula model shows W and the lines, greyed).
  Caption(Tr("ターゲット"), 2460, 9120, japaneseSmall, conditionPanel);
  targetBox_ = new QComboBox(conditionPanel);
  targetBox_->setObjectName(QStringLiteral("TargetMaterialBox"));
  targetBox_->setFont(TimesFont(11));
  targetBox_->setGeometry(Twips(3720, 9045, 660, 345).translated(-conditionPanel->pos()));
  targetBox_->setToolTip(Tr("ターゲット (陽極) の材質: Mo、Rh、Ag、Au は物理モデルのみ"));
  connect(targetBox_, &QComboBox::currentIndexChanged, this, &MainWindow::ShowVoltageRange);
  // beside it, the target's kind: reflection at the target angle or a transmission target
  transmissionButton_ = new QToolButton(conditionPanel);
  transmissionButton_->setObjectName(QStringLiteral("TransmissionButton"));
  transmissionButton_->setText(Tr("透過"));
  transmissionButton_->setFont(japaneseSmall);
  transmissionButton_->setCheckable(true);
  transmissionButton_->setGeometry(Twips(4425, 9045, 480, 345).translated(-conditionPanel->pos()));
  connect(transmissionButton_, &QToolButton::clicked, this, &MainWindow::ChooseTransmission);
  transmissionDialog_ = new TransmissionDialog(this);
  linesBox_ = new QCheckBox(Tr("特性X線を含む"), conditionPanel);
  linesBox_->setObjectName(QStringLiteral("LinesBox"));
  linesBox_->setFont(japaneseSmall);
  linesBox_->adjustSize();
  linesBox_->move(QPoint(2460 / 15, 9480 / 15) - conditionPanel->pos());
  linesBox_->setToolTip(Tr("K 線と L 線を含めて計算します。外すと制動放射のみ (物理モデルのみ)"));
  linesBox_->setChecked(true);

  int rows[7];
  for (int k = 0; k < 7; ++k) rows[k] = kFirstRowTwips + kRowPitchTwips * k;
  text1_ = InputBox(QStringLiteral("Text1"), rows[0], conditionPanel);
  text5_ = InputBox(QStringLiteral("Text5"), rows[1], conditionPanel);
  text2_ = InputBox(QStringLiteral("Text2"), rows[2], conditionPanel);
  text13_ = InputBox(QStringLiteral("Text13"), rows[3], conditionPanel);
  text3_ = InputBox(QStringLiteral("Text3"), rows[4], conditionPanel);
  text4_ = InputBox(QStringLiteral("Text4"), rows[5], conditionPanel);
  // the point off the central ray: along the anode-cathode axis and across it
  offAxisAlong_ = InputBox(QStringLiteral("OffAxisAlongBox"), rows[6], conditionPanel, 7200, 600);
  offAxisAcross_ = InputBox(QStringLiteral("OffAxisAcrossBox"), rows[6], conditionPanel, 7860, 600);
  offAxisAlong_->setToolTip(Tr("中心線からの角度、管軸 (陽極-陰極) 方向で陰極側が正 (-60 ～ 60 度)"));
  offAxisAcross_->setToolTip(Tr("中心線からの角度、管軸に直交する方向 (-60 ～ 60 度)"));
  voltageCaption_ = Caption(QString(), 4920, rows[0] + 45, japanese, conditionPanel);
  Caption(Tr("ターゲット角度"), 4920, rows[1] + 45, japanese, conditionPanel);
  Caption(Tr("固有ろ過"), 4920, rows[2] + 255, japanese, conditionPanel);
  Caption(QStringLiteral("(Beryllium)"), 6000, rows[2] + 45, TimesFont(11), conditionPanel);
  Caption(QStringLiteral("(Aluminum)"), 6000, rows[3] + 45, TimesFont(11), conditionPanel);
  Caption(Tr("アルミ付加フィルタ"), 4920, rows[4] + 45, japanese, conditionPanel);
  Caption(Tr("銅付加フィルタ"), 5400, rows[5] + 45, japanese, conditionPanel);
  Caption(Tr("軸外 (管軸, 直交)"), 4920, rows[6] + 45, japanese, conditionPanel);
  const char* units[] = {"kV", "degree", "mm", "mmAL eq.", "mm", "mm"};
  for (int i = 0; i < 6; ++i) {
    Caption(QString::fromLatin1(units[i]), 8280, rows[i] + 45, TimesFont(11), conditionPanel);
  }
  Caption(QStringLiteral("degree"), 8520, rows[6] + 45, TimesFont(11), conditionPanel);
  ResetTubeChoices(state_.spectrumModel);

  // Arbitrary-material filters.
  QWidget* filterPanel = Panel(QStringLiteral("FilterPanel"), Twips(9285, 6840, 2070, 3015), kLightCyan, content_);
  Caption(Tr("任意材質フィルタ"), 9360, 7320, japanese, filterPanel);
  Caption(Tr("（最大３種類）"), 9360, 7620, japaneseSmall, filterPanel);
  picture1_ = new FilterListPanel(filterPanel);
  picture1_->setGeometry(Twips(9360, 8040, 1935, 1095).translated(-filterPanel->pos()));
  command4_ = CommandButton(QStringLiteral("Command4"), Tr("設定"), Twips(9360, 9240, 915, 375),
                            japanese, filterPanel);
  command5_ = CommandButton(QStringLiteral("Command5"), Tr("解除"), Twips(10380, 9240, 915, 375),
                            japanese, filterPanel);
  connect(command4_, &QPushButton::clicked, this, [this] {
    if (!runInProgress_) emit FilterDialogRequested();
  });
  connect(command5_, &QPushButton::clicked, this, &MainWindow::ReleaseFilters);

  // Commands.
  QWidget* commandPanel = Panel(QStringLiteral("CommandPanel"), Twips(11400, 6840, 2895, 3015), kLightCyan, content_);
  const QFont commandFont = TimesFont(12);
  command1_ = CommandButton(QStringLiteral("Command1"), QStringLiteral("Graph Draw"), Twips(11760, 7080, 1935, 495),
                            commandFont, commandPanel);
  command3_ = CommandButton(QStringLiteral("Command3"), QStringLiteral("Clear Graph"), Twips(11760, 7800, 1935, 495),
                            commandFont, commandPanel);
  command7_ = CommandButton(QStringLiteral("Command7"), QStringLiteral("Data Save"), Twips(11760, 8400, 1935, 495),
                            commandFont, commandPanel);
  command7_->setToolTip(Tr("光子数スペクトルデータを csv 形式で 保存"));
  command8_ = CommandButton(QStringLiteral("Command8"), QStringLiteral("Image Save"), Twips(11760, 9120, 1935, 495),
                            commandFont, commandPanel);
  command7_->setEnabled(false);
  command8_->setEnabled(false);
  command2_ = new QToolButton(commandPanel);
  command2_->setObjectName(QStringLiteral("Command2"));
  command2_->setText(QStringLiteral(" bye bye "));
  command2_->setIcon(ByeByeIcon());
  command2_->setIconSize(QSize(16, 16));
  command2_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  command2_->setFont(CenturyFont(5.25));
  command2_->setGeometry(Twips(13800, 9360, 495, 495).translated(-commandPanel->pos()));
  command2_->setToolTip(Tr("スタート画面に戻る"));
  ShowFocusFrame(command2_);

  connect(command1_, &QPushButton::clicked, this, &MainWindow::GraphDraw);
  connect(command3_, &QPushButton::clicked, this, &MainWindow::ClearGraph);
  connect(command7_, &QPushButton::clicked, this, [this] {
    if (!runInProgress_) emit DataExportRequested();
  });
  connect(command8_, &QPushButton::clicked, this, [this] {
    if (!runInProgress_) emit ImageExportRequested();
  });
  connect(command2_, &QToolButton::clicked, this, &MainWindow::ByeBye);

  // The beam-quality window: a small square button in the free column beside the commands,
  // above " bye bye ".
  qualityCommand_ = new QToolButton(commandPanel);
  qualityCommand_->setObjectName(QStringLiteral("QualityCommand"));
  qualityCommand_->setText(Tr("線質"));
  // the English word is longer than the two Japanese characters the square button was made for
  qualityCommand_->setFont(RoundedGothicFont(CurrentLanguage() == UiLanguage::English ? 5.5 : 8));
  qualityCommand_->setGeometry(Twips(13800, 7080, 495, 495).translated(-commandPanel->pos()));
  qualityCommand_->setToolTip(Tr("線質: 半価層・実効エネルギー・均等度・平均エネルギー、標準線質、半価層からのろ過"));
  ShowFocusFrame(qualityCommand_);
  connect(qualityCommand_, &QToolButton::clicked, this, [this] {
    if (!runInProgress_) emit QualityWindowRequested();
  });
}

void MainWindow::InstallKeyPreview() {
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    // The window sees each key once, at the widget it is delivered to first, and lets it go on.
    QWidget* focus = QApplication::focusWidget();
    const bool firstDelivery = watched == focus || (watched == this && (focus == nullptr || !isAncestorOf(focus)));
    if (firstDelivery) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Right || key == Qt::Key_Left) {
        picture3_->MoveCursor(key == Qt::Key_Right ? +1 : -1);
        // The arrows belong to the cursor: in an input box they also move the text cursor, but
        // they never change a colour or waveform option nor walk the focus across the buttons.
        if (!IsInputBox(focus)) return true;
      }
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && PressForEnter(focus)) return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::IsInputBox(const QWidget* widget) {
  const auto* box = qobject_cast<const QLineEdit*>(widget);
  return box != nullptr && !box->isReadOnly();
}

bool MainWindow::PressForEnter(QWidget* focus) {
  // Enter in an input box draws the graph; on a button it presses the button, as Space does.
  if (IsInputBox(focus)) {
    command1_->click();
    return true;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(focus); button != nullptr && button->isEnabled()) {
    button->click();
    return true;
  }
  return false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing through the frame leaves the window like " bye bye "; the window is kept.
  event->ignore();
  ByeBye();
}

const QImage& MainWindow::GraphImage() const { return picture3_->Image(); }

bool MainWindow::OverlaySpectrum(const PhotonSpectrum& photons) {
  if (!state_.lastRun || state_.displayQuantity == DisplayQuantity::Exposure) return false;
  PhotonSpectrum shown = photons;
  if (state_.displayQuantity == DisplayQuantity::Energy) {
    for (int i = 1; i <= kExchangeLast; ++i) shown[i] *= PhotonEnergy(i);
  }
  picture3_->PlotRelativeCurve(shown, kPaletteMagenta);
  return true;
}

void MainWindow::SetFilterCommandEnabled(bool enabled) { command4_->setEnabled(enabled); }

CalculationState& MainWindow::Calculation() { return state_.calculation; }

void MainWindow::SetReadout(const QString& energyText, const QString& valueText) {
  text6_->setText(energyText);
  text7_->setText(valueText);
}

void MainWindow::SetDisplayOptionsEnabled(bool enabled) {
  for (QRadioButton* option : displayOptions_) option->setEnabled(enabled);
}

void MainWindow::ClearGraphAndFilters() {
  picture3_->Clear();
  picture1_->Clear();
  picture3_->DrawEmptyGraph(state_.displayQuantity);
  state_.calculation.filters.Clear();
  state_.filterFiles.clear();
  command4_->setEnabled(true);
  state_.calculation.SpectrumPeak = 0;
  picture3_->SwitchCursorOff();
}

void MainWindow::InitialiseForModel(SpectrumModel model) {
  state_.spectrumModel = model;
  const QString caption = ChoiceOf(model).graphCaption;
  label16_->setText(caption);
  picture3_->ShowModelCaption(caption);
  state_.displayQuantity = DisplayQuantity::PhotonNumber;

  ClearGraphAndFilters();

  text1_->setText(QStringLiteral("200"));
  text13_->setText(QStringLiteral("5"));
  text2_->setText(QStringLiteral("3"));
  text3_->setText(QStringLiteral("0"));
  text4_->setText(QStringLiteral("0"));
  text5_->setText(QStringLiteral("20"));
  SetOffAxisTexts(QStringLiteral("0"), QStringLiteral("0"));
  ResetTubeChoices(model);
  results_->ClearResults();
  results_->ClearExtendedFigures();
  SetLastRun(std::nullopt);

  results_->Command6()->setEnabled(false);
  command7_->setEnabled(false);
  command8_->setEnabled(false);
  SetStatus(QString());
  waveformOptions_[0]->setChecked(true);
  state_.rectification = RectificationType::ConstantPotential;
  SetDisplayOptionsEnabled(true);
  displayOptions_[0]->setChecked(true);
  state_.displayQuantity = DisplayQuantity::PhotonNumber;
  command1_->setFocus();
}

void MainWindow::DisplayOptionChosen(DisplayQuantity quantity) {
  state_.displayQuantity = quantity;
  picture3_->Relabel(quantity);
}

int MainWindow::SelectedColorIndex() const {
  // RED, BLUE, GREEN, MAGENTA, CYAN in this order; BLACK when none of them is selected.
  const int paletteOfOption[] = {kPaletteRed, kPaletteBlue, kPaletteGreen, kPaletteMagenta, kPaletteCyan};
  for (int i = 0; i < 5; ++i) {
    if (colorOptions_[i]->isChecked()) return paletteOfOption[i];
  }
  return kPaletteBlack;
}

void MainWindow::Yield() { QCoreApplication::processEvents(); }

void MainWindow::GraphDraw() {
  if (runInProgress_) return;
  runInProgress_ = true;
  // The displayed quantity must not change under a running calculation.
  const bool displayOptionsWereEnabled = displayOptions_[0]->isEnabled();
  SetDisplayOptionsEnabled(false);
  QLabel* label14 = picture3_->ModelCaption();
  const bool captionWasVisible = label14->isVisible();
  label14->hide();

  const bool drawn = CalculateSpectrum();

  picture3_->SwitchCursorOff();
  if (drawn) {
    // Data Save exports the exchange file: a file the folder did not take would be an older spectrum's.
    if (exchangeSaved_) {
      results_->ClearResults();
      results_->Command6()->setEnabled(true);
    }
    command7_->setEnabled(exchangeSaved_);
    command8_->setEnabled(true);
  } else {
    // Nothing was added to the graph: it stays as it was. The engine's figures of the last
    // spectrum would stand beside inputs that were not computed: they go, and cannot be fetched.
    results_->ClearResults();
    results_->ClearExtendedFigures();
    SetLastRun(std::nullopt);
    results_->Command6()->setEnabled(false);
    label14->setVisible(captionWasVisible);
    SetDisplayOptionsEnabled(displayOptionsWereEnabled);
  }
  runInProgress_ = false;
}

bool MainWindow::CalculateSpectrum() {
  const SpectrumModel model = state_.spectrumModel;
  QLineEdit* const boxes[kEntryBoxCount] = {text1_, text5_, text2_, text13_, text3_, text4_};
  QLineEdit* const offAxisBoxes[2] = {offAxisAlong_, offAxisAcross_};
  EntryTexts typed;
  for (std::size_t k = 0; k < kEntryBoxCount; ++k) typed[k] = boxes[k]->text();
  const EntryReview review = ReviewEntries(typed, model, TubeInputs());
  if (review.refusedBox) {
    // Refused before any correction: the boxes stay as typed.
    SetStatus(QString());
    const auto index = static_cast<std::size_t>(*review.refusedBox);
    ShowExclamation(this, (Tr("スペクトルを計算できません。") + QStringLiteral("\n")) + review.refusal);
    if (*review.refusedBox == EntryBox::TransmissionTarget) {
      transmissionButton_->setFocus();
      return false;
    }
    QLineEdit* refused = index < kEntryBoxCount ? boxes[index] : offAxisBoxes[index - kEntryBoxCount];
    refused->setFocus();
    refused->selectAll();
    return false;
  }
  // Every box shows the value the calculation uses, and the status line says what was corrected.
  for (std::size_t k = 0; k < kEntryBoxCount; ++k) {
    if (boxes[k]->text() != review.shown[k]) boxes[k]->setText(review.shown[k]);
  }
  for (std::size_t j = 0; j < 2; ++j) {
    if (offAxisBoxes[j]->text() != review.shownOffAxis[j]) offAxisBoxes[j]->setText(review.shownOffAxis[j]);
  }
  SetStatus(review.corrections.join(QLatin1Char('\n')));
  const RunInputTexts texts = ToRunInputTexts(review.shown);
  const RunInputs& inputs = review.inputs;

  CalculationState& calculation = state_.calculation;
  try {
    ComputePhotonSpectrum(inputs, model, state_.rectification, calculation);
  } catch (const RunError& error) {
    ShowExclamation(this, (Tr("スペクトルを計算できません。") + QStringLiteral("\n")) + RunRefusalText(error));
    return false;
  }

  const ExchangeSpectrum relative = RelativePhotonSpectrum(calculation, inputs.kVp);
  std::ostringstream exchange(std::ios::binary);
  WriteSpectrumExchange(exchange, relative);
  const std::string exchangeText = exchange.str();
  DrawnRun run{RunSettings{model, ParseRunEntries(texts), state_.rectification, DisplayQuantity::PhotonNumber},
               state_.filterFiles, QString()};
  run.settings.entries.target = inputs.target;
  run.settings.entries.characteristicLines = inputs.characteristicLines;
  run.settings.entries.offAxisAlongDegrees = inputs.offAxisAlongDegrees;
  run.settings.entries.offAxisAcrossDegrees = inputs.offAxisAcrossDegrees;
  run.settings.entries.transmission = inputs.transmission;
  bool exchangeSaved = true;
  try {
    SaveFileAtomically(kSpectrumExchangeFile, [&exchangeText](std::ostream& out) { out << exchangeText; });
    exchangeRun_ = run.settings;
  } catch (const std::exception& error) {
    // The curve is drawn all the same; only the engine, which reads the file, has nothing to work on.
    exchangeSaved = false;
    run.engineFailure = Tr("作業フォルダに ") + QString::fromLatin1(kSpectrumExchangeFile) +
                        Tr(" を書き込めないため、半価層の計算 (Quillon) は行っていません");
    const QString folder = QDir::toNativeSeparators(QDir::currentPath());
    ShowExclamation(this,
                    (Tr("スペクトルファイルを書き込めませんでした。") + QStringLiteral("\n")) + SaveFailureText(error) +
                        (QStringLiteral("\n") + Tr("曲線は描きますが、半価層・実効エネルギー・光子フルエンスはありません。")),
                    QString::fromLatin1(kSpectrumExchangeFile));
    AppendStatus(Tr("作業フォルダ ") + folder + Tr(" に書き込めません: 半価層の計算 (Quillon) と Data Save はできません。書き込めるフォルダで Kestrix を起動して下さい。"));
  }
  results_->SetExtendedFigures(ComputeExtendedBeamQuality(relative, calculation.table));
  const QString engineFailure = run.engineFailure;
  SetLastRun(std::move(run));
  Yield();

  ApplyDisplayQuantity(state_.displayQuantity, inputs.kVp, calculation);
  state_.curveColorIndex = SelectedColorIndex();
  picture3_->PlotSpectrumCurve(state_.curveColorIndex);
  exchangeSaved_ = exchangeSaved;
  if (!exchangeSaved) {
    engine_.Stop();  // an earlier engine would deliver the figures of an older spectrum
    results_->MarkUnavailable(engineFailure);
    Yield();
    return true;
  }

  QString startError;
  if (!engine_.Start(&startError)) {
    ShowExclamation(this, (Tr("半価層の計算プログラム (Quillon) を起動できませんでした。") + QStringLiteral("\n")) + startError,
                    QDir::toNativeSeparators(engine_.ProgramPath()));
  }
  Yield();
  return true;
}

void MainWindow::EngineEnded() {
  QString detail;
  const EngineProcess::Outcome outcome = engine_.WaitForEnd(0, &detail);
  if (outcome != EngineProcess::Outcome::Crashed && outcome != EngineProcess::Outcome::FailedExit) return;
  // Told when it happens, once; the quality window then shows no engine figures for the curve.
  if (state_.lastRun && state_.lastRun->engineFailure.isEmpty()) {
    state_.lastRun->engineFailure = EngineResultsPanel::EngineFailureText(outcome);
    emit RunFiguresChanged();
  }
  AppendStatus(EngineResultsPanel::EngineFailureText(outcome));
  results_->MarkUnavailable(EngineResultsPanel::EngineFailureText(outcome));
  if (engine_.ClaimFailureReport()) EngineResultsPanel::ReportEngineFailure(this, outcome, detail, engine_);
}

void MainWindow::AppendStatus(const QString& text) {
  const QString now = statusLine_->text();
  SetStatus(now.isEmpty() ? text : now + QLatin1Char('\n') + text);
}

void MainWindow::SetStatus(const QString& text) {
  statusLine_->setText(text);
  statusLine_->adjustSize();
  statusLine_->setVisible(!text.isEmpty());
  statusLine_->raise();
}

QString MainWindow::StatusText() const { return statusLine_->text(); }

void MainWindow::SetLastRun(std::optional<DrawnRun> run) {
  state_.lastRun = std::move(run);
  emit RunFiguresChanged();
}

RunInputTexts MainWindow::InputTexts() const {
  EntryTexts texts;
  QLineEdit* const boxes[kEntryBoxCount] = {text1_, text5_, text2_, text13_, text3_, text4_};
  for (std::size_t k = 0; k < kEntryBoxCount; ++k) texts[k] = AsciiNumberText(boxes[k]->text());
  return ToRunInputTexts(texts);
}

void MainWindow::SetInputTexts(const RunInputTexts& texts) {
  text1_->setText(QString::fromStdString(texts.tubeVoltage));
  text5_->setText(QString::fromStdString(texts.targetAngle));
  text2_->setText(QString::fromStdString(texts.beryllium));
  text13_->setText(QString::fromStdString(texts.aluminiumEquivalent));
  text3_->setText(QString::fromStdString(texts.addedAluminium));
  text4_->setText(QString::fromStdString(texts.addedCopper));
}

const std::optional<DrawnRun>& MainWindow::LastRun() const { return state_.lastRun; }

const std::vector<FilterRequest>& MainWindow::FilterFiles() const { return state_.filterFiles; }

void MainWindow::FilterFileAdded(const FilterRequest& file) { state_.filterFiles.push_back(file); }

SpectrumModel MainWindow::Model() const { return state_.spectrumModel; }

TargetMaterial MainWindow::Target() const {
  return targetBox_->currentIndex() < 0 ? TargetMaterial::Tungsten
                                        : static_cast<TargetMaterial>(targetBox_->currentData().toInt());
}

bool MainWindow::SetTarget(TargetMaterial target) {
  const int index = targetBox_->findData(static_cast<int>(target));
  if (index < 0) return false;
  targetBox_->setCurrentIndex(index);
  return true;
}

bool MainWindow::CharacteristicLines() const { return linesBox_->isChecked(); }

TubeEntries MainWindow::TubeInputs() const {
  return TubeEntries{Target(), CharacteristicLines(), offAxisAlong_->text(), offAxisAcross_->text(), transmission_};
}

bool MainWindow::SetTransmission(const TransmissionTarget& target) {
  if (target.IsTransmission() && !transmissionButton_->isEnabled()) return false;
  transmission_ = target;
  ShowTransmission();
  return true;
}

void MainWindow::ShowTransmission() {
  const bool transmission = transmission_.IsTransmission();
  if (transmission) SetTarget(TargetMaterial::Tungsten);  // the layer is tungsten
  transmissionButton_->setChecked(transmission);
  transmissionButton_->setToolTip(Tr("ターゲットの種類: ") + TransmissionText(transmission_));
  text5_->setEnabled(!transmission);
  text5_->setToolTip(transmission ? Tr("透過ターゲットにはターゲット角度がありません (ビームは窓を通って電子の方向に出ます)")
                                  : QString());
  targetBox_->setEnabled(!transmission && targetBox_->count() > 1);
  ShowVoltageRange();
}

void MainWindow::ChooseTransmission() {
  transmissionDialog_->SetTarget(transmission_);
  if (transmissionDialog_->exec() == QDialog::Accepted) transmission_ = transmissionDialog_->Target();
  ShowTransmission();
}

void MainWindow::SetOffAxisTexts(const QString& along, const QString& across) {
  offAxisAlong_->setText(along);
  offAxisAcross_->setText(across);
}

RunEntries MainWindow::TypedEntries() const {
  RunEntries entries = ParseRunEntries(InputTexts());
  entries.target = Target();
  entries.characteristicLines = CharacteristicLines();
  entries.offAxisAlongDegrees = ParseLeadingNumber(AsciiNumberText(offAxisAlong_->text()).toStdString());
  entries.offAxisAcrossDegrees = ParseLeadingNumber(AsciiNumberText(offAxisAcross_->text()).toStdString());
  entries.transmission = transmission_;
  return entries;
}

void MainWindow::ResetTubeChoices(SpectrumModel model) {
  {
    const QSignalBlocker quiet(targetBox_);
    targetBox_->clear();
    for (const TargetMaterial target : ModelTargets(model)) {
      targetBox_->addItem(QString::fromLatin1(TargetSymbol(target)), static_cast<int>(target));
    }
    targetBox_->setCurrentIndex(0);  // tungsten first
  }
  targetBox_->setEnabled(targetBox_->count() > 1);
  linesBox_->setChecked(true);
  linesBox_->setEnabled(!TubeRefusal(model, TargetMaterial::Tungsten, false));
  // a model offers the transmission target when it computes a tungsten layer on a thick window
  transmissionButton_->setEnabled(
      !TransmissionRefusal(model, TargetMaterial::Tungsten, TransmissionTarget{1, TransmissionWindow::Diamond, 10},
                           kTransmissionMinimumVoltage));
  transmission_ = TransmissionTarget{};
  ShowTransmission();
}

void MainWindow::ShowVoltageRange() {
  const VoltageRange range = DesktopVoltageRange(state_.spectrumModel, Target(), transmission_);
  voltageCaption_->setText(Tr("Ｘ線管電圧(～%1)").arg(QString::fromStdString(ShortestDecimal(range.highest))));
  voltageCaption_->adjustSize();
}

RectificationType MainWindow::Waveform() const { return state_.rectification; }

bool MainWindow::AddMaterialFilter(const FilterRequest& file, const MaterialFile& material) {
  if (state_.calculation.filters.count >= kArbitraryFilterSlots) return false;
  const double thicknessCm = file.thicknessMm * kCentimetresPerMillimetre;
  const int slot = AddArbitraryFilter(state_.calculation.filters, ArbitraryFilterCoefficientsFor(material), thicknessCm);
  picture1_->ListFilter(slot, QString::fromUtf8(material.description.c_str()), thicknessCm);
  state_.filterFiles.push_back(file);
  if (slot >= kArbitraryFilterSlots) command4_->setEnabled(false);
  return true;
}

void MainWindow::ClearGraph() {
  if (runInProgress_) return;
  ClearGraphAndFilters();
  command7_->setEnabled(false);
  command8_->setEnabled(false);
  // The results of a curve no longer drawn are not offered.
  results_->Command6()->setEnabled(false);
  results_->ClearResults();
  results_->ClearExtendedFigures();
  SetLastRun(std::nullopt);
  SetStatus(QString());
  SetDisplayOptionsEnabled(true);
  picture3_->ModelCaption()->show();
}

void MainWindow::ByeBye() {
  if (runInProgress_) return;
  picture3_->Clear();
  emit StartScreenRequested();
  hide();
}

void MainWindow::ReleaseFilters() {
  if (runInProgress_) return;
  picture1_->Clear();
  state_.calculation.filters.Clear();
  state_.filterFiles.clear();
  // With the list empty again, filters can be set again.
  command4_->setEnabled(true);
}

void MainWindow::ShowEngineResults() {
  if (runInProgress_) return;
  results_->ShowEngineResults(state_.curveColorIndex, engine_);
  command1_->setFocus();
}

}  // namespace kestrix
