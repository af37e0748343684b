// The benchmark data: real-shaped ADIF records, made from a fixed seed.
#include "tools/bench_data.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <random>

namespace {

constexpr const char* kModes[] = {"FT8", "FT8", "FT8", "FT8", "FT8", "FT8", "FT8", "JT65", "SSB", "CW", "FT4"};
constexpr const char* kBands[] = {"160m", "80m", "40m", "30m", "20m", "17m", "15m", "12m", "10m", "6m"};

std::string Field(const std::string& name, const std::string& value) {
  return "<" + name + ":" + std::to_string(value.size()) + ">" + value;
}

// A call for every n below 175,760, each different.
std::string CallNumber(int n) {
  static constexpr const char* kPrefixes[] = {"K", "W", "N", "JA", "DL", "G", "VK", "PY", "EA", "I", "VE", "ZS"};
  return std::string(kPrefixes[n % 12]) + std::to_string(n % 10) + static_cast<char>('A' + n / 10 % 26) +
         static_cast<char>('A' + n / 260 % 26) + static_cast<char>('A' + n / 6760 % 26);
}

// A logbook's calls: 40,000 stations, many worked more than once.
std::string Call(std::mt19937& random) { return CallNumber(static_cast<int>(random() % 40000)); }

std::string Date(int i) { return "20" + std::to_string(10 + i / 10000) + "0" + std::to_string(1 + i / 1000 % 9) + "15"; }

std::string WsjtxRecord(std::mt19937& random, int i) {
  std::string mode = kModes[random() % 11], band = kBands[random() % 10];
  // WSJT-X's log of a decade: 100,000 different stations.
  return Field("call", CallNumber(i)) + " " + Field("gridsquare", "FN42") + " " + Field("mode", mode) + " " +
         Field("rst_sent", "-10") + " " + Field("rst_rcvd", "-12") + " " + Field("qso_date", Date(i)) + " " +
         Field("time_on", "123045") + " " + Field("qso_date_off", Date(i)) + " " + Field("time_off", "123145") + " " +
         Field("band", band) + " " + Field("freq", "14.075123") + " " + Field("station_callsign", "N0VANE") + " " +
         Field("my_gridsquare", "EN34") + " " + Field("tx_pwr", "100") + " " +
         Field("comment", "FT8  Sent: -10  Rcvd: -12") + " <eor>\n";
}

std::string QrzRecord(std::mt19937& random, int i) {
  std::string mode = kModes[random() % 11], band = kBands[random() % 10];
  std::string dxcc = std::to_string(1 + random() % 340);
  std::string record = Field("app_qrzlog_logid", std::to_string(100000000 + i)) +
                       Field("app_qrzlog_status", random() % 5 < 2 ? "C" : "N") + Field("band", band) +
                       Field("band_rx", band) + Field("call", Call(random)) + Field("cont", "NA") +
                       Field("country", "United States") + Field("cqz", "5") + Field("distance", "1054") +
                       Field("dxcc", dxcc) + Field("email", "operator@example.net") + Field("freq", "14.075123") +
                       Field("gridsquare", "FN31pr") + Field("ituz", "8") + Field("lat", "N041 42.886") +
                       Field("lon", "W072 43.636") + Field("lotw_qsl_rcvd", "Y") + Field("lotw_qsl_sent", "Y") +
                       Field("mode", mode) + Field("my_city", "Minneapolis") + Field("my_country", "United States") +
                       Field("my_cq_zone", "4") + Field("my_gridsquare", "EN34") + Field("my_itu_zone", "7") +
                       Field("my_lat", "N044 58.800") + Field("my_lon", "W093 16.200") + Field("my_name", "Demo Operator") +
                       Field("name", "Sample Station Holder") + Field("qso_date", Date(i)) +
                       Field("qso_date_off", Date(i)) + Field("qsl_rcvd", "N") + Field("qsl_sent", "N") +
                       Field("qth", "Newington") + Field("rst_rcvd", "-12") + Field("rst_sent", "-10") +
                       Field("state", "CT") + Field("station_callsign", "N0VANE") + Field("time_off", "123145") +
                       Field("time_on", "123045") + Field("tx_pwr", "100");
  record += Field("comment", std::string(840 - record.size() - 40, 'c'));
  return record + "<eor>";
}

std::string Escaped(const std::string& record) {
  std::string escaped;
  for (char c : record) {
    if (c == '<') escaped += "\n&lt;";  // the service sends a field a line
    else if (c == '>') escaped += "&gt;";
    else escaped += c;
  }
  return escaped;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

bool WriteBenchData(const std::string& folder) {
  mkdir(folder.c_str(), 0755);
  mkdir((folder + "/WSJT-X").c_str(), 0755);
  std::string log = folder + "/WSJT-X/wsjtx_log.adi", copy = folder + "/N0VANE.adi.txt", reply = folder + "/QRZ_Data.tmp";
  if (!Exists(log)) {
    std::mt19937 random(2021);
    std::ofstream out(log, std::ios::binary);
    out << "WSJT-X ADIF Export\n<adif_ver:5>3.1.1\n<programid:6>WSJT-X\n<EOH>\n";
    for (int i = 0; i < kBenchContacts; ++i) out << WsjtxRecord(random, i);
    if (!out) return false;
  }
  if (!Exists(copy) || !Exists(reply)) {
    std::mt19937 random(308);
    std::ofstream out(copy, std::ios::binary), escaped(reply, std::ios::binary);
    out << "Download Time Stamp: 03-08-2021 12:00:00\r\n";
    escaped << "RESULT=OK&COUNT=" << kBenchContacts << "&ADIF=";
    for (int i = 0; i < kBenchContacts; ++i) {
      std::string record = QrzRecord(random, i);
      out << record << "\r\n";
      escaped << Escaped(record) << "\n\n";
    }
    if (!out || !escaped) return false;
  }
  return true;
}
