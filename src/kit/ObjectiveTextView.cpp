#include "kit/ObjectiveTextView.h"

#include "kit/FastTypeTextViewDelegate.h"
#include "kit/NowAndLaterBoardTextView.h"
#include "kit/PadTextSettings.h"
#include "kit/TextIndicatorsView.h"
#include "platform/RichTextDocument.h"
#include "platform/RtfdPackage.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace kr {

ObjectiveTextView::ObjectiveTextView(QWidget* parent) : QTextEdit(parent) {
  setObjectName(QStringLiteral("ObjectiveTextView"));
  setAcceptRichText(true);
  setUndoRedoEnabled(true);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The objective is one sentence: Tab walks the page's controls (a tab
  // that arrives by paste stays). The pads keep Tab for their text.
  setTabChangesFocus(true);
  connect(document(), &QTextDocument::contentsChanged, this, &ObjectiveTextView::documentChanged);
  connect(this, &QTextEdit::currentCharFormatChanged, this, &ObjectiveTextView::updateIndicators);
  connect(this, &QTextEdit::cursorPositionChanged, this, &ObjectiveTextView::updateIndicators);
}

QByteArray ObjectiveTextView::data() const {
  if (!cacheValid_) {
    cachedData_ = RtfdPackage::toData(RichTextDocument::fromDocument(*document()));
    cacheValid_ = true;
  }
  return cachedData_;
}

void ObjectiveTextView::setData(const QByteArray& data) {
  if (cacheValid_ && data == cachedData_)
    return;
  const RichText text = RtfdPackage::fromData(data).value_or(RichText());
  if (text == RichTextDocument::fromDocument(*document())) {
    // The same text in other bytes: keep the document, and the caret, as they are.
    cachedData_ = data;
    cacheValid_ = true;
    return;
  }
  const QTextCursor old = textCursor();
  const int anchor = old.anchor();
  const int position = old.position();
  settingData_ = true;
  // A text set from outside is not an edit of this editor: Undo must not take
  // the objective back to what it was before (or to nothing), and the earlier
  // edits belong to a text that is gone.
  document()->setUndoRedoEnabled(false);
  RichTextDocument::fill(document(), text);
  document()->setUndoRedoEnabled(true);
  settingData_ = false;
  cachedData_ = data;
  cacheValid_ = true;
  QTextCursor cursor(document());
  const int end = std::max(0, document()->characterCount() - 1);
  cursor.setPosition(std::clamp(anchor, 0, end));
  cursor.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  updateIndicators();
}

void ObjectiveTextView::selectWholeTextEverywhere() {
  for (QWidget* widget : QApplication::allWidgets()) {
    if (auto* editor = qobject_cast<ObjectiveTextView*>(widget))
      editor->selectAll();
  }
}

void ObjectiveTextView::replaceWholeText(const RichText& text) {
  // A long text is built in a document of its own and then swapped in: filled
  // in place, every piece inserted would be laid out again.
  // The editor deletes a document it made itself; one made here is not
  // its child and goes here.
  QPointer<QTextDocument> old = document();
  auto* fresh = new QTextDocument(this);
  fresh->setDefaultFont(old->defaultFont());
  fresh->setDefaultTextOption(old->defaultTextOption());
  fresh->setDocumentMargin(old->documentMargin());
  fresh->setUndoRedoEnabled(false);
  RichTextDocument::fill(fresh, text);
  fresh->setUndoRedoEnabled(true);
  settingData_ = true;
  setDocument(fresh);
  settingData_ = false;
  if (old && old->parent() == this)
    old->deleteLater();
  connect(fresh, &QTextDocument::contentsChanged, this, &ObjectiveTextView::documentChanged);
  cacheValid_ = false;
  setTextCursor(QTextCursor(fresh));
  updateIndicators();
}

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

bool ObjectiveTextView::event(QEvent* event) {
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

bool ObjectiveTextView::movesFocusOn(const QKeyEvent& event) const {
  if (!tabChangesFocus() || (event.key() != Qt::Key_Tab && event.key() != Qt::Key_Backtab))
    return false;
  // Tab, Shift+Tab, and with Ctrl as well; Alt and Meta keep their own meaning.
  return !(event.modifiers() & (Qt::AltModifier | Qt::MetaModifier));
}

void ObjectiveTextView::keyPressEvent(QKeyEvent* event) {
  if (movesFocusOn(*event)) {
    const bool backwards =
        event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    focusNextPrevChild(!backwards);
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
  const bool isReturn = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
  runUserEdit([&] { QTextEdit::keyPressEvent(event); }, isReturn);
  // Return belongs to the editor, a locked one too: it never goes on to the
  // page's default button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    event->accept();
}

void ObjectiveTextView::inputMethodEvent(QInputMethodEvent* event) {
  runUserEdit([&] { QTextEdit::inputMethodEvent(event); }, false);
}

void ObjectiveTextView::insertFromMimeData(const QMimeData* source) {
  runUserEdit([&] { QTextEdit::insertFromMimeData(source); }, false);
}

void ObjectiveTextView::contextMenuEvent(QContextMenuEvent* event) {
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
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void ObjectiveTextView::runUserEdit(const std::function<void()>& edit, bool afterReturn) {
  const quint64 before = changes_;
  edit();
  if (changes_ != before && !isReadOnly())
    userEdited(afterReturn);
}

void ObjectiveTextView::userEdited(bool afterReturn) {
  FastTypeTextViewDelegate::applyTypingRules(*this, afterReturn);
}

template <typename Change> void ObjectiveTextView::quietly(Change change) {
  ++quiet_;
  change();
  --quiet_;
}

void ObjectiveTextView::undo() {
  // A locked editor keeps its text: Qt's own undo would ignore the lock.
  if (!isReadOnly())
    quietly([this] { QTextEdit::undo(); });
}

void ObjectiveTextView::redo() {
  if (!isReadOnly())
    quietly([this] { QTextEdit::redo(); });
}

void ObjectiveTextView::documentChanged() {
  cacheValid_ = false;
  ++changes_;
  if (settingData_)
    return;
  Q_EMIT dataChanged();
  if (quiet_ == 0)
    Q_EMIT editedByUser();
}

void ObjectiveTextView::setTextIndicatorsView(TextIndicatorsView* view) {
  if (textIndicatorsView_)
    textIndicatorsView_->disconnect(this);
  textIndicatorsView_ = view;
  if (!view)
    return;
  using I = TextIndicatorsView;
  const std::pair<I::Indicator, void (ObjectiveTextView::*)()> actions[] = {
      {I::Plain, &ObjectiveTextView::makePlainText},
      {I::Bold, &ObjectiveTextView::toggleBoldAttribute},
      {I::Italics, &ObjectiveTextView::toggleItalicAttribute},
      {I::Underline, &ObjectiveTextView::underline},
      {I::StrikeThrough, &ObjectiveTextView::toggleStrikeOutAttribute}};
  for (const auto& [indicator, action] : actions) {
    connect(view->indicator(indicator), &QPushButton::clicked, this, [this, action = action] {
      (this->*action)();
      // The button toggled itself; the format decides what it shows.
      updateIndicators();
    });
  }
  updateIndicators();
}

void ObjectiveTextView::updateIndicators() {
  if (textIndicatorsView_) {
    // A format without a font of its own shows in the text's default font.
    QTextCharFormat format = currentCharFormat();
    format.setFont(format.font().resolve(document()->defaultFont()));
    textIndicatorsView_->showFormat(format, PadTextSettings::defaultFont(),
                                    PadTextSettings::textColor());
  }
}

QTextCharFormat ObjectiveTextView::referenceFormat() const {
  const QTextCursor selection = textCursor();
  if (!selection.hasSelection())
    return currentCharFormat();
  QTextCursor first(document());
  first.setPosition(selection.selectionStart() + 1);
  return first.charFormat();
}

void ObjectiveTextView::mergeFormat(const QTextCharFormat& modifier) {
  // A locked editor takes no format change either.
  if (isReadOnly())
    return;
  mergeCurrentCharFormat(modifier);
  updateIndicators();
}

void ObjectiveTextView::makePlainText() {
  if (isReadOnly())
    return;
  QTextCharFormat plain;
  plain.setFont(PadTextSettings::defaultFont());
  plain.setForeground(PadTextSettings::textColor());
  QTextCursor selection = textCursor();
  if (!selection.hasSelection()) {
    setCurrentCharFormat(plain);
    updateIndicators();
    return;
  }
  quietly([&] {
    selection.beginEditBlock();
    selection.setCharFormat(plain);
    selection.setBlockFormat(QTextBlockFormat());
    selection.endEditBlock();
  });
  updateIndicators();
}

void ObjectiveTextView::toggleBoldAttribute() {
  QTextCharFormat modifier;
  modifier.setFontWeight(referenceFormat().fontWeight() >= QFont::Bold ? QFont::Normal
                                                                       : QFont::Bold);
  mergeFormat(modifier);
}

void ObjectiveTextView::toggleItalicAttribute() {
  QTextCharFormat modifier;
  modifier.setFontItalic(!referenceFormat().fontItalic());
  mergeFormat(modifier);
}

void ObjectiveTextView::underline() {
  QTextCharFormat modifier;
  modifier.setFontUnderline(!referenceFormat().fontUnderline());
  mergeFormat(modifier);
}

void ObjectiveTextView::toggleStrikeOutAttribute() {
  QTextCharFormat modifier;
  modifier.setFontStrikeOut(!referenceFormat().fontStrikeOut());
  quietly([&] { mergeFormat(modifier); });
}

void ObjectiveTextView::markAsCompleted() {
  quietly([this] { FastTypeTextViewDelegate::strikeOutAndContinue(*this); });
  updateIndicators();
}

void ObjectiveTextView::selectNextField() {
  PadTextSettings::selectMarkedText(this, textCursor().selectionEnd(), true);
}

void ObjectiveTextView::selectPreviousField() {
  PadTextSettings::selectMarkedText(this, textCursor().selectionStart(), false);
}

void ObjectiveTextView::next() { moveCursor(QTextCursor::EndOfLine); }

void ObjectiveTextView::previous() { moveCursor(QTextCursor::StartOfLine); }

} // namespace kr
