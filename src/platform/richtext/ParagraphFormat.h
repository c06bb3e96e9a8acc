#pragma once

#include <QList>
#include <QtGlobal>

#include <memory>

namespace kr {

// The layout of a paragraph that rich text keeps: what the editors can show
// and other word processors write. Lengths are in twips (a twentieth of a
// point), as RTF gives them, so that a document read and written again
// keeps its numbers exactly. Default values mean "not set".
struct ParagraphFormat {
  // Left and right follow the paragraph's direction, as in RTF and in Qt:
  // in a paragraph written from right to left, "left" is its start.
  enum class Alignment : quint8 { Left, Center, Right, Justified };
  enum class Direction : quint8 { Natural, LeftToRight, RightToLeft };

  struct TabStop {
    enum class Kind : quint8 { Left, Center, Right, Decimal };
    int position = 0; // from the left margin
    Kind kind = Kind::Left;
    bool operator==(const TabStop&) const = default;
  };

  // Stops at even steps from the margin, as many as this or more, set the
  // distance between the text's tabs rather than stops of one paragraph:
  // writers put a dozen of them at the start of every paragraph.
  static constexpr int kIntervalStops = 12;
  static constexpr int kMaxTabStops = 64;

  Alignment alignment = Alignment::Left;
  Direction direction = Direction::Natural;
  int leftIndent = 0;
  int rightIndent = 0;
  int firstLineIndent = 0; // from the left indent; negative: a hanging line
  int spaceBefore = 0;
  int spaceAfter = 0;
  // 0: single spacing. Otherwise, with `lineSpacingMultiple`, in 240ths of a
  // single line; without it, the least distance between lines, or when
  // negative the exact distance.
  int lineSpacing = 0;
  bool lineSpacingMultiple = false;
  QList<TabStop> tabStops; // the paragraph's own, in order

  bool operator==(const ParagraphFormat&) const = default;
  bool isDefault() const { return *this == ParagraphFormat{}; }
};

// A paragraph format that the characters of a paragraph share: copied by
// reference, none kept for the default (most text has it), compared by
// value.
class SharedParagraphFormat {
public:
  SharedParagraphFormat() = default;
  // Implicit: a format is set by assigning it.
  SharedParagraphFormat(const ParagraphFormat& format)
      : format_(format.isDefault() ? nullptr : std::make_shared<const ParagraphFormat>(format)) {}

  const ParagraphFormat& operator*() const { return format_ ? *format_ : none(); }
  const ParagraphFormat* operator->() const { return &**this; }
  bool operator==(const SharedParagraphFormat& other) const {
    return format_ == other.format_ || **this == *other;
  }

private:
  static const ParagraphFormat& none() {
    static const ParagraphFormat format;
    return format;
  }
  std::shared_ptr<const ParagraphFormat> format_;
};

} // namespace kr
