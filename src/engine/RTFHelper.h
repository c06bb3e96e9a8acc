#pragma once

#include "platform/drawing/RgbColor.h"
#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace kr {

// Conversions between RTFD packages, RTFD data, rich text and lines of rich
// text. Holds no state: safe to call from the log reload worker while the
// main thread uses it too. Absent or unreadable input gives empty results.
class RTFHelper {
public:
  static RTFHelper& sharedInstance();

  // Rich text of RTFD data; empty for absent or unparseable data.
  RichText attributedStringFromData(const std::optional<QByteArray>& data) const;
  // RTFD data of `text` set in one font and foreground colour.
  QByteArray rtfdDataFrom(const QString& text, const QString& fontFamily, double pointSize,
                          const RgbColor& textColor) const;
  // Rich text of the package at `path`; empty when absent or unreadable.
  RichText rtfdTextObjectFromFile(const std::optional<QString>& path) const;
  // RTFD data of the package at `path`; empty data when it is absent or
  // cannot be read, so that callers can tell it from an empty text.
  QByteArray rtfdDataFromFile(const QString& path) const;
  // The data's text cut at every line end (LF, VT, FF, CR, NEL, U+2028,
  // U+2029; CR LF counts as one), each line keeping its attributes.
  QList<RichText> cutUpIntoAttributedStringLines(const std::optional<QByteArray>& data) const;

private:
  RTFHelper() = default;
};

} // namespace kr
