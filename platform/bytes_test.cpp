#include "platform/bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Every place of the byte is marked, at the ends of 16- and 64-byte steps and in a short tail.
TEST(MarkByte, MarksEveryPlaceOfTheByteAndNothingElse) {
  for (size_t size : {0, 1, 15, 16, 17, 63, 64, 65, 127, 128, 200}) {
    std::string text(size, 'x');
    for (size_t at : {0, 15, 16, 63, 64, 65, 127, 199})
      if (at < size) text[at] = '<';
    std::vector<uint64_t> map(ByteMapWords(size) + 1, ~uint64_t{0});
    MarkByte(text, '<', map.data());
    for (size_t i = 0; i < size; ++i)
      EXPECT_EQ((map[i / 64] >> (i % 64)) & 1, text[i] == '<' ? 1u : 0u) << "size " << size << " at " << i;
    if (size % 64 != 0) {
      EXPECT_EQ(map[size / 64] >> (size % 64), 0u) << "bits past the end, size " << size;
    }
    EXPECT_EQ(map.back(), ~uint64_t{0}) << "a word past the map was written, size " << size;
  }
}
