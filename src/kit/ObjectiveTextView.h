#pragma once

#include "kit/TextIndicatorsView.h"
#include "platform/RichText.h"

#include <QByteArray>
#include <QPointer>
#include <QTextEdit>

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

  TextIndicatorsView* textIndicatorsView() const { return textIndicatorsView_; }
  // The indicators follow the caret's format; their buttons run the actions.
  void setTextIndicatorsView(TextIndicatorsView* view);

  // Removes bold, italics, underline and strike-through.
  void makePlainText();
  // Bold and italics change only the weight or the slant of the font.
  void toggleBoldAttribute();
  void toggleItalicAttribute();
  void underline();
  void toggleStrikeOutAttribute();

Q_SIGNALS:
  void dataChanged();

protected:
  void keyPressEvent(QKeyEvent* event) override;
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

  QPointer<TextIndicatorsView> textIndicatorsView_;
  mutable QByteArray cachedData_;
  mutable bool cacheValid_ = false;
  bool settingData_ = false;
};

} // namespace kr
