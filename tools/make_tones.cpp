// make_tones: writes the two alert sounds, DXAlert.wav and StationAlert.wav, into a folder.
//   make_tones FOLDER
#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;

struct Note {
  double hertz;  // 0 for silence
  double seconds;
};

void AppendNote(std::vector<int16_t>& samples, const Note& note) {
  int count = static_cast<int>(note.seconds * kRate);
  int fade = kRate / 200;  // 5 ms in and out, so the tone starts and stops without a click
  for (int i = 0; i < count; ++i) {
    double envelope = std::min({1.0, i / static_cast<double>(fade), (count - i) / static_cast<double>(fade)});
    double value = note.hertz > 0 ? std::sin(2 * std::numbers::pi * note.hertz * i / kRate) * envelope : 0;
    samples.push_back(static_cast<int16_t>(value * 12000));
  }
}

void PutLittleEndian(std::FILE* file, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), file);
}

bool WriteWave(const std::string& path, const std::vector<Note>& notes) {
  std::vector<int16_t> samples;
  for (const Note& note : notes) AppendNote(samples, note);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::fputs("RIFF", file);
  PutLittleEndian(file, 36 + dataBytes, 4);
  std::fputs("WAVEfmt ", file);
  PutLittleEndian(file, 16, 4);        // format chunk size
  PutLittleEndian(file, 1, 2);         // PCM
  PutLittleEndian(file, 1, 2);         // mono
  PutLittleEndian(file, kRate, 4);
  PutLittleEndian(file, kRate * 2, 4);  // bytes per second
  PutLittleEndian(file, 2, 2);         // bytes per sample
  PutLittleEndian(file, 16, 2);        // bits per sample
  std::fputs("data", file);
  PutLittleEndian(file, dataBytes, 4);
  for (int16_t sample : samples) PutLittleEndian(file, static_cast<uint16_t>(sample), 2);
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_tones FOLDER\n");
    return 2;
  }
  std::string folder = argv[1];
  // New DX: a rising pair. A station calling: three quick beeps.
  bool written = WriteWave(folder + "/DXAlert.wav", {{880, 0.15}, {1320, 0.3}}) &&
                 WriteWave(folder + "/StationAlert.wav", {{660, 0.1}, {0, 0.05}, {660, 0.1}, {0, 0.05}, {660, 0.1}});
  return written ? 0 : 1;
}
