#pragma once

#include <QString>

namespace kr {

// A small guess at the language of a short text from its common words, enough
// to tell English from the other languages a voice may speak.
class TextLanguage {
public:
  // "en", "de", "fr", "es", "it", "nl", or "" when the text gives no hint.
  static QString guess(const QString& text);
};

} // namespace kr
