#include "kit/ObjectiveTextView.h"

#include "kit/TextIndicatorsView.h"
#include "platform/RichTextDocument.h"
#include "platform/RtfdPackage.h"

#include <QKeyEvent>
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

void ObjectiveTextView::keyPressEvent(QKeyEvent* event) {
  QTextEdit::keyPressEvent(event);
  // Return belongs to the editor, a locked one too: it never goes on to the
  // page's default button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    event->accept();
}

void ObjectiveTextView::documentChanged() {
  cacheValid_ = false;
  if (!settingData_)
    Q_EMIT dataChanged();
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
  if (textIndicatorsView_)
    textIndicatorsView_->showFormat(currentCharFormat());
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
  QTextCharFormat modifier;
  modifier.setFontWeight(QFont::Normal);
  modifier.setFontItalic(false);
  modifier.setFontUnderline(false);
  modifier.setFontStrikeOut(false);
  mergeFormat(modifier);
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
  mergeFormat(modifier);
}

} // namespace kr
