#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>

class QLabel;
class QPushButton;

namespace kr {

class PreferenceControls;

// The "Pads" pane: the pads' font, shown in itself and the text colour, and
// the colours of the text and of each pad, each with a way back to the
// registered values.
class PadsPane final : public QWidget {
  Q_OBJECT

public:
  // The keys "Reset Colors" removes, in the order of their buttons.
  static const QStringList kColorKeys;

  struct Choosers {
    // Asks for a font starting from the given one; none when cancelled.
    std::function<std::optional<QFont>(const QFont& current, QWidget* parent)> font;
    // Asks for a colour starting from the given one; none when cancelled.
    std::function<std::optional<QColor>(const QColor& current, QWidget* parent)> color;
    // Stores the pads' font.
    std::function<void(const QFont&)> setDefaultFont;
    // The font and colour dialogs; the font goes to the pads' manager.
    static Choosers standard();
  };

  PadsPane(PreferenceControls& controls, Choosers choosers, QWidget* parent = nullptr);

  void chooseDefaultFont();
  void changeFont(const QFont& font);
  void resetFonts();
  void chooseColor(const QString& key);
  void resetColors();
  // Shows the stored font in itself, in the stored text colour.
  void updateFontPreview();

  QLabel* preview() const { return preview_; }
  QPushButton* colorButton(const QString& key) const;
  QPushButton* chooseFontButton() const { return chooseFont_; }
  QPushButton* resetFontsButton() const { return resetFonts_; }
  QPushButton* resetColorsButton() const { return resetColors_; }

private:
  void showColor(const QString& key);
  QColor colorOf(const QString& key) const;

  PreferenceControls& controls_;
  Choosers choosers_;
  QLabel* preview_;
  QPushButton* chooseFont_;
  QPushButton* resetFonts_;
  QPushButton* resetColors_;
  std::map<QString, QPushButton*> colorButtons_;
};

} // namespace kr
