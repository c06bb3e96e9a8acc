#include "kit/FastTypeTextViewDelegate.h"

#include "kit/NowAndLaterBoardTextView.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "platform/AlertPresenterAPI.h"
#include "platform/QnLog.h"
#include "platform/SmartTimerWrapper.h"

namespace kr {

FastTypeTextViewDelegate::FastTypeTextViewDelegate(NowAndLaterBoardTextView* textView)
    : textView_(textView) {
  connect(textView, &ObjectiveTextView::dataChanged, this, [this] {
    if (textView_ && !textView_->isReadOnly())
      triggerDelayedWrite();
  });
}

FastTypeTextViewDelegate::~FastTypeTextViewDelegate() {
  if (timer_)
    timer_->stop();
}

bool FastTypeTextViewDelegate::isWritePending() const { return timer_ && timer_->isValid(); }

void FastTypeTextViewDelegate::triggerDelayedWrite() {
  if (!isWritePending()) {
    QPointer<FastTypeTextViewDelegate> self(this);
    timer_ = SmartTimerWrapper::wrapTimer(kAutosaveDelay, false, [self](SmartTimerWrapper&) {
      if (self)
        self->timerFireMethod();
    });
  }
  timer_->setTolerance(kAutosaveTolerance);
}

void FastTypeTextViewDelegate::timerFireMethod() {
  qn_log(QStringLiteral("FastTypeDelegate: saving my text view on timer"));
  save();
  if (timer_)
    timer_->stop();
  timer_.reset();
}

bool FastTypeTextViewDelegate::save(Report report) {
  if (!textView_ || !textView_->backingStoreDescriptor() || !textView_->isSheetWritable())
    return true;
  BackingStoreDescriptor& store = *textView_->backingStoreDescriptor();
  qn_log(QStringLiteral("saving backing store descriptor: %1 in %2")
             .arg(store.root(), store.folderPath()));
  QString error;
  if (BackingStoreManager::sharedManager().write(textView_->richText(), store, &error)) {
    failure_.clear();
    failureReported_ = false;
    if (timer_)
      timer_->stop();
    timer_.reset();
    return true;
  }
  const QString path = store.index().selectedID().value_or(store.folderPath());
  failure_ = QStringLiteral("%1: %2").arg(path, error);
  platformLog(QStringLiteral("The sheet %1 could not be saved (%2); its text stays in the pad "
                             "and is saved again with the next change")
                  .arg(path, error));
  if (report == Report::alert && !failureReported_) {
    failureReported_ = true;
    AlertPresenterAPI::shared().runModal(
        {QStringLiteral("The sheet could not be saved"),
         QStringLiteral("\"%1\" could not be written: %2.\n\nIts text stays in the pad; it is "
                        "saved again with your next change, when you turn the page and when you "
                        "quit.")
             .arg(path, error),
         {QStringLiteral("OK")}});
  }
  return false;
}

} // namespace kr
