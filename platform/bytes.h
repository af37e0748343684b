// Finding one byte value in a long line many bytes a step, with what the processor offers.
#pragma once

#include <cstdint>
#include <string_view>

// The words MarkByte fills for text of this size: one bit a byte.
inline size_t ByteMapWords(size_t size) { return (size + 63) / 64; }
// Sets bit i % 64 of map[i / 64] where text[i] is c and clears every other bit of the
// ByteMapWords(text.size()) words of map.
void MarkByte(std::string_view text, char c, uint64_t* map);
