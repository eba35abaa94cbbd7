#include "dialog_controls.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>

#include "ui_fonts.h"

namespace kestrix {

QLabel* DialogCaption(const QString& name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(RoundedGothicFont(10.5));
  return label;
}

QPushButton* DialogCommand(const QString& name, const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setFont(text.at(0).unicode() < 128 ? TimesFont(12) : RoundedGothicFont(10.5));
  button->setAutoDefault(true);
  return button;
}

void HideOnEscape(QWidget* dialog) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), dialog);
  escape->setContext(Qt::WindowShortcut);
  QObject::connect(escape, &QShortcut::activated, dialog, &QWidget::hide);
}

}  // namespace kestrix
