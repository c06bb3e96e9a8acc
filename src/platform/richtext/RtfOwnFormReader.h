#pragma once

#include "platform/richtext/CharFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace kr {

// Reads an RTF document in the form RtfWriter writes it (with the groups
// RtfInPlaceAppend adds), or in the plain form of the other platform's
// editors (their header, attributes set in the document's own group, lines
// ended by an escaped line end), in one pass and without a format per run:
// the text, and over it the stretches of each format as numbers into a table
// of the document's distinct formats and links.
//
// Whatever is outside those forms (another header, a control word that
// changes more than the attributes read here, another group, a hex escape
// in a double-byte code page, a \u whose fallback is not one character, an
// unpaired surrogate, attachments, a document cut off) makes read() give
// up; the caller then reads the document with RtfReader, which gives the
// same text and character formats for every document read() takes. Control
// words that reader ignores are ignored here too. The paragraphs' formats
// and the tab interval of the text are not read: the records of a day keep
// neither.
class RtfOwnFormReader {
public:
  // One format begins at `start` and holds to the next run's start.
  struct Run {
    qsizetype start = 0;
    quint32 format = 0; // in formats()
    quint32 link = 0;   // 0: none; n: links()[n - 1]
  };

  // Reads `rtf` into this reader, whose buffers are kept for the next
  // document. False when the document is not in the writer's form; what
  // was read is then meaningless.
  bool read(QByteArrayView rtf);

  QStringView text() const { return QStringView(text_.constData(), length_); }
  const std::vector<Run>& runs() const { return runs_; }
  // Each without a link: runs name their link apart.
  const std::vector<CharFormat>& formats() const { return formats_; }
  const std::vector<QString>& links() const { return links_; }
  // Where the text holds a character that ends a line (U+000A to U+000D,
  // U+0085, U+2028 or U+2029), in order.
  std::span<const qsizetype> lineEnds() const { return {lineEnds_.data(), lineCount_}; }
  // The last run that begins at or before `position` (which is in the text).
  std::size_t runAt(qsizetype position) const;
  // Gives back room beyond what a usual day needs.
  void trim();

private:
  struct Group;
  bool readHeader(QByteArrayView rtf);
  // The other platform's header, read by the general reader; false when the
  // document does not begin with one.
  bool readOtherHeader(QByteArrayView rtf);
  bool body(const char* p, const char* end);
  struct Font;
  // The font a group's text is in; none where the tables have no such number.
  const Font* fontOf(const Group& group) const;
  quint32 formatOf(Group& group);
  quint32 linkNumber(const QString& url);
  void moreRoomForLineEnds();

  QString text_;
  qsizetype length_ = 0;
  std::vector<Run> runs_;
  std::vector<CharFormat> formats_;
  std::vector<QString> links_;
  // The first lineCount_ are this document's; the rest is room.
  std::vector<qsizetype> lineEnds_;
  std::size_t lineCount_ = 0;
  // From the header, kept while the next document begins with it.
  QByteArray header_;
  struct Font {
    QString family; // null: no font of that number
    bool bold = false;
    bool italic = false;
    int codePage = 0; // 0: the document's
  };
  std::vector<Font> fonts_;
  std::vector<std::optional<RgbColor>> colors_; // \cfN is colors_[N - 1]
  int defaultFont_ = -1;
  int codePage_ = 0;                  // the document's
  std::vector<QString> instructions_; // the first fields_ are this document's
  std::size_t fields_ = 0;
  // The attribute sets met, with the format each resolved to.
  struct FormatKey {
    int font;
    int color;
    double size;
    quint8 flags;
    bool operator==(const FormatKey&) const = default;
  };
  std::vector<std::pair<FormatKey, quint32>> formatKeys_;
};

} // namespace kr
