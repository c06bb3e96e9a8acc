#include "shell/Appcast.h"

#include "platform/QnLog.h"

#include <QXmlStreamReader>

namespace kr {

namespace {

// No real release needs more: a longer value, or more items, make the feed
// one that cannot be read, before any of it is compared or shown.
constexpr qsizetype kLongestValue = 256;
constexpr qsizetype kMostItems = 1000;

// What the user is told a value is, for the properties that are bounded.
QString boundedProperty(QStringView name) {
  if (name == u"version")
    return QStringLiteral("version");
  if (name == u"shortVersionString")
    return QStringLiteral("display version");
  if (name == u"minimumSystemVersion")
    return QStringLiteral("minimum system version");
  if (name == u"link")
    return QStringLiteral("link");
  return {};
}

// Takes the properties an element or an enclosure attribute can give; false,
// with the reason, when a value is too long.
bool take(AppcastItem& item, QStringView name, const QString& value, QString* error) {
  const QString text = value.trimmed();
  if (text.size() > kLongestValue) {
    const QString property = boundedProperty(name);
    if (!property.isEmpty()) {
      *error = QStringLiteral("An item's %1 is longer than %2 characters.")
                   .arg(property)
                   .arg(kLongestValue);
      return false;
    }
  }
  if (name == u"version")
    item.versionString = text;
  else if (name == u"shortVersionString")
    item.displayVersionString = text;
  else if (name == u"minimumSystemVersion")
    item.minimumSystemVersion = text;
  else if (name == u"link")
    item.infoURL = QUrl(text, QUrl::StrictMode);
  else if (name == u"title")
    item.title = text;
  return true;
}

} // namespace

std::optional<QList<AppcastItem>> Appcast::parse(const QByteArray& feed, QString* error) {
  QXmlStreamReader reader(feed);
  QList<AppcastItem> items;
  std::optional<AppcastItem> item;
  bool isRss = false;
  bool hasChannel = false;
  qsizetype itemCount = 0;
  QString refused;
  while (!reader.atEnd() && refused.isEmpty()) {
    reader.readNext();
    if (reader.isStartElement()) {
      const QStringView name = reader.name();
      if (!isRss) {
        // The first element decides what the document is.
        if (name != u"rss")
          break;
        isRss = true;
        continue;
      }
      if (name == u"channel") {
        hasChannel = true;
      } else if (name == u"item") {
        if (++itemCount > kMostItems)
          refused = QStringLiteral("It holds more than %1 items.").arg(kMostItems);
        item = AppcastItem{};
      } else if (item && name == u"enclosure") {
        for (const QXmlStreamAttribute& attribute : reader.attributes()) {
          if (!take(*item, attribute.name(), attribute.value().toString(), &refused))
            break;
        }
      } else if (item) {
        const QString element = name.toString();
        take(*item, element, reader.readElementText(QXmlStreamReader::SkipChildElements), &refused);
      }
    } else if (reader.isEndElement() && reader.name() == u"item" && item) {
      if (item->versionString.isEmpty())
        qn_log(QStringLiteral("update feed: an item without a version is left out"));
      else
        items.append(*item);
      item.reset();
    }
  }
  if (!refused.isEmpty()) {
    if (error)
      *error = refused;
    return std::nullopt;
  }
  if (reader.hasError()) {
    if (error)
      *error = QStringLiteral("%1 (line %2)").arg(reader.errorString()).arg(reader.lineNumber());
    return std::nullopt;
  }
  if (!isRss || !hasChannel) {
    if (error)
      *error = QStringLiteral("It is not an RSS feed.");
    return std::nullopt;
  }
  return items;
}

} // namespace kr
