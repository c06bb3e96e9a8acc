#pragma once

#include "platform/RichText.h"

#include <QByteArray>

namespace kr {

// Writes rich text as plain RTF that other readers accept: a font table and
// a colour table, each run in a group of its own carrying its attributes,
// links as HYPERLINK fields, attachments as \NeXTGraphic groups naming their
// file. Non-ASCII characters are written as \uN followed by a Windows-1252
// fallback byte, or "?" where that code page has none.
class RtfWriter {
public:
  static QByteArray write(const RichText& text);
};

} // namespace kr
