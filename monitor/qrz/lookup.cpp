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
    {"call", &StationRecord::call},       {"name_fmt", &StationRecord::name_fmt}, {"fname", &StationRecord::fname},
    {"name", &StationRecord::name},       {"addr1", &StationRecord::addr1},
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
  // Accounts without a subscription get no name_fmt: the first name and the name make it.
  if (record.name_fmt.empty()) record.name_fmt = TrimBlanks(record.fname + " " + record.name);
  // ASCII letters only: the state is UTF-8 now ("Niederösterreich").
  for (char& c : record.state)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  AddBearingAndDistance(record);
}

LookupResult LookupCallsign(std::string& callsign, StationRecord& record, std::string& errorText, bool mayRenew,
                            const DownloadLimits& limits) {
  record = StationRecord{};
  errorText.clear();
  std::string reply, failure;
  DownloadStatus status = FetchReply(
      QrzXmlBase() + "/xml/current/?s=" + PercentEncoded(glb_QRZSessionKey) + ";callsign=" + PercentEncoded(callsign),
      reply, failure, limits);
  // Out of reach, or a gateway's error after its long wait: the next caller would wait again.
  if (status != DownloadStatus::kDone) {
    errorText = failure;
    return LookupResult::kServiceDown;
  }
  if (Contains(reply, "<Error>Not found:")) {
    errorText = kCallNotFound;
    record.call = callsign;
    record.name_fmt = "Call Sign Not Found!";
    return LookupResult::kNotFound;
  }
  // Any other error renews the session for the lookups to come, once; one that a new key did
  // not cure (the day's lookups used up) is the service's word for the rest of the period.
  std::string serviceError;
  if (MarkedValue(reply, "<Error>", "</Error>", serviceError)) {
    if (!mayRenew) {
      errorText = serviceError.empty() ? kNoReply : DecodeXmlText(serviceError);
      return LookupResult::kServiceDown;
    }
    RenewSessionKey(glb_QRZSessionKey, errorText);
    return errorText.empty() ? LookupResult::kRenewed : LookupResult::kServiceDown;
  }
  if (!Contains(reply, "<Callsign>")) {
    errorText = kNoReply;
    return LookupResult::kFailed;
  }
  if (!Contains(reply, "</Callsign>") || !Contains(reply, "</QRZDatabase>")) {
    errorText = kCutShortReply;
    return LookupResult::kFailed;
  }
  StationFromReply(reply, record);
  if (!record.call.empty()) callsign = record.call;
  return LookupResult::kStation;
}
