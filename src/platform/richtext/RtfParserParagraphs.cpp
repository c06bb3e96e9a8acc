// The words that set a paragraph's format, and the ends of paragraphs.
#include "platform/richtext/RtfParser.h"

#include <algorithm>

namespace kr {

namespace {

using Stop = ParagraphFormat::TabStop;

// Lengths beyond the widest page, either way, are taken as its width.
constexpr int kMaxTwips = int(RichText::kMaxTabInterval * 20);

// The step of stops that fall at even steps from the margin, all of the
// usual kind and no wider than a page; 0 for any other stops.
int evenStep(const QList<Stop>& stops) {
  const int step = stops.isEmpty() ? 0 : stops.front().position;
  if (step <= 0 || step > kMaxTwips)
    return 0;
  for (qsizetype i = 0; i < stops.size(); ++i) {
    if (stops[i].kind != Stop::Kind::Left || stops[i].position != qint64(step) * (i + 1))
      return 0;
  }
  return step;
}

} // namespace

void RtfParser::paragraphWord(RtfKeyword keyword, bool hasParameter, int parameter) {
  Group& group = top();
  ParagraphFormat& paragraph = group.paragraph;
  const int length = std::clamp(parameter, -kMaxTwips, kMaxTwips);
  using Alignment = ParagraphFormat::Alignment;
  using Direction = ParagraphFormat::Direction;
  switch (keyword) {
  case RtfKeyword::ParagraphDefault:
    if (group.destination == Destination::Text)
      takeTabStops();
    paragraph = ParagraphFormat();
    group.tabKind = Stop::Kind::Left;
    break;
  case RtfKeyword::AlignLeft:
    paragraph.alignment = Alignment::Left;
    break;
  case RtfKeyword::AlignCenter:
    paragraph.alignment = Alignment::Center;
    break;
  case RtfKeyword::AlignRight:
    paragraph.alignment = Alignment::Right;
    break;
  case RtfKeyword::AlignJustified:
    paragraph.alignment = Alignment::Justified;
    break;
  case RtfKeyword::NaturalDirection:
    paragraph.direction = Direction::Natural;
    break;
  case RtfKeyword::LeftToRight:
    paragraph.direction = Direction::LeftToRight;
    break;
  case RtfKeyword::RightToLeft:
    paragraph.direction = Direction::RightToLeft;
    break;
  case RtfKeyword::LeftIndent:
    paragraph.leftIndent = length;
    break;
  case RtfKeyword::RightIndent:
    paragraph.rightIndent = length;
    break;
  case RtfKeyword::FirstLineIndent:
    paragraph.firstLineIndent = length;
    break;
  case RtfKeyword::SpaceBefore:
    paragraph.spaceBefore = std::max(0, length);
    break;
  case RtfKeyword::SpaceAfter:
    paragraph.spaceAfter = std::max(0, length);
    break;
  case RtfKeyword::LineSpacing:
    paragraph.lineSpacing = length;
    break;
  case RtfKeyword::LineSpacingMultiple:
    paragraph.lineSpacingMultiple = !hasParameter || parameter != 0;
    break;
  case RtfKeyword::TabCenter:
    group.tabKind = Stop::Kind::Center;
    break;
  case RtfKeyword::TabRight:
    group.tabKind = Stop::Kind::Right;
    break;
  case RtfKeyword::TabDecimal:
    group.tabKind = Stop::Kind::Decimal;
    break;
  case RtfKeyword::TabStop:
    // As given: a stop beyond the page is no step of an interval.
    if (hasParameter && paragraph.tabStops.size() < ParagraphFormat::kMaxTabStops)
      paragraph.tabStops.append(Stop{parameter, group.tabKind});
    group.tabKind = Stop::Kind::Left;
    break;
  default:
    return;
  }
  formatDirty_ = true;
}

// The first paragraph whose stops set a distance between the text's tabs
// gives the text its tab interval; fewer stops, or stops at uneven steps,
// are a paragraph's own.
void RtfParser::takeTabStops() {
  const QList<Stop>& stops = top().paragraph.tabStops;
  if (tabStopsTaken_ || stops.size() < ParagraphFormat::kIntervalStops)
    return;
  if (const int step = evenStep(stops); step > 0) {
    tabStopsTaken_ = true;
    result_.setTabInterval(step / 20.0);
  }
}

ParagraphFormat RtfParser::paragraphOf(const Group& group) {
  // The stops that set the text's tab interval are no stops of its own.
  ParagraphFormat paragraph = group.paragraph;
  // Single spacing is single spacing, in lines or not.
  paragraph.lineSpacingMultiple = paragraph.lineSpacingMultiple && paragraph.lineSpacing != 0;
  if (paragraph.tabStops.size() >= ParagraphFormat::kIntervalStops &&
      evenStep(paragraph.tabStops) > 0)
    paragraph.tabStops.clear();
  return paragraph;
}

void RtfParser::paragraphEnd() {
  takeTabStops();
  character(u'\n');
  // The paragraph end's own format, found for it, holds the paragraph's.
  if (top().destination == Destination::Text)
    settleParagraph(currentFormat_->paragraph);
}

// A paragraph takes the format in effect at its end: where its characters
// were given another (a word that set it after some of its text, text in a
// group of its own format), they take the paragraph's.
void RtfParser::settleParagraph(const SharedParagraphFormat& wanted) {
  if (!out_)
    return;
  std::vector<RichText::Run>& runs = result_.runs_;
  const int end = int(out_ - reinterpret_cast<char16_t*>(result_.text_.data()));
  const int start = int(std::exchange(paragraphStart_, end));
  if (runs.empty() || start >= end)
    return;
  runs.back().length = end - runs.back().start;
  std::size_t first = runs.size();
  bool differs = false;
  while (first > 0 && runs[first - 1].start + runs[first - 1].length > start) {
    --first;
    differs = differs || !(runs[first].format.paragraph == wanted);
  }
  if (!differs)
    return;
  // The paragraph's first run may begin in the paragraph before.
  if (runs[first].start < start) {
    RichText::Run before = runs[first];
    before.length = start - before.start;
    runs[first].start = start;
    runs[first].length -= before.length;
    runs.insert(runs.begin() + std::ptrdiff_t(first), before);
    ++first;
  }
  for (std::size_t i = first; i < runs.size(); ++i)
    runs[i].format.paragraph = wanted;
  // Neighbours that now agree, the run before the paragraph among them,
  // become one.
  std::size_t kept = first > 0 ? first - 1 : 0;
  for (std::size_t i = kept + 1; i < runs.size(); ++i) {
    if (sameCharFormat(runs[kept].format, runs[i].format))
      runs[kept].length += runs[i].length;
    else
      runs[++kept] = std::move(runs[i]);
  }
  runs.resize(kept + 1);
  formatDirty_ = true;
  runOpen_ = false;
}

} // namespace kr
