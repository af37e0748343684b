// Callsign lookup and the station record.
#include "monitor/qrz/lookup.h"

#include "common/text.h"
#include "monitor/geo.h"
#include "monitor/globals.h"
#include "monitor/qrz/reply.h"
#include "monitor/qrz/session.h"

namespace {

struct TagField {
  const char* tag;
  std::string StationRecord::*field;
};

constexpr TagField kTagFields[] = {
    {"call", &StationRecord::call},       {"name_fmt", &StationRecord::name_fmt}, {"addr1", &StationRecord::addr1},
    {"addr2", &StationRecord::addr2},     {"state", &StationRecord::state},       {"zip", &StationRecord::zip},
    {"dxcc", &StationRecord::dxcc},       {"country", &StationRecord::country},   {"ccode", &StationRecord::ccode},
    {"lat", &StationRecord::lat},         {"lon", &StationRecord::lon},           {"grid", &StationRecord::grid},
    {"county", &StationRecord::county},   {"fips", &StationRecord::fips},         {"land", &StationRecord::land},
    {"efdate", &StationRecord::efdate},   {"expdate", &StationRecord::expdate},   {"class", &StationRecord::class_},
    {"email", &StationRecord::email},     {"cqzone", &StationRecord::cqzone},     {"ituzone", &StationRecord::ituzone},
};


void AddBearingAndDistance(StationRecord& record) {
  if (record.lat.empty() || record.lon.empty()) return;
  double distance = 0, bearing = 0;
  BearingAndDistance(glb_MyLatitude, glb_MyLongitude, TextToNumber(record.lat), TextToNumber(record.lon), distance,
                     bearing);
  record.bearing = NumberToText(bearing);
  record.distance = NumberToText(distance);
}

}  // namespace

void StationFromReply(const std::string& reply, StationRecord& record) {
  for (const TagField& tagField : kTagFields) {
    std::string& field = record.*tagField.field;
    if (TagValue(reply, tagField.tag, field)) field = DecodeXmlText(field);
  }
  record.state = UpperCase(record.state);
  AddBearingAndDistance(record);
}

LookupResult LookupCallsign(std::string& callsign, StationRecord& record, std::string& errorText) {
  record = StationRecord{};
  errorText.clear();
  std::string reply, failure;
  DownloadStatus status = FetchReply(
      QrzXmlBase() + "/xml/current/?s=" + PercentEncoded(glb_QRZSessionKey) + ";callsign=" + PercentEncoded(callsign),
      reply, failure);
  if (status != DownloadStatus::kDone) {
    errorText = failure;
    return status == DownloadStatus::kUnreachable ? LookupResult::kServiceDown : LookupResult::kFailed;
  }
  if (Contains(reply, "<Error>Not found:")) {
    errorText = kCallNotFound;
    record.call = callsign;
    record.name_fmt = "Call Sign Not Found!";
    return LookupResult::kNotFound;
  }
  // Any other error renews the session for the lookups to come; this one is asked again later.
  if (Contains(reply, "<Error>")) {
    RenewSessionKey(glb_QRZSessionKey, errorText);
    return errorText.empty() ? LookupResult::kFailed : LookupResult::kServiceDown;
  }
  if (!Contains(reply, "<Callsign>")) {
    errorText = kNoReply;
    return LookupResult::kFailed;
  }
  StationFromReply(reply, record);
  if (!record.call.empty()) callsign = record.call;
  return LookupResult::kStation;
}
