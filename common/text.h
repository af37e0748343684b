// Text forms shared by both programs: numbers as text and back, rounding,
// upper-casing with the code-page-437 letters, and fitting to a width.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// " 40.5", "-105.25", " .5", "-.25": a blank or minus sign, at most 15 significant digits.
std::string NumberToText(double value);
// The same form for single-precision values, with at most 7 significant digits.
std::string SingleToText(float value);
// A number as the console prints it and files store it: NumberToText plus one blank.
std::string NumberPrintText(double value);
// The leading decimal number after blanks, tabs and line breaks; 0 when there is none.
double TextToNumber(const std::string& text);
// Nearest whole number, halves to the even neighbour, clamped to 32 bits.
int32_t RoundHalfEven(double value);
// The leading number of text taken as a whole number: RoundHalfEven(TextToNumber(text)).
int32_t TextToWholeNumber(const std::string& text);

std::string UpperCase(const std::string& text);
// Leading and trailing blanks (the space character only) removed.
std::string TrimBlanks(const std::string& text);
// The parts of text between separators: "a,,b" gives "a", "", "b"; "" gives one empty part.
std::vector<std::string> SplitOn(const std::string& text, char separator);
// The text without leading and trailing blanks, as a view of it.
std::string_view TrimmedView(std::string_view text);
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// The first and one past the last position of the last run of digits in text ("UA3ABC": 2, 3);
// false when text has no digit. A call's area digit, its prefix before it.
bool LastDigitRun(std::string_view text, size_t& first, size_t& end);
// Left-aligned: text followed by width blanks, cut to width.
std::string FitLeft(const std::string& text, int width);
// Right-aligned: the last width characters of width blanks followed by text.
std::string FitRight(const std::string& text, int width);
// Every occurrence of what replaced by with, in one pass from the left.
std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with);
// Characters from position start (counted from 1), at most count of them; never out of bounds.
std::string Mid(const std::string& text, int64_t start, int64_t count);
std::string Right(const std::string& text, int64_t count);
bool EndsWith(const std::string& text, const std::string& tail);
bool Contains(const std::string& text, const std::string& part);
// The offset of the first byte c in text[0, size), or size when there is none.
size_t FindByte(const char* text, size_t size, char c);
