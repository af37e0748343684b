#include "platform/download.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "tests/support.h"

namespace {

struct LocalServer {
  httplib::Server server;
  std::thread thread;
  int port = 0;
  void Start() {
    server.set_keep_alive_max_count(1);  // as the double: wininet's idle connections would delay the stop
    port = server.bind_to_any_port("127.0.0.1");
    thread = std::thread([this] { server.listen_after_bind(); });
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LocalServer() {
    server.stop();
    if (thread.joinable()) thread.join();
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port) + path; }
};

}  // namespace

TEST(DownloadToFile, FetchesFollowsRedirectsAndSendsAUserAgent) {
  ScratchFolder folder;
  LocalServer local;
  std::string agent;
  local.server.Get("/reply", [&](const httplib::Request& request, httplib::Response& response) {
    agent = request.get_header_value("User-Agent");
    response.set_content("<Key>abc</Key>\n", "text/xml");
  });
  local.server.Get("/moved", [](const httplib::Request&, httplib::Response& response) { response.set_redirect("/reply"); });
  local.Start();
  std::string failure;
  EXPECT_EQ(DownloadToFile(local.Url("/moved"), "reply.tmp", failure), DownloadStatus::kDone);
  EXPECT_EQ(ReadFileBytes("reply.tmp"), "<Key>abc</Key>\n");
  EXPECT_EQ(agent, kUserAgent);
  EXPECT_TRUE(IsOwnerOnlyFile("reply.tmp"));
}

TEST(DownloadToFile, FailsOnHttpErrorsAndRefusedConnections) {
  ScratchFolder folder;
  LocalServer local;
  local.server.Get("/broken", [](const httplib::Request&, httplib::Response& response) {
    response.status = 500;
    response.set_content("oops", "text/plain");
  });
  local.Start();
  WriteFile("reply.tmp", "previous reply");
  std::string failure;
  EXPECT_EQ(DownloadToFile(local.Url("/broken"), "reply.tmp", failure), DownloadStatus::kHttpError);
  EXPECT_EQ(failure, "the server answered HTTP 500");
  int port = local.port;
  local.server.stop();
  local.thread.join();
  EXPECT_EQ(DownloadToFile("http://127.0.0.1:" + std::to_string(port) + "/reply", "reply.tmp", failure),
            DownloadStatus::kUnreachable);
  EXPECT_NE(failure.find("onnect"), std::string::npos) << failure;
  EXPECT_EQ(ReadFileBytes("reply.tmp"), "");  // emptied before the request
}

// Only a download that makes no progress fails: a slow one may take as long as it needs.
TEST(DownloadToFile, HasNoTotalTimeLimitOnlyANoProgressLimit) {
  ScratchFolder folder;
  LocalServer local;
  auto trickle = [](int pieces, int pauseMilliseconds) {
    return [=](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("text/plain", [=](size_t offset, httplib::DataSink& sink) {
        if (offset >= static_cast<size_t>(pieces)) {
          sink.done();
          return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMilliseconds));
        return sink.write("x", 1);
      });
    };
  };
  local.server.Get("/slow", trickle(6, 500));   // 3 s in all, never 1 s without a byte
  local.server.Get("/stalled", trickle(2, 3000));
  local.Start();
  SetNoProgressSeconds(2);
  std::string failure;
  EXPECT_EQ(DownloadToFile(local.Url("/slow"), "reply.tmp", failure), DownloadStatus::kDone) << failure;
  EXPECT_EQ(ReadFileBytes("reply.tmp"), "xxxxxx");
  EXPECT_EQ(DownloadToFile(local.Url("/stalled"), "reply.tmp", failure), DownloadStatus::kUnreachable);
  SetNoProgressSeconds(0);
}
