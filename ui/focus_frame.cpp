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
      // a frame that stands out on any panel colour: two pixels of the highlight colour
      painter.setPen(QPen(button->palette().color(QPalette::Highlight), 2, Qt::SolidLine));
      painter.drawRect(button->rect().adjusted(1, 1, -2, -2));
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
