#include "platform/bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Every "<" with a ":" 5 or 18 bytes on is marked and nothing else: pairs that cross 16- and
// 64-byte steps, a second byte that would stand past the text, and short tails.
TEST(MarkBytePairs, MarksEveryPairAndNothingElse) {
  struct Pair {
    size_t at, distance;  // a "<" at `at`, its ":" that far on (0: none)
  };
  const Pair pairs[] = {{0, 5}, {11, 18}, {12, 7}, {30, 0}, {50, 18}, {60, 5}, {80, 0}, {100, 5}, {121, 18}, {150, 5}};
  for (size_t size : {0, 1, 6, 15, 16, 17, 29, 30, 63, 64, 65, 68, 105, 127, 128, 139, 155, 156, 200}) {
    std::string text(size, 'x');
    for (const Pair& pair : pairs) {
      if (pair.at < size) text[pair.at] = '<';
      if (pair.distance != 0 && pair.at + pair.distance < size) text[pair.at + pair.distance] = ':';
    }
    std::vector<uint64_t> map(ByteMapWords(size) + 1, ~uint64_t{0});
    MarkBytePairs(text, '<', ':', 5, 18, map.data());
    for (size_t i = 0; i < size; ++i) {
      bool paired = text[i] == '<' && ((i + 5 < size && text[i + 5] == ':') || (i + 18 < size && text[i + 18] == ':'));
      EXPECT_EQ((map[i / 64] >> (i % 64)) & 1, paired ? 1u : 0u) << "size " << size << " at " << i;
    }
    if (size % 64 != 0) {
      EXPECT_EQ(map[size / 64] >> (size % 64), 0u) << "bits past the end, size " << size;
    }
    EXPECT_EQ(map.back(), ~uint64_t{0}) << "a word past the map was written, size " << size;
  }
}
