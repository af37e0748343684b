// The local QRZ double: session keys, callsign lookups and the logbook, with faults to order.
#include "tools/qrz_double.h"

#include "platform/environment.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>

namespace {

const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<QRZDatabase version=\"1.34\" xmlns=\"http://xmldata.qrz.com\">\n";
const char* kXmlTail = "</QRZDatabase>\n";

std::vector<std::string> Split(const std::string& text, const std::string& separators) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (separators.find(c) != std::string::npos) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Text with each escape of a marker and two hex digits made the byte it names: "%26" is "&"
// (the client percent-encodes every value), "\xE9" in a data file is the byte 0xE9.
std::string WithEscapedBytes(const std::string& text, const std::string& marker) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t hex = i + marker.size();
    if (text.compare(i, marker.size(), marker) == 0 && hex + 1 < text.size() &&
        std::isxdigit(static_cast<unsigned char>(text[hex])) && std::isxdigit(static_cast<unsigned char>(text[hex + 1]))) {
      decoded += static_cast<char>(std::stoi(text.substr(hex, 2), nullptr, 16));
      i = hex + 1;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

// The query as the client sent it: keys separated by ";" (XML interface) or "&" (logbook).
std::map<std::string, std::string> QueryOf(const httplib::Request& request) {
  std::map<std::string, std::string> query;
  size_t mark = request.target.find('?');
  if (mark == std::string::npos) return query;
  for (const std::string& pair : Split(request.target.substr(mark + 1), ";&")) {
    size_t equals = pair.find('=');
    if (equals != std::string::npos) query[Upper(pair.substr(0, equals))] = WithEscapedBytes(pair.substr(equals + 1), "%");
  }
  return query;
}

std::vector<std::string> DataLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(PathFromUtf8(path));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

const char* kFreeAccountMessage = "A subscription is required to access the complete record.";
// What an account without a subscription is told of a station.
const char* const kFreeElements[] = {"call", "fname", "name", "addr2", "state", "country"};

std::string SessionElement(const QrzDouble& service, const std::string& error, bool withKey) {
  std::ostringstream xml;
  xml << "<Session>\n";
  if (!error.empty()) xml << "<Error>" << error << "</Error>\n";
  if (withKey) xml << "<Key>" << service.key << "</Key>\n";
  xml << "<Count>" << 1000 + service.lookupsOnKey << "</Count>\n";
  if (withKey && service.freeKey) xml << "<SubExp>non-subscriber</SubExp>\n<Message>" << kFreeAccountMessage << "</Message>\n";
  else xml << "<SubExp>Thu Dec 31 23:59:59 2027</SubExp>\n";
  xml << "<GMTime>Tue Dec  8 14:00:00 2026</GMTime>\n"
      << "<Remark>cpu: 0.023s</Remark>\n"
      << "</Session>\n";
  return xml.str();
}

std::string NewKey(QrzDouble& service) {
  if (!service.key.empty()) service.expiredKeys.push_back(service.key);
  std::ostringstream key;
  key << std::hex << 0x5eed0000u + static_cast<unsigned>(++service.keysIssued) * 7919u << "d0ab1e";
  service.lookupsOnKey = 0;
  return service.key = key.str();
}

std::string LoginReply(QrzDouble& service, const std::map<std::string, std::string>& query) {
  auto password = query.find("PASSWORD");
  const std::string& account = query.at("USERNAME");
  bool subscriber = account == service.options.account && password != query.end() &&
                    password->second == service.options.password;
  bool free = account == service.options.freeAccount && password != query.end() &&
              password->second == service.options.freePassword;
  if (!subscriber && !free)
    return SessionElement(service, "Username/password incorrect ", false);  // the real text ends in a blank
  NewKey(service);
  service.freeKey = free;
  return SessionElement(service, "", true);
}

std::string StationXml(const StationElements& elements, bool free) {
  std::ostringstream xml;
  xml << "<Callsign>\n";
  for (const auto& [name, value] : elements) {
    if (free && std::find(std::begin(kFreeElements), std::end(kFreeElements), name) == std::end(kFreeElements)) continue;
    xml << "<" << name << ">" << value << "</" << name << ">\n";
  }
  if (!free) xml << "<geoloc>user</geoloc>\n";
  xml << "</Callsign>\n";
  return xml.str();
}

std::string LookupReply(QrzDouble& service, const std::map<std::string, std::string>& query) {
  const std::string& key = query.at("S");
  if (key != service.key || service.key.empty()) {
    bool expired = std::find(service.expiredKeys.begin(), service.expiredKeys.end(), key) != service.expiredKeys.end();
    return SessionElement(service, expired ? "Session Timeout" : "Invalid session key", false);
  }
  // The day's lookups used up: a new key does not help.
  if (service.options.lookupLimit > 0 && service.lookupsToday >= service.options.lookupLimit)
    return SessionElement(service, "Lookup limit exceeded for today", true);
  ++service.lookupsOnKey;
  ++service.lookupsToday;
  std::string call = query.count("CALLSIGN") ? query.at("CALLSIGN") : "";
  auto station = service.stations.find(Upper(call));
  std::string reply = station == service.stations.end()
                          ? SessionElement(service, "Not found: " + call, true)
                          : StationXml(station->second, service.freeKey) + SessionElement(service, "", true);
  if (service.options.expireAfter > 0 && service.lookupsOnKey >= service.options.expireAfter) {
    service.expiredKeys.push_back(service.key);
    service.key.clear();
  }
  return reply;
}

void AnswerXml(QrzDouble& service, const httplib::Request& request, httplib::Response& response) {
  std::map<std::string, std::string> query = QueryOf(request);
  std::string body;
  if (query.count("USERNAME")) body = LoginReply(service, query);
  else if (query.count("S")) body = LookupReply(service, query);
  else body = SessionElement(service, "Input error: no session key or username", false);
  response.set_content(kXmlHead + body + kXmlTail, "text/xml");
}

void AnswerLogbook(QrzDouble& service, const httplib::Request& request, httplib::Response& response) {
  std::map<std::string, std::string> query = QueryOf(request);
  if (query["KEY"] != service.options.logbookKey || query["ACTION"] != "FETCH") {
    // The service echoes the key back.
    response.set_content("STATUS=AUTH&RESULT=AUTH&REASON=invalid api key " + query["KEY"] + "\n&EXTENDED=", "text/plain");
    return;
  }
  std::string count = "COUNT=" + std::to_string(service.logbook.size());
  std::string adif = EscapedLogbook(service.logbook);
  switch (service.options.logbookShape) {
    case LogbookShape::kResultLast: response.set_content(count + "&ADIF=" + adif + "&RESULT=OK", "text/plain"); break;
    case LogbookShape::kResultFirst: response.set_content("RESULT=OK&" + count + "&ADIF=" + adif, "text/plain"); break;
    case LogbookShape::kStatus:
      response.set_content("STATUS=OK&" + count + "&ADIF=" + adif + "&EXTENDED=\n", "text/plain");
      break;
  }
}

// Applies the ordered fault; true when the request has been answered by it.
bool AnswerWithFault(QrzDouble& service, httplib::Response& response) {
  switch (service.fault.load()) {
    case QrzFault::kStall:
      std::this_thread::sleep_for(std::chrono::seconds(service.options.stallSeconds));
      return false;
    case QrzFault::kGarbage:
      response.set_content("\x01\x7f<<Er ror>>%%garbage</Key>\n", "text/plain");
      return true;
    case QrzFault::kHttpError:
      response.status = 503;
      response.set_content("Service Unavailable", "text/plain");
      return true;
    case QrzFault::kSlowGateway:
      std::this_thread::sleep_for(std::chrono::seconds(service.options.gatewaySeconds));
      response.status = 504;
      response.set_content("Gateway Time-out", "text/plain");
      return true;
    case QrzFault::kTrickle: {
      int pause = service.options.trickleMilliseconds;
      // Not text: the server would compress it, and its compressor holds the trickle back.
      response.set_chunked_content_provider("application/octet-stream", [pause](size_t offset, httplib::DataSink& sink) {
        static const char kReply[] = "<?xml version=\"1.0\" ?>\n<QRZDatabase version=\"1.34\">\n<Callsign>\n";
        if (offset + 1 >= sizeof kReply) return false;  // cut off there, as a dropped link
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        return sink.write(kReply + offset, 1);
      });
      return true;
    }
    default:
      return false;
  }
}

using Answer = void (*)(QrzDouble&, const httplib::Request&, httplib::Response&);

httplib::Server::Handler Handle(QrzDouble& service, Answer answer) {
  return [&service, answer](const httplib::Request& request, httplib::Response& response) {
    {
      std::lock_guard<std::mutex> lock(service.mutex);
      service.requests.push_back(request.target);
    }
    if (AnswerWithFault(service, response)) return;
    std::lock_guard<std::mutex> lock(service.mutex);
    if (!service.canned.empty()) response.set_content(service.canned, "text/plain");
    else answer(service, request, response);
  };
}

// A port that was free a moment ago and that nobody listens on: one our own server had.
int UnusedPort() {
  httplib::Server probe;
  int port = probe.bind_to_any_port("127.0.0.1");
  if (port <= 0) return 0;
  std::thread thread([&probe] { probe.listen_after_bind(); });
  while (!probe.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  probe.stop();
  thread.join();
  return port;
}

}  // namespace

std::string EscapedLogbook(const std::vector<std::string>& records) {
  std::string adif;
  for (const std::string& record : records) {
    std::string escaped;
    size_t call = record.find("<call:"), callEnd = record.find('<', call + 1);
    for (size_t i = 0; i < record.size(); ++i) {
      char c = record[i];
      if (c == '/' && call != std::string::npos && i > call && i < callEnd) c = '_';
      if (c == '<' && !escaped.empty()) escaped += "\n";  // one field per line
      if (c == '<') escaped += "&lt;";
      else if (c == '>') escaped += "&gt;";
      else escaped += c;
    }
    adif += escaped + "\n\n";
  }
  return adif;
}

StationTable ReadStationTable(const std::string& path) {
  StationTable stations;
  std::vector<std::string> lines = DataLines(path);
  if (lines.empty()) return stations;
  std::vector<std::string> names = Split(lines[0], "|");
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> values = Split(lines[i], "|");
    StationElements elements;
    for (size_t f = 1; f < names.size() && f < values.size(); ++f)
      if (!values[f].empty()) elements.emplace_back(names[f], WithEscapedBytes(values[f], "\\x"));
    stations[Upper(values[0])] = elements;
  }
  return stations;
}

std::string ElementOf(const StationElements& elements, const std::string& name) {
  for (const auto& [element, value] : elements)
    if (element == name) return value;
  return "";
}

QrzDoubleOptions DemoDataOptions() {
  QrzDoubleOptions options;
  options.stationsPath = std::string(DXVANE_TOOLS_DIR) + "/qrz_stations.txt";
  options.logbookPath = std::string(DXVANE_TOOLS_DIR) + "/qrz_logbook.txt";
  return options;
}

bool StartQrzDouble(QrzDouble& service, const QrzDoubleOptions& options, int port) {
  service.options = options;
  service.stations = ReadStationTable(options.stationsPath);
  if (service.stations.empty()) return false;
  service.logbook = DataLines(options.logbookPath);
  for (const char* path : {"/xml/current/", "/xml/current", "/xml/"})
    service.server.Get(path, Handle(service, AnswerXml));
  service.server.Get("/api", Handle(service, AnswerLogbook));
  // One request per connection: a client that keeps idle connections open (Windows' wininet
  // does) would otherwise hold up the double's stop for the whole keep-alive time.
  service.server.set_keep_alive_max_count(1);
  service.server.Post("/api", Handle(service, AnswerLogbook));
  service.port = port == 0 ? service.server.bind_to_any_port("127.0.0.1")
                           : (service.server.bind_to_port("127.0.0.1", port) ? port : -1);
  if (service.port <= 0) return false;
  service.refusingPort = UnusedPort();
  service.thread = std::thread([&service] { service.server.listen_after_bind(); });
  while (!service.server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void StopQrzDouble(QrzDouble& service) {
  service.server.stop();
  if (service.thread.joinable()) service.thread.join();
}

std::string QrzDoubleUrl(const QrzDouble& service) {
  int port = service.fault == QrzFault::kRefuse ? service.refusingPort : service.port;
  return "http://127.0.0.1:" + std::to_string(port);
}
