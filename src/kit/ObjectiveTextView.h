#pragma once

#include "kit/TextIndicatorsView.h"
#include "platform/RichText.h"

#include <QByteArray>
#include <QPointer>
#include <QTextEdit>

#include <functional>

namespace kr {

// The rich-text editor of the objective. Its "data" property is the text as
// RTFD data, the form the objective is stored in; the notify signal fires on
// the user's edits only, never when the data is set from outside. The format
// actions act on the selection, or on the typing format without one.
class ObjectiveTextView : public QTextEdit {
  Q_OBJECT
  Q_PROPERTY(QByteArray data READ data WRITE setData NOTIFY dataChanged)

public:
  explicit ObjectiveTextView(QWidget* parent = nullptr);

  QByteArray data() const;
  // Replaces the text unless it already holds `data`; the caret keeps its
  // place as far as the new text allows. Unreadable data shows as empty text.
  void setData(const QByteArray& data);
  // Selects the whole text of every objective editor: after the objective was
  // replaced by one chosen elsewhere, typing replaces all of it.
  static void selectWholeTextEverywhere();

  TextIndicatorsView* textIndicatorsView() const { return textIndicatorsView_; }
  // The indicators follow the caret's format; their buttons run the actions.
  void setTextIndicatorsView(TextIndicatorsView* view);

public Q_SLOTS:
  // The format commands; each is one undo step. Without a selection they set
  // the format of what is typed next.
  //
  // The pads' font and text colour with the default paragraph format: bold,
  // italics, underline, strike-out and links go.
  void makePlainText();
  // Bold and italics change only the weight or the slant of the font.
  void toggleBoldAttribute();
  void toggleItalicAttribute();
  void underline();
  void toggleStrikeOutAttribute();
  // Strikes out the caret's paragraph and goes on to the end of the next one.
  void markAsCompleted();
  // Selects the next (previous) placeholder between "‹" and "›".
  void selectNextField();
  void selectPreviousField();
  // The caret to the end (the start) of its line.
  void next();
  void previous();
  // Undo and Redo; the typing rules never run for them, and they do not
  // count as the user's edits. A read-only editor takes neither.
  void undo();
  void redo();

Q_SIGNALS:
  void dataChanged();
  // The user changed the text: typing, pasting, dropping, bold or italics.
  // Not sent for Undo, Redo, a text set from outside, strike-out, plain
  // text and mark as completed.
  void editedByUser();

protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // After an edit of the user's (a key, an input method's text, a paste or
  // a drop): the typing rules.
  virtual void userEdited(bool afterReturn);
  // Tab and Shift+Tab (with or without Ctrl) move the focus on instead of
  // typing, unless tabChangesFocus() was turned off.
  bool movesFocusOn(const QKeyEvent& event) const;
  // Replaces the whole text as no edit of the user's: no change is announced
  // and the undo history starts afresh (older records belong to another
  // text). The caret goes to the start.
  void replaceWholeText(const RichText& text);

private:
  void documentChanged();
  void updateIndicators();
  // The format the toggles look at: the selection's first character, or the typing format.
  QTextCharFormat referenceFormat() const;
  void mergeFormat(const QTextCharFormat& modifier);

  // Runs `change` as a change that is no edit of the user's.
  template <typename Change> void quietly(Change change);
  void runUserEdit(const std::function<void()>& edit, bool afterReturn);

  QPointer<TextIndicatorsView> textIndicatorsView_;
  int quiet_ = 0;
  quint64 changes_ = 0;
  mutable QByteArray cachedData_;
  mutable bool cacheValid_ = false;
  bool settingData_ = false;
};

} // namespace kr
