#include "engine/OmniFocusHelper.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

namespace kr {

std::optional<OmniFocusHelper> OmniFocusHelper::parseTaskInfo(const QByteArray& xml) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(xml);
  if (decoder.hasError())
    return std::nullopt;
  OmniFocusHelper helper;
  helper.parse(xml);
  return helper;
}

std::optional<OmniFocusHelper> OmniFocusHelper::parseTaskInfo(const QString& xml) {
  for (qsizetype i = 0; i < xml.size(); ++i) {
    const QChar c = xml.at(i);
    if (c.isHighSurrogate() && i + 1 < xml.size() && xml.at(i + 1).isLowSurrogate()) {
      ++i;
      continue;
    }
    if (c.isSurrogate())
      return std::nullopt;
  }
  OmniFocusHelper helper;
  helper.parse(xml.toUtf8());
  return helper;
}

void OmniFocusHelper::parse(const QByteArray& utf8) {
  QXmlStreamReader reader(utf8);
  QStringList stack;
  QString characters;
  while (!reader.atEnd()) {
    const QXmlStreamReader::TokenType token = reader.readNext();
    if (reader.hasError())
      break;
    switch (token) {
    case QXmlStreamReader::StartElement: {
      const QString name = reader.name().toString();
      stack.append(name);
      if (name == QLatin1String("task")) {
        const QXmlStreamAttributes attributes = reader.attributes();
        if (attributes.hasAttribute(QStringLiteral("id")))
          taskID_ = attributes.value(QStringLiteral("id")).toString();
        else
          taskID_.reset();
      }
      break;
    }
    case QXmlStreamReader::Characters:
      characters += reader.text();
      characters.remove(u' ');
      characters.remove(u'\n');
      characters.remove(u'\t');
      characters.remove(u'\r');
      break;
    case QXmlStreamReader::EndElement: {
      const QString path = u'/' + stack.join(u'/');
      if (!characters.isEmpty()) {
        if (path == QLatin1String("/omnifocus/task/estimated-minutes")) {
          bool ok = false;
          const int minutes = characters.toInt(&ok, 10);
          if (ok)
            estimatedMinutes_ = minutes;
        } else if (path == QLatin1String("/omnifocus/context/name")) {
          contextNames_.append(characters);
        }
      }
      characters.clear();
      if (!stack.isEmpty())
        stack.removeLast();
      break;
    }
    default:
      break;
    }
  }
}

} // namespace kr
