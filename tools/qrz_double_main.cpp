// qrz_double: runs the local QRZ double until it is stopped, printing the port it serves.
//   qrz_double [--port N] [--data DIR] [--expire-after N] [--lookup-limit N]
//              [--fault stall|garbage|http-error|refuse|slow-gateway|trickle] [--logbook-shape result-last|result-first|status]
//              [--end-with PROGRAM]
// With "refuse" it prints a port on which nothing listens, so every connection is refused.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/environment.h"
#include "tools/qrz_double.h"

namespace {

const char* kUsage =
    "Usage: qrz_double [--port N] [--data DIR] [--expire-after N] [--lookup-limit N]\n"
    "                  [--fault stall|garbage|http-error|refuse|slow-gateway|trickle]\n"
    "                  [--logbook-shape result-last|result-first|status] [--end-with PROGRAM]\n"
    "A local stand-in for the QRZ XML service and logbook API on 127.0.0.1: prints \"port N\" and\n"
    "serves until it is stopped. With --fault refuse the port it prints is one where nothing listens.\n";

std::atomic<bool> stopping{false};

void OnStop(int) { stopping = true; }

QrzFault FaultNamed(const std::string& name) {
  if (name == "stall") return QrzFault::kStall;
  if (name == "garbage") return QrzFault::kGarbage;
  if (name == "http-error") return QrzFault::kHttpError;
  if (name == "refuse") return QrzFault::kRefuse;
  if (name == "slow-gateway") return QrzFault::kSlowGateway;
  if (name == "trickle") return QrzFault::kTrickle;
  return QrzFault::kNone;
}

LogbookShape ShapeNamed(const std::string& name) {
  if (name == "result-first") return LogbookShape::kResultFirst;
  if (name == "status") return LogbookShape::kStatus;
  return LogbookShape::kResultLast;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments = ProgramArguments(argc, argv);
  QrzDoubleOptions options = DemoDataOptions();
  std::string data;
  int port = 0;
  QrzFault fault = QrzFault::kNone;
  if (arguments.size() == 2 && arguments[1] == "--help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (arguments.size() % 2 == 0) {  // an option without its value
    std::fprintf(stderr, "qrz_double: %s needs a value\n%s", arguments.back().c_str(), kUsage);
    return 2;
  }
  for (size_t i = 1; i + 1 < arguments.size(); i += 2) {
    const std::string& flag = arguments[i];
    const std::string& value = arguments[i + 1];
    if (flag == "--port") port = std::stoi(value);
    else if (flag == "--data") data = value;
    else if (flag == "--expire-after") options.expireAfter = std::stoi(value);
    else if (flag == "--lookup-limit") options.lookupLimit = std::stoi(value);
    else if (flag == "--end-with") EndWithProgram(value);
    else if (flag == "--fault") fault = FaultNamed(value);
    else if (flag == "--logbook-shape") options.logbookShape = ShapeNamed(value);
    else {
      std::fprintf(stderr, "qrz_double: unknown option %s\n%s", flag.c_str(), kUsage);
      return 2;
    }
  }
  if (!data.empty()) {
    options.stationsPath = data + "/qrz_stations.txt";
    options.logbookPath = data + "/qrz_logbook.txt";
  }
  QrzDouble service;
  if (!StartQrzDouble(service, options, port)) {
    std::fprintf(stderr, "qrz_double: cannot start (stations %s, port %d)\n", options.stationsPath.c_str(), port);
    return 1;
  }
  service.fault = fault;
  std::printf("port %d\n", fault == QrzFault::kRefuse ? service.refusingPort : service.port);
  std::fflush(stdout);
  std::signal(SIGINT, OnStop);
  std::signal(SIGTERM, OnStop);
  while (!stopping) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  StopQrzDouble(service);
  return 0;
}
