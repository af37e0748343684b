// MarkByte on x86-64, whose every processor compares 16 bytes in one SSE2 instruction.
#include <emmintrin.h>

#include "platform/bytes.h"

void MarkByte(std::string_view text, char c, uint64_t* map) {
  const __m128i wanted = _mm_set1_epi8(c);
  size_t size = text.size();
  for (size_t word = 0; word < ByteMapWords(size); ++word) {
    size_t base = word * 64;
    uint64_t bits = 0;
    if (base + 64 <= size) {
      for (size_t part = 0; part < 4; ++part) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + base + 16 * part));
        uint64_t found = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
        bits |= found << (16 * part);
      }
    } else {
      for (size_t i = base; i < size; ++i)
        if (text[i] == c) bits |= uint64_t{1} << (i - base);
    }
    map[word] = bits;
  }
}
