#pragma once

#include <QTextCursor>

class QString;
class QTextDocument;

namespace kr {

// Replaces [from, to) of `document` by `text`, in the format of the replaced
// text, as one undo step. The cursor returned stands after the new text.
QTextCursor replaceAsOneStep(QTextDocument* document, int from, int to, const QString& text);

} // namespace kr
