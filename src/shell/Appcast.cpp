#include "shell/Appcast.h"

#include "platform/QnLog.h"

#include <QXmlStreamReader>

namespace kr {

namespace {

// Takes the properties an element or an enclosure attribute can give.
void take(AppcastItem& item, QStringView name, const QString& value) {
  const QString text = value.trimmed();
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
}

} // namespace

std::optional<QList<AppcastItem>> Appcast::parse(const QByteArray& feed, QString* error) {
  QXmlStreamReader reader(feed);
  QList<AppcastItem> items;
  std::optional<AppcastItem> item;
  bool isRss = false;
  bool hasChannel = false;
  while (!reader.atEnd()) {
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
        item = AppcastItem{};
      } else if (item && name == u"enclosure") {
        for (const QXmlStreamAttribute& attribute : reader.attributes())
          take(*item, attribute.name(), attribute.value().toString());
      } else if (item) {
        const QString element = name.toString();
        take(*item, element, reader.readElementText(QXmlStreamReader::SkipChildElements));
      }
    } else if (reader.isEndElement() && reader.name() == u"item" && item) {
      if (item->versionString.isEmpty())
        qn_log(QStringLiteral("update feed: an item without a version is left out"));
      else
        items.append(*item);
      item.reset();
    }
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
