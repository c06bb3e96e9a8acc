#pragma once

#include <QString>

namespace kr {

// Text as one console line shows it: control characters (C0 and C1, DEL,
// the line and paragraph separators, direction overrides and isolates),
// which could end the line or drive the terminal, become "\xNN" or
// "\uNNNN". With `keepLineBreaks`, "\n" stays. Every line this program
// writes to the console goes through it (qn_log() and platformLog() apply
// it to the whole line), so that text from outside (links, command lines,
// file names, script output) cannot choose what the terminal does.
QString consoleSafe(const QString& text, bool keepLineBreaks = false);

} // namespace kr
