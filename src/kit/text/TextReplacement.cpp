#include "kit/text/TextReplacement.h"

#include <QString>
#include <QTextDocument>

namespace kr {

QTextCursor replaceAsOneStep(QTextDocument* document, int from, int to, const QString& text) {
  QTextCursor edit(document);
  edit.setPosition(from);
  edit.setPosition(to, QTextCursor::KeepAnchor);
  edit.beginEditBlock();
  edit.insertText(text);
  edit.endEditBlock();
  return edit;
}

} // namespace kr
