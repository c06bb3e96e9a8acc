#pragma once

#include "platform/richtext/RichText.h"

#include <QByteArray>
#include <QStringList>

namespace kr {

// Reads RTF into rich text: fonts, sizes, bold, italic, underline,
// strike-through (once or twice), capitals, letter spacing, foreground and
// background colours, paragraphs with their alignment, direction, indents,
// spacing and tab stops, line breaks, tabs, links (HYPERLINK fields) and
// attachment references (\NeXTGraphic groups, whose file bytes the package
// reader fills in). Everything else is skipped, and text deleted under
// change tracking is no text.
//
// The reader never fails: damaged input gives whatever text could be read.
// It works in one pass without recursion; nesting deeper than kMaxDepth is
// counted but adds no state, so memory stays bounded by the input size.
class RtfReader {
public:
  static constexpr int kMaxDepth = 256;

  // Content of other word processors that the text leaves out or changes,
  // so that writing the text back would lose it. A document is read
  // against a list of what the text keeps and of what changes nothing a
  // user sees: anything else in its text is one of these.
  enum Unkept : quint32 {
    Footnotes = 1 << 0,
    HeadersFooters = 1 << 1,
    SoftHyphens = 1 << 2,
    Breaks = 1 << 3,
    HiddenText = 1 << 4,
    SuperSubscript = 1 << 5,
    Lists = 1 << 6,
    Objects = 1 << 7,
    Fields = 1 << 8,
    Drawings = 1 << 9,
    Pictures = 1 << 10,
    Tables = 1 << 11,
    Comments = 1 << 12,
    TrackedChanges = 1 << 13,
    Bookmarks = 1 << 14,
    OtherFormatting = 1 << 15, // any word the reader does not know
  };
  // What each kind in `unkept` is called, in the words of a user, in the
  // order above.
  static QStringList unkeptNames(quint32 unkept);

  struct Result {
    RichText text;
    bool wellFormed = false; // began with {\rtf and its groups were balanced
    // Something other than white space follows the document's closing brace;
    // the reader stops there, so that text is not in `text`.
    bool textAfterEnd = false;
    quint32 unkept = 0; // of Unkept
  };

  static Result read(const QByteArray& rtf);
  // Whether the data begins like an RTF document ("{\rtf", after white space).
  static bool looksLikeRtf(const QByteArray& data);
};

} // namespace kr
