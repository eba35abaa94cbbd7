#include "user_messages.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <algorithm>

#include "ui_language.h"

namespace kestrix {
namespace {

/// the texts Qt writes on message boxes and the edit menu of input boxes, in Japanese
class JapaneseQtTexts : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    static const QHash<QString, QString> texts = {
        {QStringLiteral("QMessageBox|Show Details..."), QStringLiteral("詳細を表示...")},
        {QStringLiteral("QMessageBox|Hide Details..."), QStringLiteral("詳細を隠す...")},
        {QStringLiteral("QWidgetTextControl|&Undo"), QStringLiteral("元に戻す(&U)")},
        {QStringLiteral("QLineEdit|&Undo"), QStringLiteral("元に戻す(&U)")},
        {QStringLiteral("QLineEdit|&Redo"), QStringLiteral("やり直す(&R)")},
        {QStringLiteral("QLineEdit|Cu&t"), QStringLiteral("切り取り(&T)")},
        {QStringLiteral("QLineEdit|&Copy"), QStringLiteral("コピー(&C)")},
        {QStringLiteral("QLineEdit|&Paste"), QStringLiteral("貼り付け(&P)")},
        {QStringLiteral("QLineEdit|Delete"), QStringLiteral("削除")},
        {QStringLiteral("QLineEdit|Select All"), QStringLiteral("すべて選択")},
    };
    return texts.value(QString::fromLatin1(context) + QLatin1Char('|') + QString::fromLatin1(sourceText));
  }
  bool isEmpty() const override { return false; }
};

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& name, const QString& text,
             const QString& detail, const QString& details) {
  QMessageBox box(icon, kProgramTitle, text, QMessageBox::Ok, parent);
  box.setObjectName(name);
  QString fullDetails = details;
  if (!detail.isEmpty()) {
    const QString shown = ElidedForMessage(detail, parent);
    box.setText(text + QLatin1Char('\n') + shown);
    if (shown != detail) fullDetails = details.isEmpty() ? detail : detail + QLatin1Char('\n') + details;
  }
  if (!fullDetails.isEmpty()) box.setDetailedText(fullDetails);
  box.exec();
}

}  // namespace

int MessageLineWidthLimit(const QWidget* parent) {
  const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  const int screenWidth = screen != nullptr ? screen->availableGeometry().width() : 1024;
  // A message box keeps its width below half the screen and 500 px once its text is long; the
  // icon, the margins and the spacing take about 150 px of that.
  return std::max(120, std::min(500, screenWidth / 2) - 150);
}

QString ElidedForMessage(const QString& name, const QWidget* parent) {
  // A message box's label uses the application's font for message boxes.
  const QFontMetrics metrics(QApplication::font("QMessageBox"));
  return metrics.elidedText(name, Qt::ElideMiddle, MessageLineWidthLimit(parent));
}

void ShowExclamation(QWidget* parent, const QString& text, const QString& detail, const QString& details) {
  ShowBox(parent, QMessageBox::Warning, QStringLiteral("ExclamationMessage"), text, detail, details);
}

void ShowConfirmation(QWidget* parent, const QString& text, const QString& details) {
  ShowBox(parent, QMessageBox::NoIcon, QStringLiteral("ConfirmationMessage"), text, QString(), details);
}

bool AskToReplaceFile(QWidget* parent, const QString& path) {
  QMessageBox box(QMessageBox::Question, kProgramTitle,
                  (Tr("同じ名前のファイルがすでにあります。置き換えますか？") + QStringLiteral("\n")) + ElidedForMessage(path, parent),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setObjectName(QStringLiteral("ReplaceQuestion"));
  box.button(QMessageBox::Yes)->setText(Tr("はい"));
  box.button(QMessageBox::No)->setText(Tr("いいえ"));
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  if (ElidedForMessage(path, parent) != path) box.setDetailedText(path);
  return box.exec() == QMessageBox::Yes;
}

void RemoveJapaneseQtTexts() {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return;
  delete application->findChild<QTranslator*>(QStringLiteral("JapaneseQtTexts"));
}

void InstallJapaneseQtTexts() {
  QCoreApplication* application = QCoreApplication::instance();
  const QString name = QStringLiteral("JapaneseQtTexts");
  if (application == nullptr || application->findChild<QTranslator*>(name) != nullptr) return;
  auto* texts = new JapaneseQtTexts;
  texts->setObjectName(name);
  texts->setParent(application);
  QCoreApplication::installTranslator(texts);
}

}  // namespace kestrix
