// Finding where one byte is followed, a set distance on, by another in a long line, many bytes
// a step with what the processor offers.
#pragma once

#include <cstdint>
#include <string_view>

// The words MarkBytePairs fills for text of this size: one bit a byte.
inline size_t ByteMapWords(size_t size) { return (size + 63) / 64; }
// The farthest a second byte may stand from its first.
inline constexpr size_t kMostPairDistance = 32;
// Sets bit i % 64 of map[i / 64] where text[i] is first and text[i + near] or text[i + far] is
// second, and clears every other bit of the ByteMapWords(text.size()) words of map. A distance
// that reaches past the text finds nothing. 0 < near, far <= kMostPairDistance.
void MarkBytePairs(std::string_view text, char first, char second, size_t near, size_t far, uint64_t* map);
