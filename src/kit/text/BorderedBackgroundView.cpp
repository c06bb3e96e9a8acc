#include "kit/text/BorderedBackgroundView.h"

#include "kit/KVOResponder.h"
#include "kit/text/PadTextSettings.h"
#include "platform/FatalError.h"
#include "platform/QnLog.h"
#include "platform/settings/UserDefaults.h"

#include <QPainter>

namespace kr {

BorderedBackgroundView::BorderedBackgroundView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
}

BorderedBackgroundView::~BorderedBackgroundView() = default;

BorderedBackgroundView* BorderedBackgroundView::createForColorKey(const QString& key,
                                                                  QWidget* parent) {
  BorderedBackgroundView* view = nullptr;
  if (key == QLatin1String("nowPadBackgroundColor"))
    view = new NowPadBackgroundView(parent);
  else if (key == QLatin1String("laterPadBackgroundColor"))
    view = new LaterPadBackgroundView(parent);
  else if (key == QLatin1String("scratchPadBackgroundColor"))
    view = new ScratchPadBackgroundView(parent);
  else if (key == QLatin1String("objectiveBackgroundColor"))
    view = new BorderedBackgroundView(parent);
  KR_ASSERT(view != nullptr, QStringLiteral("no background view shows the colour key %1").arg(key));
  view->awakeFromNib();
  return view;
}

QString BorderedBackgroundView::colorKey() const {
  return QStringLiteral("objectiveBackgroundColor");
}

void BorderedBackgroundView::setBackgroundColor(std::optional<QColor> color) {
  backgroundColor_ = std::move(color);
  update();
}

void BorderedBackgroundView::awakeFromNib() {
  observation_ = std::make_unique<KVOResponder>(
      colorKey(), &UserDefaults::standard(), [this](UserDefaults* object, const QString& keyPath) {
        observeValueForKeyPath(object, keyPath);
      });
  readColor();
}

void BorderedBackgroundView::readColor() {
  // A stored value that is no colour reads as the registered colour.
  setBackgroundColor(PadTextSettings::padColor(UserDefaults::standard(), colorKey()));
}

void BorderedBackgroundView::observeValueForKeyPath(UserDefaults* object, const QString& keyPath) {
  const QString change = QStringLiteral("{ kind = 1; new = \"%1\"; }")
                             .arg(UserDefaults::toString(object->object(keyPath)));
  qn_log(QStringLiteral("BorderBackgroundView observeValueForKeyPath: %1 ofObject: <%2: %3> "
                        "change: %4")
             .arg(keyPath, QString::fromLatin1(object->metaObject()->className()),
                  QStringLiteral("0x%1").arg(quintptr(object), 0, 16), change));
  readColor();
}

void BorderedBackgroundView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect bounds = rect();
  if (backgroundColor_)
    painter.fillRect(bounds, *backgroundColor_);
  // A one-point frame just inside the bounds.
  const int w = bounds.width(), h = bounds.height();
  painter.fillRect(QRect(0, 0, w, 1), Qt::black);
  painter.fillRect(QRect(0, h - 1, w, 1), Qt::black);
  painter.fillRect(QRect(0, 0, 1, h), Qt::black);
  painter.fillRect(QRect(w - 1, 0, 1, h), Qt::black);
}

QString NowPadBackgroundView::colorKey() const { return QStringLiteral("nowPadBackgroundColor"); }

QString LaterPadBackgroundView::colorKey() const {
  return QStringLiteral("laterPadBackgroundColor");
}

QString ScratchPadBackgroundView::colorKey() const {
  return QStringLiteral("scratchPadBackgroundColor");
}

} // namespace kr
