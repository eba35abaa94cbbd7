#include "start_screen.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "attenuation_table.h"
#include "button_pictures.h"
#include "program_data.h"
#include "engine_process.h"
#include "exchange_files.h"
#include "focus_frame.h"
#include "failure_texts.h"
#include "main_window.h"
#include "model_choices.h"
#include "program_state.h"
#include "start_picture.h"
#include "ui_fonts.h"
#include "ui_language.h"
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

/// The start screen's client area: the picture at its full size, under the controls.
class StartCanvas : public QWidget {
 public:
  explicit StartCanvas(const QImage& picture) : picture_(picture) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
  }

 private:
  const QImage& picture_;
};

/// the model buttons: 250 x 46 px, the lowest at y = 530, each further one 60 px higher [px]
constexpr int kModelButtonLeft = 516;
constexpr int kLowestModelButtonTop = 530;
constexpr int kModelButtonPitch = 60;

}  // namespace

StartScreen::StartScreen(ProgramState& state, MainWindow& mainWindow, EngineProcess& engine, QWidget* parent)
    : QWidget(parent), state_(state), mainWindow_(mainWindow), engine_(engine), picture_(DrawStartPicture()) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(QStringLiteral("X-ray Spectrum of medium enerygy"));
  // The picture keeps its size; on a screen too small for it the window scrolls.
  QWidget* canvas = HoldInScrollArea(this, new StartCanvas(picture_), QSize(kStartPictureWidth, kStartPictureHeight));
  canvas->setObjectName(QStringLiteral("Canvas"));

  // Creation order of the form: exit, the model buttons from the bottom up, subtitles, title.
  auto* command3 = new QPushButton(canvas);
  command3->setObjectName(QStringLiteral("Command3"));
  command3->setIcon(ExitIcon());
  command3->setIconSize(QSize(40, 40));
  command3->setGeometry(40, 520, 60, 60);
  command3->setToolTip(Tr("終了"));
  ShowFocusFrame(command3);

  const QFont buttonFont = GothicFont(14);
  const std::vector<ModelChoice>& choices = ModelChoices();
  std::vector<QPushButton*> modelButtons;
  for (std::size_t k = choices.size(); k-- > 0;) {
    const ModelChoice& choice = choices[k];
    auto* button = new QPushButton(choice.buttonText, canvas);
    button->setObjectName(choice.commandName);
    button->setFont(buttonFont);
    const int fromBottom = static_cast<int>(choices.size() - 1 - k);
    button->setGeometry(kModelButtonLeft, kLowestModelButtonTop - kModelButtonPitch * fromBottom, 250, 46);
    const SpectrumModel model = choice.model;
    connect(button, &QPushButton::clicked, this, [this, model] { ChooseModel(model); });
    modelButtons.insert(modelButtons.begin(), button);
  }

  const QColor subtitleColor(220, 235, 255);
  Caption(QStringLiteral("Label4"), Tr("中エネルギー (300 kVまで) Ｘ線スペクトルの計算"), GothicFont(16),
          subtitleColor, QPoint(60, 168), canvas);
  Caption(QStringLiteral("Label3"), Tr("産業・工業・研究用Ｘ線管から放射される"), GothicFont(14),
          subtitleColor, QPoint(60, 134), canvas);
  // The title is two labels with the same text: a dark shadow under the light face.
  QFont titleFont = TimesFont(36);
  titleFont.setBold(true);
  titleFont.setItalic(true);
  Caption(QStringLiteral("Label2"), QStringLiteral("Kestrix (Medium energy)"), titleFont, QColor(0, 0, 30),
          QPoint(43, 43), canvas);
  Caption(QStringLiteral("Label1"), QStringLiteral("Kestrix (Medium energy)"), titleFont, QColor(255, 236, 170),
          QPoint(40, 40), canvas);

  // Enter presses the focused button, as Space does. The focus starts on the first model, and Tab
  // runs from the top down to the exit.
  modelButtons.push_back(command3);
  for (QPushButton* button : modelButtons) {
    button->setAutoDefault(true);
    ShowFocusFrame(button);
  }
  // The language of every window, in the top right corner; the one in use is pressed down.
  const std::pair<UiLanguage, const char*> languages[] = {{UiLanguage::Japanese, "日本語"}, {UiLanguage::English, "English"}};
  int x = kStartPictureWidth - 2 * 84 - 16;
  for (const auto& [language, caption] : languages) {
    auto* button = new QPushButton(QString::fromUtf8(caption), canvas);
    button->setObjectName(language == UiLanguage::English ? QStringLiteral("EnglishCommand")
                                                          : QStringLiteral("JapaneseCommand"));
    button->setGeometry(x, 12, 80, 28);
    button->setCheckable(true);
    button->setChecked(language == CurrentLanguage());
    button->setAutoDefault(true);
    button->setToolTip(Tr("画面の言語 (次回の起動でも同じ言語で開きます)"));
    ShowFocusFrame(button);
    const UiLanguage chosen = language;
    connect(button, &QPushButton::clicked, this, [this, button, chosen] {
      button->setChecked(chosen == CurrentLanguage());  // the press itself changes nothing until the windows are made again
      emit LanguageChosen(chosen);
    });
    modelButtons.push_back(button);
    x += 84;
  }
  for (std::size_t k = 1; k < modelButtons.size(); ++k) setTabOrder(modelButtons[k - 1], modelButtons[k]);
  firstModel_ = modelButtons.front();

  connect(command3, &QPushButton::clicked, this, &StartScreen::ExitProgram);
}

void StartScreen::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  firstModel_->setFocus();  // Enter right after the start chooses a model, never the exit
}

void StartScreen::ChooseModel(SpectrumModel model) {
  try {
    state_.calculation.LoadAttenuationTable(DataFile(kAttenuationTableFile));
  } catch (const std::exception& error) {
    ShowExclamation(this, (Tr("減弱係数テーブルを読み込めませんでした。") + QStringLiteral("\n")) + ReadFailureText(error),
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

void StartScreen::closeEvent(QCloseEvent* event) {
  // Closing the start screen through its frame leaves the program like the exit button.
  event->accept();
  ExitProgram();
}

}  // namespace kestrix
