// ADIF's band table.
#include "monitor/bands.h"

#include <array>
#include <iterator>

#include "common/text.h"

namespace {

struct Band {
  std::string_view name;
  double lower, upper;    // MHz, both edges in the band
};

constexpr Band kBands[] = {
    {"2190m", .1357, .1378},    {"630m", .472, .479},      {"560m", .501, .504},       {"160m", 1.8, 2.0},
    {"80m", 3.5, 4.0},          {"60m", 5.06, 5.45},       {"40m", 7.0, 7.3},          {"30m", 10.1, 10.15},
    {"20m", 14.0, 14.35},       {"17m", 18.068, 18.168},   {"15m", 21.0, 21.45},       {"12m", 24.890, 24.99},
    {"10m", 28.0, 29.7},        {"8m", 40.0, 45.0},        {"6m", 50.0, 54.0},         {"5m", 54.000001, 69.9},
    {"4m", 70.0, 71.0},         {"2m", 144.0, 148.0},      {"1.25m", 222.0, 225.0},    {"70cm", 420.0, 450.0},
    {"33cm", 902.0, 928.0},     {"23cm", 1240.0, 1300.0},  {"13cm", 2300.0, 2450.0},   {"9cm", 3300.0, 3500.0},
    {"6cm", 5650.0, 5925.0},    {"3cm", 10000.0, 10500.0}, {"1.25cm", 24000.0, 24250.0}, {"6mm", 47000.0, 47200.0},
    {"4mm", 75500.0, 81000.0},  {"2.5mm", 119980.0, 123000.0}, {"2mm", 134000.0, 149000.0}, {"1mm", 241000.0, 250000.0},
    {"submm", 300000.0, 7500000.0},
};

constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// A name of up to eight bytes as one number, in lower case, so that a band is named in one
// comparison; 0 for a longer or empty name, which names no band.
constexpr uint64_t NameKey(std::string_view name) {
  if (name.empty() || name.size() > 8) return 0;
  uint64_t key = 0;
  for (char c : name) key = key << 8 | static_cast<unsigned char>(Lower(c));
  return key;
}

constexpr auto kBandKeys = [] {
  std::array<uint64_t, std::size(kBands)> keys{};
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = NameKey(kBands[i].name);
  return keys;
}();

// Every band's key has a place of its own among 256, found by one multiplication with a
// multiplier chosen here, at build time, so that no two keys share a place: a contact's band
// is named with one look and one comparison, not a pass over the table.
constexpr size_t PlaceOf(uint64_t key, uint64_t multiplier) { return static_cast<size_t>(key * multiplier >> 56); }

constexpr uint64_t kPlaceMultiplier = [] {
  for (uint64_t multiplier = 0x9e3779b97f4a7c15ull;; multiplier = (multiplier * 6364136223846793005ull + 1) | 1) {
    std::array<bool, 256> taken{};
    bool clash = false;
    for (uint64_t key : kBandKeys) {
      clash = clash || taken[PlaceOf(key, multiplier)];
      taken[PlaceOf(key, multiplier)] = true;
    }
    if (!clash) return multiplier;
  }
}();

constexpr auto kBandOfPlace = [] {
  std::array<int8_t, 256> bands{};
  bands.fill(kNoBand);
  for (size_t i = 0; i < kBandKeys.size(); ++i) bands[PlaceOf(kBandKeys[i], kPlaceMultiplier)] = static_cast<int8_t>(i);
  return bands;
}();

}  // namespace

int BandOfMegahertz(double megahertz) {
  for (size_t i = 0; i < std::size(kBands); ++i)
    if (megahertz >= kBands[i].lower && megahertz <= kBands[i].upper) return static_cast<int>(i);
  return kNoBand;
}

int BandNamed(std::string_view name) {
  uint64_t key = NameKey(name);
  int band = kBandOfPlace[PlaceOf(key, kPlaceMultiplier)];
  return key != 0 && band != kNoBand && kBandKeys[band] == key ? band : kNoBand;
}

const char* BandName(int band) {
  return band >= 0 && band < static_cast<int>(std::size(kBands)) ? kBands[band].name.data() : "";
}

BandSet BandsOfContact(std::string_view band, std::string_view frequency) {
  int named = BandNamed(band);
  if (named == kNoBand && !frequency.empty()) named = BandOfMegahertz(TextToNumber(std::string(frequency)));
  return BandBit(named);
}
