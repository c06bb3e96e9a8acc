#include "kit/text/NowAndLaterBoardTextView.h"

#include "kit/text/FastTypeTextViewDelegate.h"
#include "kit/text/LongTextDocumentLayout.h"
#include "kit/text/NowAndLaterBoardTextViewDocument.h"
#include "kit/text/SmartTyping.h"
#include "kit/text/SpellingHighlighter.h"
#include "platform/services/UrlOpenerAPI.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace kr {

using board_document::settleDirection;
using board_document::writesRightToLeft;

namespace {

enum class Command {
  none,
  bold,
  italic,
  underline,
  strikeOut,
  plain,
  markAsCompleted,
  nextField,
  previousField
};

Command commandForKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers =
      event.modifiers() &
      (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
  const bool control = modifiers == Qt::ControlModifier;
  const bool controlShift = modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
  switch (event.key()) {
  case Qt::Key_B:
    return control ? Command::bold : Command::none;
  case Qt::Key_I:
    return control ? Command::italic : Command::none;
  case Qt::Key_U:
    return control ? Command::underline : Command::none;
  case Qt::Key_X:
    return controlShift ? Command::strikeOut : Command::none;
  case Qt::Key_Backslash:
    return control ? Command::plain : Command::none;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    return control ? Command::markAsCompleted : Command::none;
  case Qt::Key_J:
    return control ? Command::nextField : controlShift ? Command::previousField : Command::none;
  default:
    return Command::none;
  }
}

} // namespace

NowAndLaterBoardTextView::NowAndLaterBoardTextView(QWidget* parent, Selection selection)
    : QTextEdit(parent) {
  setObjectName(QStringLiteral("NowAndLaterBoardTextView"));
  setAcceptRichText(true);
  setUndoRedoEnabled(true);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // A black caret; the selection in the system blue with white text.
  QPalette colours = palette();
  for (int group = 0; group < QPalette::NColorGroups; ++group) {
    const auto g = static_cast<QPalette::ColorGroup>(group);
    colours.setColor(g, QPalette::Text, Qt::black);
    if (selection == Selection::pads) {
      colours.setColor(g, QPalette::Highlight, QColor(0, 122, 255));
      colours.setColor(g, QPalette::HighlightedText, Qt::white);
    }
  }
  setPalette(colours);
  // Each step is an event of its own: keys and paints go between them.
  encodeSteps_ = new QTimer(this);
  encodeSteps_->setInterval(0);
  connect(encodeSteps_, &QTimer::timeout, this, &NowAndLaterBoardTextView::encodeStep);
  highlighter_ = new SpellingHighlighter(this);
  settleDirection(document(), writesRightToLeft(document()->toRawText()));
  attachDocument(document());
  connect(this, &QTextEdit::currentCharFormatChanged, this,
          &NowAndLaterBoardTextView::updateIndicators);
  connect(this, &QTextEdit::cursorPositionChanged, this,
          &NowAndLaterBoardTextView::updateIndicators);
}

NowAndLaterBoardTextView::~NowAndLaterBoardTextView() {
  // The highlighter lets go of the document while this editor is whole: its
  // last changes to the document must not reach a half-destroyed editor.
  disconnect(document(), nullptr, this, nullptr);
  retireDocument(document());
  highlighter_->letGo();
  delete highlighter_;
}

bool NowAndLaterBoardTextView::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    // The editor's own keys win over the window's shortcuts (the Format
    // menu shows the same keys).
    if (commandForKey(*key) != Command::none || key->matches(QKeySequence::Undo) ||
        key->matches(QKeySequence::Redo) || movesFocusOn(*key)) {
      event->accept();
      return true;
    }
  }
  return QTextEdit::event(event);
}

bool NowAndLaterBoardTextView::movesFocusOn(const QKeyEvent& event) const {
  if (event.key() != Qt::Key_Tab && event.key() != Qt::Key_Backtab)
    return false;
  // Alt and Meta keep their own meaning.
  if (event.modifiers() & (Qt::AltModifier | Qt::MetaModifier))
    return false;
  // Tab and Shift+Tab where they move on, and with Ctrl as well; where Tab is
  // typed into the text, Ctrl+Tab still leaves it for the page's other controls.
  return tabChangesFocus() || (event.modifiers() & Qt::ControlModifier);
}

void NowAndLaterBoardTextView::keyPressEvent(QKeyEvent* event) {
  if (takeTypedAhead(event))
    return;
  applyTypedAhead();
  // An edit by command waits for no sheet still being read: it is counted
  // as not kept.
  if (loading_ && (commandForKey(*event) != Command::none || event->matches(QKeySequence::Undo) ||
                   event->matches(QKeySequence::Redo) || event->matches(QKeySequence::Paste) ||
                   event->matches(QKeySequence::Cut))) {
    ++keysNotKept_;
    event->accept();
    return;
  }
  if (movesFocusOn(*event)) {
    const bool backwards =
        event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    // Past the text editor's own refusal to move on while it takes tabs.
    QWidget::focusNextPrevChild(!backwards);
    event->accept();
    return;
  }
  switch (commandForKey(*event)) {
  case Command::bold:
    toggleBoldAttribute();
    return;
  case Command::italic:
    toggleItalicAttribute();
    return;
  case Command::underline:
    underline();
    return;
  case Command::strikeOut:
    toggleStrikeOutAttribute();
    return;
  case Command::plain:
    if (canMakePlainText())
      makePlainText();
    return;
  case Command::markAsCompleted:
    markAsCompleted();
    return;
  case Command::nextField:
    selectNextField();
    return;
  case Command::previousField:
    selectPreviousField();
    return;
  case Command::none:
    break;
  }
  if (event->matches(QKeySequence::Undo)) {
    undo();
    return;
  }
  if (event->matches(QKeySequence::Redo)) {
    redo();
    return;
  }
  typeKey(event);
}

void NowAndLaterBoardTextView::typeKey(QKeyEvent* event) {
  // An Alt or Super chord is a command, never text; AltGr, which types the
  // keys' third characters, is neither of them.
  if ((event->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) && !event->text().isEmpty()) {
    event->ignore();
    return;
  }
  UserEdit what;
  what.afterReturn = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                     !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
  const QString typed = event->text();
  if (!typed.isEmpty() && typed.at(0).isPrint())
    what.typed = typed;
  what.deleted = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                 event->matches(QKeySequence::Cut);
  runUserEdit([&] { QTextEdit::keyPressEvent(event); }, what);
  // Return belongs to the editor, a locked one too: it never goes on to the
  // page's default button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    event->accept();
}

void NowAndLaterBoardTextView::inputMethodEvent(QInputMethodEvent* event) {
  if (loading_) {
    if (!event->commitString().isEmpty())
      holdCommittedText(event->commitString());
    event->accept();
    return;
  }
  applyTypedAhead();
  UserEdit what;
  what.typed = event->commitString();
  runUserEdit([&] { QTextEdit::inputMethodEvent(event); }, what);
}

void NowAndLaterBoardTextView::mousePressEvent(QMouseEvent* event) {
  applyTypedAhead();
  // Ctrl+click opens a link.
  if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
    const QString href = anchorAt(event->position().toPoint());
    if (!href.isEmpty()) {
      UrlOpenerAPI::shared().open(QUrl(href));
      event->accept();
      return;
    }
  }
  QTextEdit::mousePressEvent(event);
}

void NowAndLaterBoardTextView::mouseMoveEvent(QMouseEvent* event) {
  const bool overLink = (event->modifiers() & Qt::ControlModifier) &&
                        !anchorAt(event->position().toPoint()).isEmpty();
  viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
  QTextEdit::mouseMoveEvent(event);
}

void NowAndLaterBoardTextView::contextMenuEvent(QContextMenuEvent* event) {
  applyTypedAhead();
  QMenu* menu = createStandardContextMenu(event->pos());
  // Undo and Redo of the menu go the editor's own way.
  for (QAction* action : menu->actions()) {
    if (action->objectName() == QLatin1String("edit-undo") ||
        action->objectName() == QLatin1String("edit-redo")) {
      const bool isUndo = action->objectName() == QLatin1String("edit-undo");
      action->disconnect(SIGNAL(triggered()));
      action->disconnect(SIGNAL(triggered(bool)));
      connect(action, &QAction::triggered, this, [this, isUndo] {
        if (isUndo)
          undo();
        else
          redo();
      });
    }
  }
  SmartTyping::addSpellingSuggestions(*this, *menu, cursorForPosition(event->pos()));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void NowAndLaterBoardTextView::scrollContentsBy(int dx, int dy) {
  // The scroll that keeps the text in place is part of this one.
  if (anchoring_)
    return;
  // In a long text the paragraphs coming into view are laid out only now;
  // where they were estimated wrongly above what the user was reading, that
  // text would jump by the error. The view moves with it instead.
  auto* layout = qobject_cast<LongTextDocumentLayout*>(document()->documentLayout());
  if (dy != 0 && layout) {
    QScrollBar* bar = verticalScrollBar();
    const int value = bar->value();
    const int shift =
        qRound(layout->measureScrolledTo(value, value + viewport()->height(), value + dy));
    if (shift != 0) {
      anchoring_ = true;
      bar->setValue(value + shift);
      anchoring_ = false;
      dy -= bar->value() - value;
    }
  }
  QTextEdit::scrollContentsBy(dx, dy);
  highlighter_->checkVisibleSoon();
}

void NowAndLaterBoardTextView::resizeEvent(QResizeEvent* event) {
  QTextEdit::resizeEvent(event);
  highlighter_->checkVisibleSoon();
}

void NowAndLaterBoardTextView::showEvent(QShowEvent* event) {
  QTextEdit::showEvent(event);
  highlighter_->checkVisibleSoon();
}

void NowAndLaterBoardTextView::runUserEdit(const std::function<void()>& edit, UserEdit what) {
  const quint64 before = changes_;
  // Within a batch of keys typed ahead the document tells of its changes
  // only at the batch's end.
  const int length = document()->characterCount();
  const bool selected = textCursor().hasSelection();
  edit();
  const bool changed = changes_ != before || length != document()->characterCount() || selected;
  if (!changed || isReadOnly())
    return;
  if (what.insertedFrom >= 0)
    what.insertedTo = textCursor().position();
  userEdited(what);
}

void NowAndLaterBoardTextView::userEdited(const UserEdit& edit) {
  if (FastTypeTextViewDelegate::applyTypingRules(*this, edit.afterReturn))
    return;
  SmartTyping::Edit smart;
  smart.afterReturn = edit.afterReturn;
  smart.typed = edit.typed;
  smart.insertedFrom = edit.insertedFrom;
  smart.insertedTo = edit.insertedTo;
  smart.deleted = edit.deleted;
  SmartTyping::apply(*this, options_, smart);
}

void NowAndLaterBoardTextView::quietly(const std::function<void()>& change) {
  ++quiet_;
  change();
  --quiet_;
}

void NowAndLaterBoardTextView::undo() {
  // A locked editor keeps its text: Qt's own undo would ignore the lock.
  applyTypedAhead();
  if (!isReadOnly())
    quietly([this] { QTextEdit::undo(); });
}

void NowAndLaterBoardTextView::redo() {
  applyTypedAhead();
  if (!isReadOnly())
    quietly([this] { QTextEdit::redo(); });
}

void NowAndLaterBoardTextView::onContentsChanged() {
  if (mendLayoutFrom_ >= 0)
    mendLayout();
  encodeInStepsWhenDue();
  // Spelling marks and links on screen change only how the text is drawn,
  // not the text: a document as it was read or saved stays unmodified, and
  // there is nothing to save.
  if (!settingText_ && !document()->isModified())
    return;
  documentChanged(settingText_);
}

void NowAndLaterBoardTextView::onContentsChange(int from, int /*removed*/, int added) {
  QTextDocument* text = document();
  if (added > 0 && text->defaultTextOption().textDirection() != Qt::LayoutDirectionAuto) {
    QTextCursor inserted(text);
    inserted.setPosition(std::min(from + added, text->characterCount() - 1));
    inserted.setPosition(std::min(from, inserted.position()), QTextCursor::KeepAnchor);
    if (writesRightToLeft(inserted.selectedText()))
      settleDirection(text, true);
  }
  // The layout hears of the change next: before its last step, it would
  // leave the paragraphs it had not reached without height.
  if (!LongTextDocumentLayout::laidOutToTheEnd(*text))
    mendLayoutFrom_ = mendLayoutFrom_ < 0 ? from : std::min(mendLayoutFrom_, from);
}

void NowAndLaterBoardTextView::mendLayout() {
  QTextDocument* text = document();
  const int from = std::min(std::exchange(mendLayoutFrom_, -1), text->characterCount() - 1);
  QTextBlock block = text->findBlock(from);
  while (block.isValid() && block.layout()->lineCount() > 0)
    block = block.next();
  // Laid out now, the rest of the text in one pass: the caret placed after
  // this edit, and the scroll range, take the text's true height.
  if (block.isValid())
    text->markContentsDirty(block.position(), text->characterCount() - block.position());
}

void NowAndLaterBoardTextView::documentChanged(bool fromOutside) {
  ++changes_;
  if (!fromOutside && quiet_ == 0)
    Q_EMIT editedByUser();
}

} // namespace kr
