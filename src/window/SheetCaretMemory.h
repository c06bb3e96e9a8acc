#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QTextEdit;

namespace kr {

// Where the caret was in each sheet of a pad. A sheet the keyboard is sent
// to (the pad's hot key) gets the caret back where it was in that sheet, or,
// in a sheet not yet visited, at its end rather than before its title. The
// caret is remembered when the text loses the keyboard and when another
// sheet takes its place; a click into the text places it as usual.
class SheetCaretMemory final : public QObject {
  Q_OBJECT

public:
  // `shownSheet` answers the path of the sheet the text view holds.
  SheetCaretMemory(QTextEdit& text, std::function<QString()> shownSheet);

  // Another sheet is about to take the text view.
  void sheetLeaving();
  // The text view now holds the sheet `shownSheet` answers.
  void sheetShown();
  // Puts the caret back before the text view takes the keyboard.
  void placeForKeyboard();
  // Puts the caret back in any case: keys typed before the sheet was shown
  // go there.
  void place();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QTextEdit& text_;
  std::function<QString()> shownSheet_;
  QString sheet_;
  bool placed_ = false;
  QHash<QString, int> carets_;
};

} // namespace kr
