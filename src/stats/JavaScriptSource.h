#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace kr {

// Script literals for the chart pages.
//
// Numbers: "[]" when empty, else "[ 0.0,90.0,12.5 ]": each number in the
// shortest decimal form that reads back as the same double, whole numbers with
// ".0", and the exponent form ("1e-05", "1e+16") outside 1e-4 <= |x| < 2^53.
// A value that is not finite is written as the script's own NaN or Infinity.
QString asJavaScriptSource(const std::vector<double>& numbers);
// Texts: "[]" when empty, else "[ 'Monday','Tuesday' ]". Not escaped.
QString asJavaScriptSource(const QStringList& texts);
// One number as the arrays write it.
QString javaScriptNumber(double value);

} // namespace kr
