#pragma once

#include "kit/text/NowAndLaterBoardTextView.h"

#include <QByteArray>

namespace kr {

// The editor of the objective: the pads' editor without a store (its
// delegate's save writes nothing). Its "data" property is the text as RTFD
// data, the form the objective is stored in; the notify signal fires on the
// user's edits only, never when the data is set from outside. Its whole
// text stands selected on the pages: it keeps the desktop's selection
// colours, which the pages' reading contrast is made for.
class ObjectiveTextView : public NowAndLaterBoardTextView {
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

Q_SIGNALS:
  void dataChanged();

protected:
  // Return and Enter go on to the page's default button; Shift+Return types
  // a line break. A locked editor keeps them from the page.
  void keyPressEvent(QKeyEvent* event) override;
  void documentChanged(bool fromOutside) override;
  // Not the prompt that stands until the user writes an objective: its
  // words are ours, and its dictionary need not be read for them.
  bool checksSpelling() const override;

private:
  mutable QByteArray cachedData_;
  mutable bool cacheValid_ = false;
};

} // namespace kr
