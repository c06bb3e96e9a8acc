#include "window/QuickDurationChangingViewController.h"

#include "art/KorvaneStyleKit.h"
#include "kit/IntegerTextField.h"
#include "kit/skins/KorvaneControlSkin.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

#include <algorithm>

namespace kr {

namespace {
constexpr int kMinimumMinutes = 2;
constexpr int kMaximumMinutes = 60;
} // namespace

QuickDurationChangingViewController::QuickDurationChangingViewController()
    : QFrame(nullptr, Qt::Popup) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setAutoFillBackground(true);
  // A window of its own: it takes the pages' colours as the main window does.
  QPalette palette = KorvaneControlSkin::shared()->pagePalette;
  palette.setColor(QPalette::Window, KorvaneStyleKit::n2());
  setPalette(palette);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("New Duration:"), this));
  durationDigitsField_ =
      IntegerTextField::integerTextField(kMinimumMinutes, kMinimumMinutes, kMaximumMinutes);
  durationDigitsField_->setParent(this);
  durationDigitsField_->setFixedWidth(40);
  layout->addWidget(durationDigitsField_);
  layout->addWidget(new QLabel(QStringLiteral("Minutes"), this));
}

QuickDurationChangingViewController::~QuickDurationChangingViewController() = default;

void QuickDurationChangingViewController::runModal(QWidget* slider, int initialValue,
                                                   std::function<void(int)> setterFunction) {
  durationDigitsField_->returnKeyActionFunction = [this, setter = std::move(setterFunction)] {
    // Text typed past the bounds never reaches the owner as it stands.
    if (setter)
      setter(std::clamp(durationDigitsField_->intValue(), kMinimumMinutes, kMaximumMinutes));
    close();
  };
  durationDigitsField_->setIntValue(initialValue);
  adjustSize();
  if (slider)
    move(slider->mapToGlobal(QPoint(0, slider->height())));
  show();
  durationDigitsField_->setFocus();
  durationDigitsField_->selectAll();
}

void QuickDurationChangingViewController::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QFrame::keyPressEvent(event);
}

} // namespace kr
