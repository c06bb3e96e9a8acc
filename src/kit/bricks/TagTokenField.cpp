#include "kit/bricks/TagTokenField.h"

#include "engine/TagManager.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QStringListModel>

namespace kr {

namespace {
const QString separator = QStringLiteral(", ");

QString currentToken(const QString& text) {
  const qsizetype comma = text.lastIndexOf(u',');
  return text.mid(comma + 1).trimmed();
}
} // namespace

TagTokenField::TagTokenField(QWidget* parent)
    : TextField(parent), completer_(new QCompleter(this)),
      completions_(new QStringListModel(this)) {
  completer_->setModel(completions_);
  completer_->setCaseSensitivity(Qt::CaseInsensitive);
  completer_->setCompletionMode(QCompleter::PopupCompletion);
  completer_->setWidget(this);
  connect(completer_, qOverload<const QString&>(&QCompleter::activated), this,
          &TagTokenField::insertCompletion);
  connect(this, &QLineEdit::textEdited, this, &TagTokenField::textDidChange);
  connect(this, &QLineEdit::editingFinished, this, &TagTokenField::commit);
  // Return ends the edit: the tags as typed, without a separator left
  // behind, and no list of completions still open over the page.
  connect(this, &QLineEdit::returnPressed, this, [this] {
    completer_->popup()->hide();
    if (hasStartedEditing_) {
      commit();
      setText(tokens().join(separator));
      becomeFirstResponder();
    }
  });
}

QStringList TagTokenField::tokensFromText(const QString& text) {
  QStringList tokens;
  const QStringList pieces = text.split(u',');
  for (const QString& piece : pieces) {
    const QString tag = piece.trimmed();
    if (!tag.isEmpty())
      tokens.append(tag);
  }
  return tokens;
}

QStringList TagTokenField::tokens() const { return tokensFromText(text()); }

void TagTokenField::setTokens(const QStringList& tokens) {
  QStringList shown;
  for (const QString& token : tokens) {
    if (!token.trimmed().isEmpty())
      shown.append(token.trimmed());
  }
  committed_ = shown;
  // Leaves the text alone while it already says the same, so a value coming
  // back from the settings never moves the caret.
  if (shown == this->tokens())
    return;
  setText(shown.join(separator));
}

QStringList TagTokenField::completionsForCurrentToken() const {
  const QString typed = currentToken(text());
  if (!delegate_ || typed.isEmpty())
    return {};
  return delegate_->completionListStartingWith(typed);
}

void TagTokenField::insertCompletion(const QString& completion) {
  QString kept = text();
  kept.truncate(kept.lastIndexOf(u',') + 1);
  QStringList tokens = tokensFromText(kept);
  tokens.append(completion);
  setText(tokens.join(separator));
  setCursorPosition(int(text().size()));
  commit();
}

void TagTokenField::textDidChange() {
  hasStartedEditing_ = true;
  const QStringList offered = completionsForCurrentToken();
  completions_->setStringList(offered);
  if (offered.isEmpty()) {
    completer_->popup()->hide();
    return;
  }
  completer_->setCompletionPrefix(currentToken(text()));
  if (isVisible())
    completer_->complete();
}

void TagTokenField::commit() {
  const QStringList now = tokens();
  if (now == committed_)
    return;
  committed_ = now;
  Q_EMIT tokensChanged(now);
}

// What is typed next is a tag of its own, not the end of the last one.
void TagTokenField::startNextToken() {
  const QStringList now = tokens();
  if (!now.isEmpty() && !text().trimmed().endsWith(u','))
    setText(now.join(separator) + separator);
}

void TagTokenField::becomeFirstResponder() {
  setCursorPosition(int(text().size()));
  deselect();
  hasStartedEditing_ = false;
}

void TagTokenField::focusInEvent(QFocusEvent* event) {
  TextField::focusInEvent(event);
  becomeFirstResponder();
}

void TagTokenField::keyPressEvent(QKeyEvent* event) {
  const bool typed = hasStartedEditing_;
  TextField::keyPressEvent(event);
  // Return after typing ends the edit and stays in the field for the next tag.
  if (typed && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
    event->accept();
}

// Tab after typing ends the edit and stays in the field for the next tag;
// Shift+Tab after typing ends it and moves on with the caret at the end;
// without typing either moves on as usual.
bool TagTokenField::focusNextPrevChild(bool next) {
  if (hasStartedEditing_) {
    commit();
    if (next) {
      startNextToken();
      becomeFirstResponder();
      return true;
    }
    setCursorPosition(int(text().size()));
  }
  return TextField::focusNextPrevChild(next);
}

// Leaving an edit in any other way (a click elsewhere) puts the caret at the
// end; a popup or another window taking the focus is no end of the edit.
void TagTokenField::focusOutEvent(QFocusEvent* event) {
  TextField::focusOutEvent(event);
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
    return;
  // The separator left for a next tag goes when the field is left.
  if (text().trimmed().endsWith(u','))
    setText(tokens().join(separator));
  if (hasStartedEditing_) {
    setCursorPosition(int(text().size()));
    deselect();
  }
}

} // namespace kr
