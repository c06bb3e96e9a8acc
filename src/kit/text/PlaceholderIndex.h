#pragma once

#include <QObject>

#include <optional>
#include <utility>
#include <vector>

class QTextDocument;

namespace kr {

// Where a document's placeholder marks ("‹" and "›") are, read from its
// paragraphs in place and read again only after the text changed: asking
// for the next or previous placeholder at every key costs a look-up, not a
// copy of the whole text. A child of its document, used on its thread.
class PlaceholderIndex : public QObject {
  Q_OBJECT

public:
  static PlaceholderIndex* of(QTextDocument* document);

  // As PadTextSettings::findMarkedText() over the document's plain text.
  std::optional<std::pair<int, int>> find(int location, bool forwards);

private:
  explicit PlaceholderIndex(QTextDocument* document);
  void read();

  QTextDocument* document_;
  bool stale_ = true;
  std::vector<int> starts_;
  std::vector<int> ends_;
};

} // namespace kr
