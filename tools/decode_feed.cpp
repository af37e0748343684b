// decode_feed: plays WSJT-X for the demo. Shortly before every 15-second boundary, as WSJT-X's
// decoder does, it appends the ending period's decodes to ALL.TXT, and now and then a contact
// to WSJTX_log.adi. A station is heard once a period.
//   decode_feed --folder WSJT-X-FOLDER --call MYCALL --grid GRID [--stations FILE] [--periods N]
//               [--after-login QRZ-REPLY-FILE] [--end-with PROGRAM]
// With --after-login it starts when the monitor has logged in (the reply file holds a key),
// so that its showcase period lands in the first table the monitor draws, however long the
// user took to answer the logbook question.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/environment.h"
#include "tools/qrz_double.h"

namespace {

struct Station {
  std::string call;
  std::string grid;
};

struct Feed {
  std::string folder, myCall, myGrid;
  std::vector<Station> stations;
  std::mt19937 random{20210308};
  const char* frequency = "14.074";
  int period = 0;
  std::time_t lastPeriodStart = -1;  // the period last written, never written twice
  std::vector<std::string> heard;    // the stations heard in the period being written
};

constexpr const char* kBands[] = {"14.074", "7.074", "21.074"};
// Calls the QRZ double does not know.
const std::vector<Station> kUnknown = {{"VP8QQZ", "GD18"}, {"ZZ2ABC", "GG87"}, {"3Y0ZZZ", "JD15"}};

std::vector<Station> LoadStations(const std::string& path) {
  std::vector<Station> stations;
  for (const auto& [call, elements] : ReadStationTable(path))
    stations.push_back({call, ElementOf(elements, "grid").substr(0, 4)});
  return stations;
}

int Pick(Feed& feed, int count) { return std::uniform_int_distribution<int>(0, count - 1)(feed.random); }

const Station& AnyStation(Feed& feed) {
  if (Pick(feed, 9) == 0) return kUnknown[Pick(feed, static_cast<int>(kUnknown.size()))];
  return feed.stations[Pick(feed, static_cast<int>(feed.stations.size()))];
}

bool Heard(const Feed& feed, const std::string& call) {
  return std::find(feed.heard.begin(), feed.heard.end(), call) != feed.heard.end();
}

// A station not heard yet this period: a decoder reports each one once. Null when the few
// tries found none.
const Station* NewStation(Feed& feed) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    const Station& station = AnyStation(feed);
    if (Heard(feed, station.call)) continue;
    feed.heard.push_back(station.call);
    return &station;
  }
  return nullptr;
}

std::string Report(Feed& feed) {
  int snr = -20 + Pick(feed, 25);
  char text[16];
  std::snprintf(text, sizeof text, "%+03d", snr);
  return text;
}

// A message sent by a station not heard yet this period; empty when none is left.
std::string Message(Feed& feed, std::vector<std::string>& callers) {
  const Station* sender = NewStation(feed);
  if (!sender) return "";
  const Station& station = *sender;
  const Station& other = AnyStation(feed);
  switch (Pick(feed, 10)) {
    case 0: return "CQ DX " + station.call + " " + station.grid;
    case 1: return "CQ POTA " + station.call + " " + station.grid;
    case 2:
      callers.push_back(station.call);
      return feed.myCall + " " + station.call + " " + (Pick(feed, 2) ? station.grid : Report(feed));
    case 3: return other.call + " " + station.call + (Pick(feed, 2) ? " RR73" : " 73");
    case 4: return other.call + " " + station.call + " R" + Report(feed);
    default: return "CQ " + station.call + " " + station.grid;
  }
}

std::string DecodeLine(Feed& feed, const std::string& stamp, const char* mark, const std::string& message) {
  char line[160];
  std::snprintf(line, sizeof line, "%s%10s %s FT8%7d%5.1f%5d %s\n", stamp.c_str(), feed.frequency, mark,
                -22 + Pick(feed, 30), (Pick(feed, 20) - 5) / 10.0, 300 + Pick(feed, 2500), message.c_str());
  return line;
}

void Append(const std::string& path, const std::string& text) {
  std::ofstream(PathFromUtf8(path), std::ios::binary | std::ios::app) << text;
}

std::string Stamp(std::time_t seconds, const char* format) {
  std::tm utc = *std::gmtime(&seconds);  // the feed has one thread
  char text[32];
  std::strftime(text, sizeof text, format, &utc);
  return text;
}

void LogContact(Feed& feed, const std::string& call, std::time_t when) {
  Append(feed.folder + "/wsjtx_log.adi", "<call:" + std::to_string(call.size()) + ">" + call +
                                             " <gridsquare:4>FN42 <mode:3>FT8 <rst_sent:3>-10 <rst_rcvd:3>-12 <qso_date:8>" +
                                             Stamp(when, "%Y%m%d") + " <band:3>20m <station_callsign:" +
                                             std::to_string(feed.myCall.size()) + ">" + feed.myCall + " <eor>\n");
}

// The first period shows every kind of row at once: home, worked, confirmed DX, new DX,
// not found, and a station calling the operator; names with an accent and an "&", a portable
// call, a POTA activator and a 1x1 special-event call; and traffic that must add no row: an
// AP-decoded RR73, the operator's own Tx, a hash.
std::string FirstPeriod(Feed& feed, const std::string& stamp) {
  std::string lines;
  for (const char* message : {"CQ W1AW FN31", "CQ K2LYV FN32", "CQ JH3PRR PM74", "CQ DX PY2XB GG66",
                              "CQ VP8QQZ GD18", "CQ VK2DX QF56", "W1AW DL5NAM JO43", "CQ EA4JOS IM87",
                              "CQ W7XYZ/P DM45", "CQ W9HBM EN53 ?", "CQ POTA K0MPL EN46", "CQ K2A FN32"})
    lines += DecodeLine(feed, stamp, "Rx", message);
  feed.heard = {"W1AW", "K2LYV", "JH3PRR", "PY2XB", "VP8QQZ", "VK2DX", "DL5NAM", "EA4JOS", "W7XYZ/P", "W9HBM",
                "K0MPL", "K2A", "W4DXX", "ZS6RJ"};
  lines += DecodeLine(feed, stamp, "Rx", feed.myCall + " W4DXX RR73                     a1");
  lines += DecodeLine(feed, stamp, "Rx", feed.myCall + " <...> -10");
  lines += DecodeLine(feed, stamp, "Tx", "W4DXX " + feed.myCall + " RRR");
  return lines + DecodeLine(feed, stamp, "Rx", feed.myCall + " ZS6RJ KG44");
}

void FeedPeriod(Feed& feed, std::time_t periodStart) {
  if (periodStart == feed.lastPeriodStart) return;
  feed.lastPeriodStart = periodStart;
  feed.heard.clear();
  ++feed.period;
  if (feed.period % 12 == 0) feed.frequency = kBands[(feed.period / 12) % 3];
  std::string stamp = Stamp(periodStart, "%y%m%d_%H%M%S");
  std::string lines;
  std::vector<std::string> callers;
  if (feed.period == 1) lines = FirstPeriod(feed, stamp);
  int count = 4 + Pick(feed, 6);
  for (int i = 0; i < count; ++i) {
    std::string message = Message(feed, callers);
    if (!message.empty()) lines += DecodeLine(feed, stamp, "Rx", message);
  }
  if (feed.period % 5 == 0) lines += DecodeLine(feed, stamp, "Tx", "CQ " + feed.myCall + " " + feed.myGrid);
  Append(feed.folder + "/ALL.TXT", lines);
  if (feed.period % 6 == 0 && !callers.empty()) LogContact(feed, callers.front(), periodStart);
}

// The monitor empties its reply file at start and writes the login reply first. Only the size
// is looked at: on Windows a reader would keep the monitor from opening its own file alone.
void WaitForLogin(const std::string& replyPath) {
  for (;;) {
    std::error_code missing;
    if (std::filesystem::file_size(PathFromUtf8(replyPath), missing) > 0 && !missing) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments = ProgramArguments(argc, argv);
  Feed feed;
  std::string stationsPath = DemoDataOptions().stationsPath;
  int periods = -1;
  std::string loginReply;
  for (size_t i = 1; i + 1 < arguments.size(); i += 2) {
    const std::string& flag = arguments[i];
    const std::string& value = arguments[i + 1];
    if (flag == "--folder") feed.folder = value;
    else if (flag == "--call") feed.myCall = value;
    else if (flag == "--grid") feed.myGrid = value;
    else if (flag == "--stations") stationsPath = value;
    else if (flag == "--periods") periods = std::stoi(value);
    else if (flag == "--after-login") loginReply = value;
    else if (flag == "--end-with") EndWithProgram(value);
  }
  feed.stations = LoadStations(stationsPath);
  if (feed.folder.empty() || feed.myCall.empty() || feed.stations.empty()) {
    std::fprintf(stderr, "usage: decode_feed --folder DIR --call MYCALL --grid GRID [--stations FILE] [--periods N]\n");
    return 2;
  }
  using namespace std::chrono;
  if (!loginReply.empty()) {
    WaitForLogin(loginReply);
    // Once logged in the monitor notes where ALL.TXT ends within moments and polls at the
    // next boundary: the showcase goes in now, between the two. It stands for the period under
    // way, which is then not written again; but when that period has only just begun, the
    // monitor's first wait may already be at its boundary and read the showcase at once, so it
    // stands for the period just ended, as WSJT-X's last decodes of it would.
    std::this_thread::sleep_for(milliseconds(300));
    seconds now = duration_cast<seconds>(system_clock::now().time_since_epoch());
    bool periodJustBegan = now.count() % 15 < 2;
    FeedPeriod(feed, static_cast<std::time_t>(now.count() / 15 * 15 - (periodJustBegan ? 15 : 0)));
    --periods;
  }
  for (int done = 0; periods < 0 || done < periods; ++done) {
    // WSJT-X's decodes of a period are written a second or two before it ends, and the monitor
    // reads them just after the boundary.
    seconds now = duration_cast<seconds>(system_clock::now().time_since_epoch());
    seconds boundary = (now / seconds(15) + 1) * seconds(15);
    std::this_thread::sleep_until(system_clock::time_point(boundary - milliseconds(1500)));
    FeedPeriod(feed, static_cast<std::time_t>(boundary.count() - 15));  // the showcase's period is not written again
    std::this_thread::sleep_until(system_clock::time_point(boundary));
  }
  return 0;
}
