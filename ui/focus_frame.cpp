#include "focus_frame.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>

namespace kestrix {
namespace {

class FocusFramePainter : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    auto* button = static_cast<QAbstractButton*>(watched);
    static_cast<QObject*>(button)->event(event);  // the button paints itself first
    if (button->hasFocus()) {
      QPainter painter(button);
      painter.setPen(QPen(button->palette().color(QPalette::Highlight), 1, Qt::DotLine));
      painter.drawRect(button->rect().adjusted(2, 2, -3, -3));
    }
    return true;
  }
};

}  // namespace

void ShowFocusFrame(QAbstractButton* button) {
  button->setFocusPolicy(Qt::StrongFocus);
  button->installEventFilter(new FocusFramePainter(button));
}

}  // namespace kestrix
