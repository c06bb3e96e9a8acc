#include "kit/text/PadTextSettings.h"

#include "art/BezierPathUtility.h"
#include "kit/text/PlaceholderIndex.h"
#include "platform/QnLog.h"
#include "platform/settings/UserDefaults.h"

#include <QRegularExpression>
#include <QSet>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace kr {

namespace {
const QString kDefaultFont = QStringLiteral("defaultFont");
const QString kTextColor = QStringLiteral("textColor");

std::optional<QFont> readFont(const QVariant& value) {
  const QString text = UserDefaults::toString(value);
  // The forms QFont::toString() writes: a family, a size, and from ten
  // fields on the rest. Anything else is refused here, before Qt's reader
  // complains on the console.
  const QStringList fields = text.split(u',');
  const qsizetype count = fields.size();
  if (fields.first().trimmed().isEmpty() || (count > 2 && count < 10) || count > 17)
    return std::nullopt;
  if (count >= 2 && fields[1].toDouble() <= 0)
    return std::nullopt;
  QFont font;
  if (!font.fromString(text) || font.family().isEmpty())
    return std::nullopt;
  return font;
}
// The registered colours, for settings that lack the application's
// registration (a bare window, a test).
QColor builtInColor(const QString& key) {
  if (key == QLatin1String("nowPadBackgroundColor"))
    return QColor::fromRgbF(1.0f, 1.0f, 0.8f);
  if (key == QLatin1String("laterPadBackgroundColor"))
    return QColor::fromRgbF(0.893307f, 0.999776f, 0.862248f);
  if (key == QLatin1String("scratchPadBackgroundColor"))
    return QColor::fromRgbF(0.929994f, 0.863978f, 1.0f);
  if (key == QLatin1String("objectiveBackgroundColor"))
    return QColor::fromRgbF(0.886275f, 0.933333f, 1.0f);
  if (key == kTextColor)
    return Qt::black;
  return Qt::white;
}

// A stored colour is "#rrggbb" or "#aarrggbb".
std::optional<QColor> readColor(const QVariant& value) {
  static const QRegularExpression pattern(QStringLiteral("^#([0-9a-fA-F]{6}|[0-9a-fA-F]{8})$"));
  const QString text = UserDefaults::toString(value);
  if (!value.isValid() || !pattern.match(text).hasMatch())
    return std::nullopt;
  QColor color = QColor::fromString(text);
  color.setAlphaF(1.0f);
  return color;
}

// An opaque colour setting: the stored colour, else the registered one (the
// colour reader says once when a stored value cannot be read).
QColor settingsColor(const UserDefaults& defaults, const QString& key) {
  if (readColor(defaults.registeredValue(key)))
    return BezierPathUtility::colorWithKey(defaults, key);
  if (defaults.hasStoredValue(key)) {
    if (const std::optional<QColor> stored = readColor(defaults.object(key)))
      return *stored;
  }
  return builtInColor(key);
}
} // namespace

QFont PadTextSettings::defaultFont(const UserDefaults& defaults) {
  if (defaults.hasStoredValue(kDefaultFont)) {
    if (const std::optional<QFont> stored = readFont(defaults.object(kDefaultFont)))
      return *stored;
    const std::optional<QFont> registered = readFont(defaults.registeredValue(kDefaultFont));
    // Said once for each value, however often the font is asked for.
    static QSet<QString> reported;
    const QString stored = UserDefaults::toString(defaults.object(kDefaultFont));
    if (!reported.contains(stored)) {
      reported.insert(stored);
      platformLog(QStringLiteral("The font stored under defaultFont cannot be read (\"%1\"); "
                                 "using its registered font %2")
                      .arg(stored, registered ? registered->toString() : QStringLiteral("(none)")));
    }
    if (registered)
      return *registered;
  } else if (const std::optional<QFont> registered =
                 readFont(defaults.registeredValue(kDefaultFont))) {
    return *registered;
  }
  return QFont(QStringLiteral("Helvetica"), 12);
}

QFont PadTextSettings::defaultFont() { return defaultFont(UserDefaults::standard()); }

void PadTextSettings::setDefaultFont(UserDefaults& defaults, const QFont& font) {
  defaults.setValue(kDefaultFont, font.toString());
}

QColor PadTextSettings::textColor(const UserDefaults& defaults) {
  return settingsColor(defaults, kTextColor);
}

QColor PadTextSettings::textColor() { return textColor(UserDefaults::standard()); }

QColor PadTextSettings::padColor(const UserDefaults& defaults, const QString& key) {
  return settingsColor(defaults, key);
}

std::optional<std::pair<int, int>> PadTextSettings::findMarkedText(const QString& text,
                                                                   int location, bool forwards) {
  if (forwards) {
    const qsizetype start = text.indexOf(QChar(kPlaceholderStart), std::max(0, location));
    if (start < 0)
      return std::nullopt;
    const qsizetype end = text.indexOf(QChar(kPlaceholderEnd), start);
    if (end < 0)
      return std::nullopt;
    return std::make_pair(int(start), int(end - start + 1));
  }
  if (location <= 0)
    return std::nullopt;
  const qsizetype end = text.lastIndexOf(QChar(kPlaceholderEnd), location - 1);
  if (end <= 0)
    return std::nullopt;
  const qsizetype start = text.lastIndexOf(QChar(kPlaceholderStart), end - 1);
  if (start < 0)
    return std::nullopt;
  return std::make_pair(int(start), int(end - start + 1));
}

std::optional<std::pair<int, int>> PadTextSettings::findMarkedText(QTextDocument* document,
                                                                   int location, bool forwards) {
  return PlaceholderIndex::of(document)->find(location, forwards);
}

bool PadTextSettings::selectMarkedText(QTextEdit* textView, int location, bool forwards) {
  const std::optional<std::pair<int, int>> found =
      findMarkedText(textView->document(), location, forwards);
  if (!found)
    return false;
  QTextCursor cursor(textView->document());
  cursor.setPosition(found->first);
  cursor.setPosition(found->first + found->second, QTextCursor::KeepAnchor);
  textView->setTextCursor(cursor);
  return true;
}

bool PadTextSettings::selectMarkedText(QTextEdit* textView) {
  return selectMarkedText(textView, 0, true);
}

} // namespace kr
