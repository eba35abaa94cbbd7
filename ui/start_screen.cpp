#include "start_screen.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "attenuation_table.h"
#include "button_pictures.h"
#include "engine_process.h"
#include "exchange_files.h"
#include "focus_frame.h"
#include "failure_texts.h"
#include "main_window.h"
#include "program_state.h"
#include "start_picture.h"
#include "ui_fonts.h"
#include "user_messages.h"
#include "window_placement.h"

namespace kestrix {
namespace {

QLabel* Caption(const QString& name, const QString& text, const QFont& font, const QColor& color, QPoint at,
                QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(font);
  QPalette colored = label->palette();
  colored.setColor(QPalette::WindowText, color);
  label->setPalette(colored);
  label->adjustSize();
  label->move(at);
  return label;
}

}  // namespace

StartScreen::StartScreen(ProgramState& state, MainWindow& mainWindow, EngineProcess& engine, QWidget* parent)
    : QWidget(parent), state_(state), mainWindow_(mainWindow), engine_(engine), picture_(DrawStartPicture()) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("X-ray Spectrum of medium enerygy"));
  setFixedSize(kStartPictureWidth, kStartPictureHeight);

  // Creation order of the form: exit, Birch, Tucker, subtitles, title.
  auto* command3 = new QPushButton(this);
  command3->setObjectName(QStringLiteral("Command3"));
  command3->setIcon(ExitIcon());
  command3->setIconSize(QSize(40, 40));
  command3->setGeometry(40, 520, 60, 60);
  command3->setToolTip(QStringLiteral("終了"));
  ShowFocusFrame(command3);

  const QFont buttonFont = GothicFont(14);
  auto* command2 = new QPushButton(QStringLiteral("Birch 式で計算"), this);
  command2->setObjectName(QStringLiteral("Command2"));
  command2->setFont(buttonFont);
  command2->setGeometry(516, 530, 250, 46);
  auto* command1 = new QPushButton(QStringLiteral("Tucker 式で計算"), this);
  command1->setObjectName(QStringLiteral("Command1"));
  command1->setFont(buttonFont);
  command1->setGeometry(516, 470, 250, 46);

  const QColor subtitleColor(220, 235, 255);
  Caption(QStringLiteral("Label4"), QStringLiteral("中エネルギー (300 kVまで) Ｘ線スペクトルの計算"), GothicFont(16),
          subtitleColor, QPoint(60, 168), this);
  Caption(QStringLiteral("Label3"), QStringLiteral("産業・工業・研究用Ｘ線管から放射される"), GothicFont(14),
          subtitleColor, QPoint(60, 134), this);
  // The title is two labels with the same text: a dark shadow under the light face.
  QFont titleFont = TimesFont(36);
  titleFont.setBold(true);
  titleFont.setItalic(true);
  Caption(QStringLiteral("Label2"), QStringLiteral("Kestrix (Medium energy)"), titleFont, QColor(0, 0, 30),
          QPoint(43, 43), this);
  Caption(QStringLiteral("Label1"), QStringLiteral("Kestrix (Medium energy)"), titleFont, QColor(255, 236, 170),
          QPoint(40, 40), this);

  // Enter presses the focused button, as Space does.
  for (QPushButton* button : {command1, command2, command3}) button->setAutoDefault(true);

  connect(command1, &QPushButton::clicked, this, [this] { ChooseModel(SpectrumModel::Tucker); });
  connect(command2, &QPushButton::clicked, this, [this] { ChooseModel(SpectrumModel::Birch); });
  connect(command3, &QPushButton::clicked, this, &StartScreen::ExitProgram);
}

void StartScreen::ChooseModel(SpectrumModel model) {
  try {
    state_.calculation.LoadAttenuationTable(kAttenuationTableFile);
  } catch (const std::exception& error) {
    ShowExclamation(this, QStringLiteral("減弱係数テーブルを読み込めませんでした。\n") + ReadFailureText(error),
                    FilePlace(QString::fromLatin1(kAttenuationTableFile), FailureLine(error)));
    return;
  }
  mainWindow_.InitialiseForModel(model);
  CentreOnScreenWithMouse(&mainWindow_);
  mainWindow_.show();
  hide();
}

void StartScreen::ExitProgram() {
  // An engine still at work would write its result file again after the deletion.
  engine_.Stop();
  QFile::remove(QString::fromLatin1(kSpectrumExchangeFile));
  QFile::remove(QString::fromLatin1(kResultFile));
  emit ExitRequested();
}

void StartScreen::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), picture_);
}

void StartScreen::closeEvent(QCloseEvent* event) {
  // Closing the start screen through its frame leaves the program like the exit button.
  event->accept();
  ExitProgram();
}

}  // namespace kestrix
