#pragma once

#include "platform/richtext/CharFormat.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <functional>
#include <vector>

namespace kr {

// Text with character attributes, paragraph ends ("\n"), line breaks
// (U+2028) and attachments (U+FFFC carrying the attachment's file name; the
// file's bytes are kept by file name). A plain value type: copies are cheap
// (implicitly shared) and independent, so it may be built on one thread and
// handed to another.
class RichText {
public:
  static constexpr char16_t kParagraphEnd = u'\n';
  static constexpr char16_t kLineBreak = 0x2028;
  static constexpr char16_t kAttachmentCharacter = 0xFFFC;

  // A stretch of text with one format. Runs cover the text without gaps, in
  // order; neighbouring runs always differ in format.
  struct Run {
    int start = 0;
    int length = 0;
    CharFormat format;
    bool operator==(const Run&) const = default;
  };

  RichText() = default;
  explicit RichText(const QString& text, const CharFormat& format = {});

  const QString& plainText() const { return text_; }
  int length() const { return int(text_.size()); }
  bool isEmpty() const { return text_.isEmpty(); }
  const std::vector<Run>& runs() const { return runs_; }

  // The format of the character at `position` (a default format outside).
  CharFormat formatAt(int position) const;

  void append(QStringView text, const CharFormat& format = {});
  void append(const RichText& other);
  // Appends one attachment character for the file `fileName` holding `data`.
  void appendAttachment(const QString& fileName, const QByteArray& data,
                        const CharFormat& format = {});

  // The part of the text from `position`, `length` characters long (to the
  // end when negative); clamped to the text. Keeps the attachments it uses.
  RichText mid(int position, int length = -1) const;
  // Replaces a range by other rich text.
  void replace(int position, int length, const RichText& with);
  // Gives a range one format.
  void setFormat(int position, int length, const CharFormat& format);
  // Changes the format of every run overlapping a range through `change`.
  void updateFormat(int position, int length, const std::function<void(CharFormat&)>& change);
  // Gives every paragraph the default format, keeping the characters' own.
  void clearParagraphFormats();

  // File names of the attachment characters, in text order, without repeats.
  QStringList attachmentNames() const;
  // Bytes of the attachment files by name. May hold files no character uses.
  const QMap<QString, QByteArray>& attachmentData() const { return attachmentData_; }
  void setAttachmentData(const QString& fileName, const QByteArray& data);

  // The distance between the tab stops of paragraphs without stops of their
  // own, in points; 0 when the text sets none and a reader's own default
  // applies. Files hold it as a dozen stops at even steps.
  // At most the width of the widest page.
  static constexpr double kMaxTabInterval = 22 * 72;
  double tabInterval() const { return tabInterval_; }
  void setTabInterval(double points) {
    tabInterval_ = points > 0 ? (points < kMaxTabInterval ? points : kMaxTabInterval) : 0;
  }

  // The family of the font the text is shown in where a run names none
  // (the editor's font), for other readers; empty when not known. Runs
  // without a font keep none: this is no part of the text and takes no part
  // in comparisons.
  const QString& defaultFontFamily() const { return defaultFontFamily_; }
  void setDefaultFontFamily(const QString& family) { defaultFontFamily_ = family; }

  bool operator==(const RichText& other) const;
  bool operator!=(const RichText& other) const { return !(*this == other); }

private:
  friend class RtfParser; // builds its result in place

  int runIndexAt(int position) const;
  void normalize();

  QString text_;
  std::vector<Run> runs_;
  QMap<QString, QByteArray> attachmentData_;
  double tabInterval_ = 0;
  QString defaultFontFamily_;
};

} // namespace kr
