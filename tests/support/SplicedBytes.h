#pragma once

#include <QByteArray>

#include <gtest/gtest.h>

namespace kr::test {

// One past the end of the RTF group that opens at `start`.
inline qsizetype groupEnd(const QByteArray& rtf, qsizetype start) {
  int depth = 0;
  for (qsizetype i = start; i < rtf.size(); ++i) {
    if (rtf[i] == '\\')
      ++i; // an escaped brace opens or closes nothing
    else if ((depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0) == 0)
      return i + 1;
  }
  return rtf.size();
}

// Whether `now` is `before` with a text spliced in after it: every byte of
// `before` up to its closing brace is there, in its place, but for the fonts
// and colours added at the ends of its tables, and a group of its own follows.
inline ::testing::AssertionResult splicedAfter(const QByteArray& before, const QByteArray& now) {
  // The new group opens "{\pard\plain\uc1 ", or "{\par \pard..." where
  // it ends the document's last paragraph first.
  qsizetype added = now.lastIndexOf("{\\pard\\plain\\uc1 ");
  if (const qsizetype ended = now.lastIndexOf("{\\par \\pard\\plain\\uc1 "); ended > added)
    added = ended;
  QByteArray kept = now.left(added);
  const QByteArray old = before.left(before.lastIndexOf('}'));
  for (const char* table : {"{\\fonttbl", "{\\colortbl", "{\\*\\expandedcolortbl"}) {
    const qsizetype at = kept.indexOf(table);
    const qsizetype was = old.indexOf(table);
    if (at < 0)
      continue;
    // What the splice added at the table's end, or the whole table it added.
    const qsizetype from = was < 0 ? at : at + groupEnd(old, was) - 1 - was;
    kept.remove(from, groupEnd(kept, at) - (was < 0 ? 0 : 1) - from);
  }
  if (added < 0 || kept != old)
    return ::testing::AssertionFailure() << "the bytes before the new text changed";
  return ::testing::AssertionSuccess();
}

} // namespace kr::test
