#include "stats/JavaScriptSource.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace kr {

namespace {

constexpr double kLowestPlainMagnitude = 1e-4;
constexpr double kFirstExponentMagnitude = 9007199254740992.0; // 2^53

// The shortest digits that read back as the value, with the decimal exponent
// of the first digit: 12.5 gives "125" and 1.
struct ShortestDigits {
  std::string digits;
  int exponent = 0;
};

ShortestDigits shortestDigits(double magnitude) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
  const std::string text(buffer, result.ptr);
  const std::size_t e = text.find('e');
  ShortestDigits out;
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.')
      out.digits += text[i];
  }
  out.exponent = std::atoi(text.c_str() + e + 1);
  return out;
}

std::string plainForm(const ShortestDigits& d) {
  const int pointAt = d.exponent + 1; // digits before the decimal point
  std::string out;
  if (pointAt <= 0) {
    out = "0." + std::string(std::size_t(-pointAt), '0') + d.digits;
  } else if (std::size_t(pointAt) >= d.digits.size()) {
    out = d.digits + std::string(std::size_t(pointAt) - d.digits.size(), '0') + ".0";
  } else {
    out = d.digits.substr(0, std::size_t(pointAt)) + "." + d.digits.substr(std::size_t(pointAt));
  }
  return out;
}

std::string exponentForm(const ShortestDigits& d) {
  std::string out = d.digits.substr(0, 1);
  if (d.digits.size() > 1)
    out += "." + d.digits.substr(1);
  char exponent[16];
  std::snprintf(exponent, sizeof exponent, "e%c%02d", d.exponent < 0 ? '-' : '+',
                std::abs(d.exponent));
  return out + exponent;
}

} // namespace

QString javaScriptNumber(double value) {
  if (std::isnan(value))
    return QStringLiteral("NaN");
  if (std::isinf(value))
    return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
  if (value == 0.0)
    return std::signbit(value) ? QStringLiteral("-0.0") : QStringLiteral("0.0");
  const double magnitude = std::fabs(value);
  const ShortestDigits digits = shortestDigits(magnitude);
  const bool plain = magnitude >= kLowestPlainMagnitude && magnitude < kFirstExponentMagnitude;
  const std::string text =
      (value < 0 ? "-" : "") + (plain ? plainForm(digits) : exponentForm(digits));
  return QString::fromStdString(text);
}

QString asJavaScriptSource(const std::vector<double>& numbers) {
  if (numbers.empty())
    return QStringLiteral("[]");
  QString out = QStringLiteral("[ ");
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0)
      out += u',';
    out += javaScriptNumber(numbers[i]);
  }
  return out + QStringLiteral(" ]");
}

QString asJavaScriptSource(const QStringList& texts) {
  if (texts.isEmpty())
    return QStringLiteral("[]");
  QString out = QStringLiteral("[ ");
  for (qsizetype i = 0; i < texts.size(); ++i) {
    if (i > 0)
      out += u',';
    out += u'\'' + texts[i] + u'\'';
  }
  return out + QStringLiteral(" ]");
}

} // namespace kr
