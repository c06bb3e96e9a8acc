#pragma once

#include "platform/richtext/CharFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <span>
#include <utility>
#include <vector>

namespace kr {

// Reads an RTF document in exactly the form RtfWriter writes it (with the
// groups RtfInPlaceAppend adds), in one pass and without a format per run:
// the text, and over it the stretches of each format as numbers into a table
// of the document's distinct formats and links.
//
// Whatever is outside that form (another header, another control word or
// group, hex escapes in the body, a \u without its fallback, an unpaired
// surrogate, attachments, a document cut off) makes read() give up; the
// caller then reads the document with RtfReader, which gives the same text
// and formats for every document read() takes. The tab interval of the
// text is not read.
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
  bool body(const char* p, const char* end);
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
  std::vector<QString> families_;     // null: no font of that number
  std::vector<RgbColor> colors_;      // \cfN is colors_[N - 1]
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
