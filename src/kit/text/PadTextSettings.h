#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>
#include <utility>

class QTextDocument;
class QTextEdit;

namespace kr {

class UserDefaults;

// The note pads' shared text settings ("defaultFont", "textColor", the pads'
// background colours) and the search for the placeholders between "‹" and
// "›" that the templates hold. A stored value that cannot be read gives the
// registered one, with one console line.
class PadTextSettings {
public:
  static QFont defaultFont(const UserDefaults& defaults);
  static QFont defaultFont();
  static void setDefaultFont(UserDefaults& defaults, const QFont& font);
  static QColor textColor(const UserDefaults& defaults);
  static QColor textColor();
  // A pad's or the objective editor's background colour (opaque).
  static QColor padColor(const UserDefaults& defaults, const QString& key);

  static constexpr char16_t kPlaceholderStart = u'\u2039';
  static constexpr char16_t kPlaceholderEnd = u'\u203a';

  // The placeholder found from `location`: forwards, the first "‹" at or
  // after it up to the first "›" from there; backwards, the last "›" before
  // it back to the last "‹" before that. Start and length, both marks
  // included; none when either mark is missing.
  static std::optional<std::pair<int, int>> findMarkedText(const QString& text, int location,
                                                           bool forwards);
  // The same over the document's text, without copying it.
  static std::optional<std::pair<int, int>> findMarkedText(QTextDocument* document, int location,
                                                           bool forwards);
  // Selects that placeholder in the editor; leaves the selection as it is
  // when there is none. Returns whether one was selected.
  static bool selectMarkedText(QTextEdit* textView, int location, bool forwards);
  // Forwards from the start of the text.
  static bool selectMarkedText(QTextEdit* textView);
};

} // namespace kr
