// MarkBytePairs for any processor: a byte at a time.
#include "platform/bytes.h"

void MarkBytePairs(std::string_view text, char first, char second, size_t near, size_t far, uint64_t* map) {
  size_t size = text.size();
  for (size_t word = 0; word < ByteMapWords(size); ++word) map[word] = 0;
  for (size_t i = 0; i < size; ++i)
    if (text[i] == first && ((i + near < size && text[i + near] == second) || (i + far < size && text[i + far] == second)))
      map[i / 64] |= uint64_t{1} << (i % 64);
}
