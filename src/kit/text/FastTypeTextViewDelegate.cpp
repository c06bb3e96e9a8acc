#include "kit/text/FastTypeTextViewDelegate.h"

#include "kit/text/NowAndLaterBoardTextView.h"
#include "kit/text/PadSheetWriter.h"
#include "kit/text/TextReplacement.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "platform/QnLog.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/services/AlertPresenterAPI.h"

#include <QRegularExpression>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>

namespace kr {

namespace {

// The list markers the rules write: what is typed, the first item's marker.
struct ListKind {
  const char16_t* typed;
  const char16_t* firstMarker;
};
const ListKind kLists[] = {{u"* ", u"\u2022"}, {u"1. ", u"(1)"}, {u"+ ", u"\u27a4"}};

// Replaces [from, to) by `text` in the typed text's format as one undo step
// and leaves the caret `caretBack` characters before the end of `text`.
void replaceTyped(QTextEdit& view, int from, int to, const QString& text, int caretBack = 0) {
  QTextCursor edit = replaceAsOneStep(view.document(), from, to, text);
  edit.setPosition(edit.position() - caretBack);
  view.setTextCursor(edit);
}

int firstLetter(const QString& text, int from, int to) {
  for (int i = from; i < to; ++i) {
    if (text.at(i).isLetter())
      return i;
  }
  return -1;
}

// Strikes out [from, to) as one undo step together with `extra`, which runs
// inside the same step.
template <typename Extra> void strikeOut(QTextEdit& view, int from, int to, Extra extra) {
  QTextCursor edit(view.document());
  edit.beginEditBlock();
  edit.setPosition(from);
  edit.setPosition(to, QTextCursor::KeepAnchor);
  QTextCharFormat struck;
  struck.setFontStrikeOut(true);
  edit.mergeCharFormat(struck);
  extra(edit);
  edit.endEditBlock();
}

bool continueList(QTextEdit& view, const QTextCursor& caret) {
  const QTextBlock block = caret.block();
  const QTextBlock item = block.previous();
  if (!item.isValid() || caret.position() != block.position() || !block.text().isEmpty())
    return false;
  static const QRegularExpression kItem(
      QStringLiteral("^\\t(\u2022|\u27a4|\\((\\d{1,6})\\))\\t(.*)$"));
  const QRegularExpressionMatch match = kItem.match(item.text());
  if (!match.hasMatch())
    return false;
  if (match.capturedLength(3) == 0) {
    // Return on an empty item ends the list: the marker and the new line go.
    replaceTyped(view, item.position(), caret.position(), QString());
    return true;
  }
  QString marker = match.captured(1);
  if (match.capturedLength(2) > 0)
    marker = QStringLiteral("(%1)").arg(match.captured(2).toLongLong() + 1);
  replaceTyped(view, caret.position(), caret.position(), u'\t' + marker + u'\t');
  return true;
}

} // namespace

void FastTypeTextViewDelegate::keepUnbroken(QTextCursor& line) {
  QTextBlockFormat format = line.blockFormat();
  format.setNonBreakableLines(true);
  line.setBlockFormat(format);
}

void FastTypeTextViewDelegate::keepSeparatorsUnbroken(QTextDocument* document) {
  const QString separator = separatorLine().chopped(1);
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    if (block.length() != separator.size() + 1 || block.blockFormat().nonBreakableLines() ||
        block.text() != separator)
      continue;
    QTextCursor line(block);
    keepUnbroken(line);
  }
}

const QString& FastTypeTextViewDelegate::separatorLine() {
  static const QString line = QString(32, QChar(0x2500)) + u'\n';
  return line;
}

bool FastTypeTextViewDelegate::applyTypingRules(QTextEdit& view, bool afterReturn) {
  const QTextCursor caret = view.textCursor();
  if (caret.hasSelection() || view.isReadOnly())
    return false;
  if (afterReturn)
    return continueList(view, caret);
  const QTextBlock block = caret.block();
  const int position = caret.position();
  const int inBlock = position - block.position();
  const QString paragraph = block.text();
  const QString before = paragraph.left(inBlock);
  const QString dashes = QStringLiteral("--");

  // "--" at the start of a line: a separator line.
  if (before == dashes) {
    replaceTyped(view, position - 2, position, separatorLine());
    // The separator's paragraph never wraps, in the same undo step.
    QTextCursor line(view.document());
    line.setPosition(position - 2);
    line.joinPreviousEditBlock();
    keepUnbroken(line);
    line.endEditBlock();
    return true;
  }
  const QString done = QStringLiteral("done'");
  if (before.endsWith(done)) {
    replaceTyped(view, position - done.size(), position, QString(QChar(kCheckMark)));
    return true;
  }
  // A line ending in "--": struck out from its first letter (or, with no
  // letter, from the end of the line before); the dashes go. Only a "--"
  // that ends the line at the caret counts.
  if (before.endsWith(dashes) && inBlock == paragraph.size()) {
    const int markerInBlock = inBlock - 2;
    const QTextCharFormat typed = caret.charFormat();
    const int letter = firstLetter(paragraph, 0, markerInBlock);
    const int start = letter >= 0 ? block.position() + letter : std::max(0, block.position() - 1);
    strikeOut(view, start, position - 2, [&](QTextCursor& edit) {
      edit.setPosition(position - 2);
      edit.setPosition(position, QTextCursor::KeepAnchor);
      edit.removeSelectedText();
    });
    QTextCursor after(view.document());
    after.setPosition(position - 2);
    view.setTextCursor(after);
    // What is typed next is not struck out: it takes the dashes' format.
    view.setCurrentCharFormat(typed);
    return true;
  }
  for (const ListKind& list : kLists) {
    if (before == QString::fromUtf16(list.typed)) {
      // The item's own newline follows it; typing goes on before it.
      replaceTyped(view, block.position(), position,
                   u'\t' + QString::fromUtf16(list.firstMarker) + QStringLiteral("\t\n"), 1);
      return true;
    }
  }
  return false;
}

void FastTypeTextViewDelegate::strikeOutAndContinue(QTextEdit& view) {
  if (view.isReadOnly())
    return;
  const QTextBlock block = view.textCursor().block();
  const QString paragraph = block.text();
  const int letter = firstLetter(paragraph, 0, int(paragraph.size()));
  const int start = block.position() + std::max(0, letter);
  const int end = block.position() + int(paragraph.size());
  if (end > start)
    strikeOut(view, start, end, [](QTextCursor&) {});
  QTextCursor caret = view.textCursor();
  caret.clearSelection();
  caret.setPosition(end);
  caret.movePosition(QTextCursor::NextBlock);
  caret.movePosition(QTextCursor::EndOfBlock);
  view.setTextCursor(caret);
}

FastTypeTextViewDelegate::FastTypeTextViewDelegate(NowAndLaterBoardTextView* textView)
    : textView_(textView) {
  connect(textView, &NowAndLaterBoardTextView::editedByUser, this, [this] {
    if (textView_ && !textView_->isReadOnly())
      triggerDelayedWrite();
  });
  connect(textView, &NowAndLaterBoardTextView::encodedInSteps, this, [this] {
    if (!saveAfterSteps_)
      return;
    saveAfterSteps_ = false;
    if (hasUnsavedChanges())
      saveInBackground();
  });
}

FastTypeTextViewDelegate::~FastTypeTextViewDelegate() {
  if (timer_)
    timer_->stop();
}

bool FastTypeTextViewDelegate::isWritePending() const {
  return (timer_ && timer_->isValid()) || saveAfterSteps_;
}

bool FastTypeTextViewDelegate::hasUnsavedChanges() const {
  if (!textView_)
    return false;
  if (textView_->document()->isModified() || textView_->hasTypedAhead() || !failure_.isEmpty())
    return true;
  const BackingStoreDescriptor* store = textView_->backingStoreDescriptor();
  return store && PadSheetWriter::shared().hasFailures(store->folderPath());
}

void FastTypeTextViewDelegate::triggerDelayedWrite() {
  // An autosave waiting for the encoding in steps takes this edit too.
  if (saveAfterSteps_)
    return;
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
  saveInBackground();
  if (timer_)
    timer_->stop();
  timer_.reset();
}

bool FastTypeTextViewDelegate::save(Report report) {
  if (!textView_ || !textView_->backingStoreDescriptor())
    return true;
  BackingStoreDescriptor& store = *textView_->backingStoreDescriptor();
  PadSheetWriter& writer = PadSheetWriter::shared();
  const QString current = store.getPathToSelectedFile();
  // Sheets left earlier whose writes failed go first; the sheet shown holds
  // the newest text of its own.
  std::vector<std::pair<QString, QString>> failures =
      writer.retryFailed(store.folderPath(), current);
  if (textView_->isSheetWritable()) {
    qn_log(QStringLiteral("saving backing store descriptor: %1 in %2")
               .arg(store.root(), store.folderPath()));
    // Whatever a background save still writes is overtaken by this one.
    ++saveTicket_;
    // The shown text is still in the editor: a failure stays with this pad,
    // not in the writer's list of sheets left unwritten.
    QString error;
    if (textView_->writeTextAndWait(current, store.folderPath(), &error)) {
      textView_->document()->setModified(false);
      if (timer_)
        timer_->stop();
      timer_.reset();
      saveAfterSteps_ = false;
    } else {
      failures.insert(failures.begin(), {current, error});
    }
  }
  return settle(std::move(failures), report);
}

bool FastTypeTextViewDelegate::settle(std::vector<std::pair<QString, QString>> failures,
                                      Report report) {
  if (failures.empty()) {
    failure_.clear();
    failureReported_ = false;
    return true;
  }
  QStringList lines;
  for (const auto& [path, error] : failures)
    lines.append(QStringLiteral("%1: %2").arg(path, error));
  failure_ = lines.join(u'\n');
  reportFailure(failures.front().first, failures.front().second, report);
  return false;
}

void FastTypeTextViewDelegate::saveInBackground() {
  if (!textView_ || !textView_->backingStoreDescriptor())
    return;
  BackingStoreDescriptor& store = *textView_->backingStoreDescriptor();
  const QString current = store.getPathToSelectedFile();
  // Encoded in steps between the window's events, the text is saved once
  // they are over: at once, the rest would be encoded here while the window
  // waits. Edits meanwhile go into that save.
  if (textView_->isEncodingInSteps() && textView_->isSheetWritable()) {
    saveAfterSteps_ = true;
    return;
  }
  saveAfterSteps_ = false;
  // Sheets left earlier whose writes failed are retried with this one, here.
  if (!textView_->isSheetWritable() ||
      PadSheetWriter::shared().hasFailures(store.folderPath(), current)) {
    save();
    return;
  }
  qn_log(QStringLiteral("saving backing store descriptor in the background: %1 in %2")
             .arg(store.root(), store.folderPath()));
  // Edits from here on make the text modified again, to be saved after this.
  textView_->document()->setModified(false);
  const quint64 ticket = ++saveTicket_;
  PadSheetWriter::shared().write(
      current, store.folderPath(), textView_->encodedText(), this,
      [this, ticket, current](bool written, const QString& error) {
        // A later save tells how the text stands.
        if (ticket != saveTicket_)
          return;
        settle(written ? std::vector<std::pair<QString, QString>>{}
                       : std::vector<std::pair<QString, QString>>{{current, error}},
               Report::alert);
      });
}

bool FastTypeTextViewDelegate::writeBeforeLeaving(Report report) {
  if (!textView_ || !textView_->backingStoreDescriptor())
    return true;
  if (!failure_.isEmpty())
    return save(report);
  textView_->applyTypedAhead();
  if (!textView_->isSheetWritable() || !textView_->document()->isModified())
    return true;
  BackingStoreDescriptor& store = *textView_->backingStoreDescriptor();
  const QString path = store.getPathToSelectedFile();
  if (timer_)
    timer_->stop();
  timer_.reset();
  saveAfterSteps_ = false;
  textView_->document()->setModified(false);
  PadSheetWriter::shared().write(
      path, store.folderPath(), textView_->takeTextForPageTurn(), this,
      [this, path](bool written, const QString& error) { leftSheetWritten(path, written, error); });
  return true;
}

void FastTypeTextViewDelegate::saveWhenFinishing() {
  BackingStoreDescriptor* store = textView_ ? textView_->backingStoreDescriptor() : nullptr;
  // An autosave still being written may yet fail: then the text is saved again.
  if (!hasUnsavedChanges() &&
      !(store && PadSheetWriter::shared().isInFlight(store->getPathToSelectedFile())))
    return;
  QPointer<FastTypeTextViewDelegate> self(this);
  PadSheetWriter::shared().deferUntilFinish([self] {
    PadSheetWriter::shared().drain();
    if (self && self->hasUnsavedChanges() && !self->save(Report::consoleOnly))
      platformLog(
          QStringLiteral("A pad could not be saved before quitting: %1").arg(self->failure()));
  });
}

void FastTypeTextViewDelegate::leftSheetWritten(const QString& path, bool written,
                                                const QString& error) {
  if (written)
    return;
  failure_ = QStringLiteral("%1: %2").arg(path, error);
  reportFailure(path, error, Report::alert);
  Q_EMIT leftSheetNotWritten(path);
}

void FastTypeTextViewDelegate::reportFailure(const QString& path, const QString& error,
                                             Report report) {
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
}

} // namespace kr
