#include "user_messages.h"

#include <QMessageBox>

namespace kestrix {

void ShowExclamation(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, kProgramTitle, text, QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("ExclamationMessage"));
  box.exec();
}

void ShowConfirmation(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kProgramTitle, text, QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("ConfirmationMessage"));
  box.exec();
}

}  // namespace kestrix
