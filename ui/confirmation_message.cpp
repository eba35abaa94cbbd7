#include "confirmation_message.h"

#include <QMessageBox>

#include "user_messages.h"

namespace kestrix {

void ShowConfirmation(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kProgramTitle, text, QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("ConfirmationMessage"));
  box.exec();
}

}  // namespace kestrix
