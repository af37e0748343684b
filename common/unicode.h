// Text from outside (QRZ station fields) as characters: UTF-8 when it is valid UTF-8,
// otherwise ISO-8859-1. Kept as bytes inside; decoded only to fit a column or to show it.
#pragma once

#include <string>

bool IsValidUtf8(const std::string& text);
bool IsAscii(const std::string& text);
// The characters of text, UTF-8 when valid, otherwise one character per byte (ISO-8859-1).
std::u32string DecodeCharacters(const std::string& text);
void AppendUtf8(std::string& out, char32_t character);
// Left-aligned in width characters, as UTF-8: cut by characters, never inside one.
std::string FitCharactersLeft(const std::string& text, int width);
// The same, appended to out (a row is built of many).
void AppendFittedCharacters(std::string& out, const std::string& text, int width);
// The first count characters of UTF-8 text.
std::string FirstCharacters(const std::string& utf8, size_t count);
