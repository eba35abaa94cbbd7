#pragma once
// Helpers shared by the desktop program's suites: a temporary working folder holding the
// delivered attenuation table, a catcher that answers the program's message boxes, and a
// main window set up as after a model choice.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "dialog_wiring.h"
#include "engine_process.h"
#include "main_window.h"
#include "program_state.h"

namespace kestrix::test {

/// A fresh working folder that is the current directory while the object lives.
class WorkingFolder {
 public:
  explicit WorkingFolder(bool withTable = true) : previous_(QDir::currentPath()) {
    QDir::setCurrent(folder_.path());
    if (withTable) {
      QFile::copy(QStringLiteral(KESTRIX_DELIVERED_DATA "/MUs_202202.data"), folder_.filePath("MUs_202202.data"));
    }
  }
  ~WorkingFolder() { QDir::setCurrent(previous_); }
  QString Path(const QString& name) const { return folder_.filePath(name); }
  bool Exists(const QString& name) const { return QFile::exists(folder_.filePath(name)); }
  QByteArray Read(const QString& name) const {
    QFile file(folder_.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

 private:
  QString previous_;
  QTemporaryDir folder_;
};

/// Presses OK on every message box that opens while the object lives, and keeps what it said;
/// a question is answered with `answer`, by default its default button.
class MessageBoxCatcher {
 public:
  explicit MessageBoxCatcher(QMessageBox::StandardButton answer = QMessageBox::NoButton) {
    QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) return;
      texts.append(box->text());
      titles.append(box->windowTitle());
      icons.append(box->icon());
      buttonCounts.append(box->buttons().size());
      details.append(box->detailedText());
      widths.append(box->frameGeometry().width());
      buttonTexts.clear();
      for (QAbstractButton* button : box->buttons()) buttonTexts.append(button->text());
      defaultButtonTexts.append(box->defaultButton() != nullptr ? box->defaultButton()->text() : QString());
      if (box->button(QMessageBox::Ok) != nullptr) {
        box->button(QMessageBox::Ok)->click();
      } else if (answer != QMessageBox::NoButton) {
        box->button(answer)->click();
      } else {
        box->defaultButton()->click();
      }
    });
    timer_.start(5);
  }
  QStringList texts;
  QStringList titles;
  QList<QMessageBox::Icon> icons;
  QList<qsizetype> buttonCounts;
  QStringList details;  // the detailed text behind the details button
  QList<int> widths;    // the box's width with its frame [px]
  QStringList buttonTexts;  // the buttons of the last box
  QStringList defaultButtonTexts;  // the default button of each box, empty for none

 private:
  QTimer timer_;
};

/// A shown main window with its dialogs, after a choice of Tucker's model, on the table of
/// the working folder.
struct TuckerMainWindow {
  TuckerMainWindow() {
    state.calculation.LoadAttenuationTable();
    AttachFilterAndExportDialogs(window);
    window.InitialiseForModel(SpectrumModel::Tucker);
    window.show();
  }
  ProgramState state;
  EngineProcess engine{EngineProcess::ProgramBesideApplication()};
  MainWindow window{state, engine};
};

template <typename T>
T* Child(QWidget& window, const char* name) {
  T* child = window.findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) qFatal("no control %s", name);
  return child;
}

}  // namespace kestrix::test
