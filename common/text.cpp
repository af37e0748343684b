// Text forms shared by both programs.
#include "common/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Plain decimal digits of |value| with at most `digits` significant ones, no exponent.
std::string FormatSignificant(double value, int digits) {
  if (value == 0 || !std::isfinite(value)) return "0";
  char scientific[64];
  std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, std::fabs(value));
  std::string mantissa;
  const char* p = scientific;
  for (; *p && *p != 'e'; ++p)
    if (*p != '.') mantissa += *p;
  int exponent = std::atoi(p + 1);
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  int pointAt = exponent + 1;  // digits before the decimal point
  if (pointAt <= 0) {
    std::string fraction(1, '.');
    fraction.append(static_cast<size_t>(-pointAt), '0');
    return fraction + mantissa;
  }
  if (pointAt >= static_cast<int>(mantissa.size()))
    return mantissa + std::string(pointAt - mantissa.size(), '0');
  return mantissa.substr(0, pointAt) + "." + mantissa.substr(pointAt);
}

std::string SignedForm(double value, const std::string& digits) {
  if (digits == "0") return " 0";
  return (value < 0 ? "-" : " ") + digits;
}

}  // namespace

std::string NumberToText(double value) {
  return SignedForm(value, FormatSignificant(value, 15));
}

std::string SingleToText(float value) {
  return SignedForm(value, FormatSignificant(value, 7));
}

std::string NumberPrintText(double value) { return NumberToText(value) + " "; }

double TextToNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  std::string number;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) number += text[i++];
  bool anyDigit = false;
  while (i < text.size() && IsDigit(text[i])) { number += text[i++]; anyDigit = true; }
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    while (i < text.size() && IsDigit(text[i])) { number += text[i++]; anyDigit = true; }
  }
  if (!anyDigit) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::string exponent = "e";
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) exponent += text[j++];
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) exponent += text[j++];
      number += exponent;
    }
  }
  double value = std::strtod(number.c_str(), nullptr);
  return std::isfinite(value) ? value : 0;
}

int32_t RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  double rounded = std::nearbyint(value);  // the default rounding mode sends halves to even
  if (rounded >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (rounded <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(rounded);
}

int32_t TextToWholeNumber(const std::string& text) { return RoundHalfEven(TextToNumber(text)); }

std::string UpperCase(const std::string& text) {
  std::string result = text;
  for (char& c : result) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    // ä ö ü é ñ å ç of code page 437 and their capitals
    else if (b == 0x84) b = 0x8E;
    else if (b == 0x94) b = 0x99;
    else if (b == 0x81) b = 0x9A;
    else if (b == 0x82) b = 0x90;
    else if (b == 0xA4) b = 0xA5;
    else if (b == 0x86) b = 0x8F;
    else if (b == 0x87) b = 0x80;
    c = static_cast<char>(b);
  }
  return result;
}

std::vector<std::string> SplitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end = text.find(separator); end != std::string::npos; end = text.find(separator, start)) {
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string FitLeft(const std::string& text, int width) {
  if (width <= 0) return "";
  std::string result = text.substr(0, width);
  result.resize(width, ' ');
  return result;
}

std::string FitRight(const std::string& text, int width) {
  if (width <= 0) return "";
  return Right(std::string(width, ' ') + text, width);
}

std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with) {
  if (what.empty()) return text;
  std::string result;
  size_t from = 0;
  for (size_t at; (at = text.find(what, from)) != std::string::npos; from = at + what.size())
    result += text.substr(from, at - from) + with;
  return result + text.substr(from);
}

std::string Mid(const std::string& text, int64_t start, int64_t count) {
  if (start < 1 || count <= 0 || start > static_cast<int64_t>(text.size())) return "";
  return text.substr(start - 1, count);
}

std::string Right(const std::string& text, int64_t count) {
  if (count <= 0) return "";
  if (count >= static_cast<int64_t>(text.size())) return text;
  return text.substr(text.size() - count);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

size_t FindByte(const char* text, size_t size, char c) {
  const void* found = std::memchr(text, c, size);
  return found ? static_cast<size_t>(static_cast<const char*>(found) - text) : size;
}

std::string_view TrimmedView(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool LastDigitRun(std::string_view text, size_t& first, size_t& end) {
  size_t last = text.find_last_of("0123456789");
  if (last == std::string_view::npos) return false;
  first = last;
  while (first > 0 && IsDigit(text[first - 1])) --first;
  end = last + 1;
  return true;
}
