// MarkBytePairs on x86-64, whose every processor compares 16 bytes in one SSE2 instruction.
#include <emmintrin.h>

#include <cstring>

#include "platform/bytes.h"

namespace {

// The pairs among the 64 bytes from `from`, which has at least 64 + far bytes.
uint64_t PairsOf64(const char* from, __m128i first, __m128i second, size_t near, size_t far) {
  uint64_t bits = 0;
  for (size_t part = 0; part < 64; part += 16) {
    auto load = [&](size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + part + at)); };
    __m128i followed = _mm_or_si128(_mm_cmpeq_epi8(load(near), second), _mm_cmpeq_epi8(load(far), second));
    __m128i pairs = _mm_and_si128(_mm_cmpeq_epi8(load(0), first), followed);
    bits |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(pairs))) << part;
  }
  return bits;
}

}  // namespace

void MarkBytePairs(std::string_view text, char first, char second, size_t near, size_t far, uint64_t* map) {
  const __m128i firsts = _mm_set1_epi8(first), seconds = _mm_set1_epi8(second);
  size_t size = text.size(), word = 0;
  for (; word * 64 + 64 + far <= size; ++word) map[word] = PairsOf64(text.data() + word * 64, firsts, seconds, near, far);
  // The last words, whose second bytes would be read past the text, from a copy padded with a
  // byte that is not second: nothing is paired with the padding, nor marked in it.
  const char pad = static_cast<char>(~second);
  for (; word < ByteMapWords(size); ++word) {
    char padded[64 + 2 * kMostPairDistance];
    size_t base = word * 64, count = size - base < sizeof padded ? size - base : sizeof padded;
    std::memset(padded, pad, sizeof padded);
    std::memcpy(padded, text.data() + base, count);
    map[word] = PairsOf64(padded, firsts, seconds, near, far);
  }
}
