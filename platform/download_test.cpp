#include "platform/download.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "tests/support.h"

namespace {

bool RunsUnderWine() {
#ifdef _WIN32
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
  return false;
#endif
}

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
  std::atomic<int> loops{0};
  local.server.Get("/loop", [&](const httplib::Request&, httplib::Response& response) {
    ++loops;
    response.set_redirect("/loop");
  });
  // A proxy that compresses: the same reply, gzipped.
  local.server.Get("/gzip", [](const httplib::Request&, httplib::Response& response) {
    static const char kGzipped[] = "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\xb3\xf1\x4e\xad\xb4\x4b\x4c\x4a\xb6\xd1"
                                   "\x07\x31\xb8\x00\xd8\xa3\x25\xd2\x0f\x00\x00\x00";
    response.set_header("Content-Encoding", "gzip");
    response.set_content(std::string(kGzipped, sizeof kGzipped - 1), "text/xml");
  });
  local.Start();
  std::string failure;
  EXPECT_EQ(DownloadToFile(local.Url("/moved"), "reply.tmp", failure), DownloadStatus::kDone);
  EXPECT_EQ(ReadFileBytes("reply.tmp"), "<Key>abc</Key>\n");
  EXPECT_EQ(agent, kUserAgent);
  EXPECT_TRUE(IsOwnerOnlyFile("reply.tmp"));
  EXPECT_EQ(DownloadToFile(local.Url("/gzip"), "reply.tmp", failure), DownloadStatus::kDone) << failure;
  if (!RunsUnderWine()) {  // Wine's WinHTTP does not decode; Windows 8.1 and later do
    EXPECT_EQ(ReadFileBytes("reply.tmp"), "<Key>abc</Key>\n");
  }
  EXPECT_EQ(DownloadToFile(local.Url("/loop"), "reply.tmp", failure), DownloadStatus::kUnreachable);
  EXPECT_EQ(loops, 1 + kMaxRedirects);
}

#ifndef _WIN32
// A redirect leads to HTTP or HTTPS only: one to FTP is a failed download, and the address it
// names is never contacted. (WinHTTP follows nothing else.)
TEST(DownloadToFile, RedirectsLeadOnlyToTheWeb) {
  ScratchFolder folder;
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::string ftp = "ftp://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";
  LocalServer local;
  local.server.Get("/ftp", [ftp](const httplib::Request&, httplib::Response& response) { response.set_redirect(ftp); });
  local.Start();
  std::atomic<int> contacted{0};
  std::thread acceptor([&] {
    pollfd in{listener, POLLIN, 0};
    if (poll(&in, 1, 1000) <= 0) return;
    ++contacted;
    close(accept(listener, nullptr, nullptr));  // no greeting: the FTP client gives up
  });
  WriteFile("reply.tmp", "previous reply");
  std::string failure;
  EXPECT_NE(DownloadToFile(local.Url("/ftp"), "reply.tmp", failure), DownloadStatus::kDone);
  EXPECT_EQ(ReadFileBytes("reply.tmp"), "");
  acceptor.join();
  close(listener);
  EXPECT_EQ(contacted, 0) << failure;
}
#endif

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

// Only a download that makes no progress fails: a slow one may take as long as it needs,
// unless it asked for limits (a callsign lookup is a few kilobytes).
TEST(DownloadToFile, OnlyNoProgressOrTheLimitsAskedForStopADownload) {
  ScratchFolder folder;
  LocalServer local;
  auto trickle = [](int pieces, int pauseMilliseconds) {
    return [=](const httplib::Request&, httplib::Response& response) {
      // Not text: the server would compress it, and its compressor holds the trickle back.
      response.set_chunked_content_provider("application/octet-stream", [=](size_t offset, httplib::DataSink& sink) {
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
  local.server.Get("/large", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(3 << 20, 'x'), "text/plain");
  });
  local.Start();
  SetNoProgressSeconds(2);
  std::string failure;
  EXPECT_EQ(DownloadToFile(local.Url("/slow"), "reply.tmp", failure), DownloadStatus::kDone) << failure;
  EXPECT_EQ(ReadFileBytes("reply.tmp"), "xxxxxx");
  EXPECT_EQ(DownloadToFile(local.Url("/stalled"), "reply.tmp", failure), DownloadStatus::kUnreachable);
  EXPECT_EQ(DownloadToFile(local.Url("/slow"), "reply.tmp", failure, {1, 0}), DownloadStatus::kUnreachable);
  EXPECT_EQ(failure, "the reply took longer than 1 seconds");
  EXPECT_EQ(DownloadToFile(local.Url("/large"), "reply.tmp", failure, kSmallReplyLimits), DownloadStatus::kUnreachable);
  EXPECT_EQ(failure, "the reply was larger than 1024 KB");
  SetNoProgressSeconds(0);
}
