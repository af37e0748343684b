// Decoding and fitting text that comes from outside.
#include "common/unicode.h"

#include <algorithm>

namespace {

// The length of the UTF-8 sequence that starts at text[at] and the character it holds;
// 0 when it is not a well-formed sequence (overlong forms and surrogates included).
size_t Utf8Sequence(const std::string& text, size_t at, char32_t& character) {
  unsigned char lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    character = lead;
    return 1;
  }
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
  character = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    character = (character << 6) | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  bool surrogate = character >= 0xD800 && character <= 0xDFFF;
  if (character < kSmallest[length] || character > 0x10FFFF || surrogate) return 0;
  return length;
}

}  // namespace

bool IsValidUtf8(const std::string& text) {
  char32_t character = 0;
  for (size_t at = 0; at < text.size();) {
    size_t length = Utf8Sequence(text, at, character);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::u32string DecodeCharacters(const std::string& text) {
  std::u32string characters;
  characters.reserve(text.size());
  if (!IsValidUtf8(text)) {
    for (char byte : text) characters += static_cast<unsigned char>(byte);
    return characters;
  }
  char32_t character = 0;
  for (size_t at = 0; at < text.size(); characters += character) at += Utf8Sequence(text, at, character);
  return characters;
}

void AppendUtf8(std::string& out, char32_t c) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;  // a UTF-16 half or no character at all
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

void AppendFittedCharacters(std::string& out, const std::string& text, int width) {
  if (width <= 0) return;
  size_t cells = static_cast<size_t>(width);
  if (IsAscii(text)) {  // a character a byte: most station text
    size_t kept = std::min(text.size(), cells);
    out.append(text, 0, kept);
    out.append(cells - kept, ' ');
    return;
  }
  std::u32string characters = DecodeCharacters(text);
  characters.resize(cells, U' ');
  for (char32_t c : characters) AppendUtf8(out, c);
}

std::string FitCharactersLeft(const std::string& text, int width) {
  std::string fitted;
  AppendFittedCharacters(fitted, text, width);
  return fitted;
}

std::string FirstCharacters(const std::string& utf8, size_t count) {
  if (IsAscii(utf8)) return utf8.substr(0, count);
  size_t at = 0;
  char32_t character;
  for (size_t n = 0; n < count && at < utf8.size(); ++n) {
    size_t length = Utf8Sequence(utf8, at, character);
    at += length == 0 ? 1 : length;
  }
  return utf8.substr(0, at);
}
