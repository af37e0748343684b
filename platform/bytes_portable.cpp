// MarkByte for any processor: a byte at a time, which the compiler may widen.
#include "platform/bytes.h"

void MarkByte(std::string_view text, char c, uint64_t* map) {
  for (size_t word = 0; word < ByteMapWords(text.size()); ++word) map[word] = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == c) map[i / 64] |= uint64_t{1} << (i % 64);
}
