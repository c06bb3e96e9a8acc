#pragma once

#include "kit/TextField.h"

#include <QStringList>

class QCompleter;
class QStringListModel;

namespace kr {

class TagManager;

// The field in which the user types the tags of a time slice, separated by
// commas. Its `tokens` property is what a settings binding reads and writes;
// it changes when the user ends an edit (Return, Tab, leaving the field) or
// picks a completion. The delegate (the tag manager) offers completions for
// the tag being typed. After Return or Tab the field keeps the focus with the
// caret after the last tag and a separator, so the user can go on typing
// tags (the separator goes when the field is left); a Return
// without typing is not the field's and goes on to the page. Any other end
// of an edit leaves the caret after the last tag.
class TagTokenField : public TextField {
  Q_OBJECT
  Q_PROPERTY(QStringList tokens READ tokens WRITE setTokens NOTIFY tokensChanged)

public:
  explicit TagTokenField(QWidget* parent = nullptr);

  QStringList tokens() const;
  void setTokens(const QStringList& tokens);

  TagManager* delegate() const { return delegate_; }
  void setDelegate(TagManager* delegate) { delegate_ = delegate; }

  bool hasStartedEditing() const { return hasStartedEditing_; }
  // The delegate's completions for the tag being typed (after the last comma).
  QStringList completionsForCurrentToken() const;
  // Replaces the tag being typed by `completion` and commits the tokens.
  void insertCompletion(const QString& completion);

  static QStringList tokensFromText(const QString& text);

Q_SIGNALS:
  void tokensChanged(const QStringList& tokens);

protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;

private:
  void textDidChange();
  void commit();
  void startNextToken();
  void becomeFirstResponder();

  TagManager* delegate_ = nullptr;
  QCompleter* completer_;
  QStringListModel* completions_;
  QStringList committed_;
  bool hasStartedEditing_ = false;
};

} // namespace kr
