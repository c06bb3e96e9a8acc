#pragma once

#include "platform/richtext/RichText.h"

#include <QByteArray>

namespace kr {

// Reads RTF into rich text: fonts, sizes, bold, italic, underline,
// strike-through, foreground colours, paragraphs, line breaks, tabs, links
// (HYPERLINK fields) and attachment references (\NeXTGraphic groups, whose
// file bytes the package reader fills in). Everything else is skipped.
//
// The reader never fails: damaged input gives whatever text could be read.
// It works in one pass without recursion; nesting deeper than kMaxDepth is
// counted but adds no state, so memory stays bounded by the input size.
class RtfReader {
public:
  static constexpr int kMaxDepth = 256;

  struct Result {
    RichText text;
    bool wellFormed = false; // began with {\rtf and its groups were balanced
    // Something other than white space follows the document's closing brace;
    // the reader stops there, so that text is not in `text`.
    bool textAfterEnd = false;
  };

  static Result read(const QByteArray& rtf);
  // Whether the data begins like an RTF document ("{\rtf", after white space).
  static bool looksLikeRtf(const QByteArray& data);
};

} // namespace kr
