// Amateur bands as ADIF names them, by their edges in MHz: the band of a dial frequency and
// of a logged contact, and sets of bands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using BandSet = uint64_t;  // a bit for each band of the table
inline constexpr BandSet kEveryBand = ~BandSet{0};
inline constexpr int kNoBand = -1;

// The band a frequency in MHz falls in; kNoBand when it falls in none.
int BandOfMegahertz(double megahertz);
// The band of an ADIF band name ("20m", "20M", "70cm"); kNoBand when it names none.
int BandNamed(std::string_view name);
// "20m", "70cm": the band's name as ADIF writes it.
const char* BandName(int band);
inline BandSet BandBit(int band) { return band == kNoBand ? kEveryBand : BandSet{1} << band; }
// The bands a logged contact counts on: its band field, else the band of its freq field (MHz);
// every band when it has neither, so that it never makes a band look new.
BandSet BandsOfContact(std::string_view band, std::string_view frequency);
