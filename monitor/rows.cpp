// Building the table rows.
#include "monitor/rows.h"

#include <algorithm>

#include "common/text.h"
#include "common/unicode.h"

namespace {

struct Band {
  const char* prefix;
  const char* ending;
};

constexpr Band kBands[] = {
    {"1.", " 160m]"}, {"3.", "  80m]"}, {"7.", "  40m]"}, {"10.", "  30m]"}, {"14.", "  20m]"},
    {"18.", "  17m]"}, {"21.", "  15m]"}, {"24.", "  12m]"}, {"28.", "  10m]"}, {"50.", "   6m]"},
};

constexpr int kSeparatorDashes = 58;


// The United States, Alaska and Hawaii count as home, whatever the operator's own entity.
bool IsHomeEntity(double dxcc) { return dxcc == 291 || dxcc == 6 || dxcc == 110; }

void PushRow(ScreenRows& screenRows, const std::string& row) {
  for (int i = kScreenRowCount; i > 1; --i) screenRows[i] = std::move(screenRows[i - 1]);
  screenRows[1] = row;
}

void AppendCityAndCountry(std::string& row, const CacheEntry& station) {
  if (station.name == kNotFoundName) {
    row.append(50, ' ');
    return;
  }
  // A failed lookup knows no city: the country its prefix names.
  AppendFittedCharacters(row, station.city.empty() && station.name == kLookupFailedName ? station.country
                                                                                          : station.city + "/" + station.country,
                         48);
  row.append(2, ' ');
}

// The row of every slot that holds the call (several slots may: their segments then make one
// row), or of the call's failed lookup in this batch.
std::string RowOfCaller(const CallEntry& caller, const LookupCache& lookupCache, const ConfirmedList& confirmedList,
                        const WorkedList& workedList, const BandClass& byBand) {
  std::string row;
  for (int k = 1; k <= kCacheSize; ++k)
    if (SameCall(lookupCache.entry[k].call, caller.call))
      row += StationRow(lookupCache.entry[k], caller.kind, confirmedList, workedList, byBand);
  for (const CacheEntry& failed : lookupCache.failed)
    if (row.empty() && failed.call == caller.call) row = StationRow(failed, caller.kind, confirmedList, workedList, byBand);
  return row;
}

// DX by its confirmed bands: confirmed on this band, on others only, or on none.
std::string DxCode(double dxcc, const ConfirmedList& confirmedList, const BandClass& byBand) {
  auto at = std::find(confirmedList.begin(), confirmedList.end(), dxcc);
  if (at == confirmedList.end()) return kUnconfirmedDx;
  size_t index = static_cast<size_t>(at - confirmedList.begin());
  if (!byBand.confirmedBands || byBand.band == kNoBand || index >= byBand.confirmedBands->size()) return kConfirmedDx;
  return ((*byBand.confirmedBands)[index] & BandBit(byBand.band)) ? kConfirmedDx : kNewBand;
}

}  // namespace

std::string StatusCode(const CacheEntry& station, CallerKind kind, const ConfirmedList& confirmedList,
                       const WorkedList& workedList, const BandClass& byBand) {
  // A station calling the operator matters whatever QRZ says of it.
  if (kind == CallerKind::kCallingMe) return kCallingMe;
  std::string code;
  double dxcc = TextToNumber(station.dxcc);
  // An entity that neither QRZ nor the country file knows is no DX to alert for.
  if (IsHomeEntity(dxcc) || dxcc <= 0 || Contains(station.name, "Not Found")) {
    code = kHomeOrNotFound;
  } else {
    code = DxCode(dxcc, confirmedList, byBand);
  }
  bool worked = byBand.confirmedBands ? IsWorkedOnBand(workedList, station.call, byBand.band)
                                      : IsWorked(workedList, station.call);
  return worked ? kWorkedBefore : code;
}

std::string StationRow(const CacheEntry& station, CallerKind kind, const ConfirmedList& confirmedList,
                       const WorkedList& workedList, const BandClass& byBand) {
  std::string row;
  row.reserve(kRowTextWidth + 2);
  row.append(2, ' ');
  AppendFittedCharacters(row, station.call, 11);
  AppendFittedCharacters(row, station.name, 25);
  row.append(2, ' ');
  AppendCityAndCountry(row, station);
  AppendFittedCharacters(row, station.dxcc, 6);
  AppendFittedCharacters(row, station.state, 7);
  AppendFittedCharacters(row, station.bearing, 12);
  AppendFittedCharacters(row, station.distance, 12);
  row += FitRight(std::to_string(station.count), 3);
  row += StatusCode(station, kind, confirmedList, workedList, byBand);
  return row;
}

int BandOfDialFrequency(const std::string& dialFrequency) {
  return dialFrequency.empty() ? kNoBand : BandOfMegahertz(TextToNumber(dialFrequency));
}

std::string BandLabel(const std::string& stamp, const std::string& dialFrequency) {
  for (const Band& band : kBands)
    if (dialFrequency.rfind(band.prefix, 0) == 0) return "[" + stamp + band.ending;
  // Every other band ADIF names, right-aligned in the same five columns.
  int band = BandOfDialFrequency(dialFrequency);
  if (band == kNoBand) return "[" + stamp + "]";
  std::string name = BandName(band);
  return "[" + stamp + std::string(name.size() < 5 ? 5 - name.size() : 0, ' ') + name + "]";
}

std::string SeparatorRow(const std::string& stamp, const std::string& dialFrequency) {
  std::string dashes(kSeparatorDashes, '-');
  return dashes + BandLabel(stamp, dialFrequency) + dashes;
}

void RenderRows(const CallTable& callTable, ScreenRows& screenRows, const LookupCache& lookupCache,
                const ConfirmedList& confirmedList, const WorkedList& workedList, std::string& lastDecodeStamp,
                const std::string& dialFrequency, const ConfirmedBands* byBandSlots) {
  // Off the bands a row is classed band-blind, as without the option.
  int band = BandOfDialFrequency(dialFrequency);
  BandClass byBand{byBandSlots && band != kNoBand ? byBandSlots : nullptr, band};
  // Stations calling the operator end on top of the period's rows, the CQs below them.
  for (CallerKind kind : {CallerKind::kCq, CallerKind::kCallingMe}) {
    for (int i = 1; i <= callTable.count; ++i) {
      if (callTable.entry[i].kind != kind) continue;
      std::string row = RowOfCaller(callTable.entry[i], lookupCache, confirmedList, workedList, byBand);
      if (!TrimBlanks(row.substr(0, kRowTextWidth)).empty()) PushRow(screenRows, row);
    }
  }
  if (lastDecodeStamp.empty()) lastDecodeStamp = std::string(13, ' ');
  PushRow(screenRows, SeparatorRow(lastDecodeStamp, dialFrequency));
}
