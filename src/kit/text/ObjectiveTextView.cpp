#include "kit/text/ObjectiveTextView.h"

#include "engine/DataModel.h"
#include "kit/text/FastTypeTextViewDelegate.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfdPackage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace kr {

ObjectiveTextView::ObjectiveTextView(QWidget* parent)
    : NowAndLaterBoardTextView(parent, Selection::desktop) {
  setObjectName(QStringLiteral("ObjectiveTextView"));
  // The objective is one sentence: Tab walks the page's controls (a tab
  // that arrives by paste stays). The pads keep Tab for their text.
  setTabChangesFocus(true);
}

void ObjectiveTextView::selectWholeTextEverywhere() {
  for (QWidget* widget : QApplication::allWidgets()) {
    if (auto* editor = qobject_cast<ObjectiveTextView*>(widget))
      editor->selectAll();
  }
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
  settingText_ = true;
  // A text set from outside is not an edit of this editor: Undo must not take
  // the objective back to what it was before (or to nothing), and the earlier
  // edits belong to a text that is gone.
  document()->setUndoRedoEnabled(false);
  RichTextDocument::fill(document(), text);
  FastTypeTextViewDelegate::keepSeparatorsUnbroken(document());
  document()->setUndoRedoEnabled(true);
  settingText_ = false;
  cachedData_ = data;
  cacheValid_ = true;
  QTextCursor cursor(document());
  const int end = std::max(0, document()->characterCount() - 1);
  cursor.setPosition(std::clamp(anchor, 0, end));
  cursor.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  updateIndicators();
}

void ObjectiveTextView::keyPressEvent(QKeyEvent* event) {
  const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!isReturn || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
    NowAndLaterBoardTextView::keyPressEvent(event);
    return;
  }
  // The objective is one sentence, pre-selected on the pages so that typing
  // replaces it: a Return meant to go on would replace it with an empty line.
  if (isReadOnly())
    event->accept();
  else
    event->ignore();
}

bool ObjectiveTextView::checksSpelling() const {
  const QString& prompt = DataModel::kObjectivePlaceholder;
  // The prompt and a newline at most; a longer text is not it.
  return document()->characterCount() > prompt.size() + 2 ||
         document()->toPlainText().trimmed() != prompt;
}

void ObjectiveTextView::documentChanged(bool fromOutside) {
  cacheValid_ = false;
  updateSpellChecking();
  NowAndLaterBoardTextView::documentChanged(fromOutside);
  if (!fromOutside)
    Q_EMIT dataChanged();
}

} // namespace kr
