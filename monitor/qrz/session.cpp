// Opening a QRZ XML session.
#include "monitor/qrz/session.h"

#include <iterator>

#include "common/text.h"
#include "monitor/globals.h"
#include "monitor/qrz/reply.h"
#include "platform/console.h"

namespace {

constexpr int kErrorPauseMilliseconds = 1000000;
constexpr int kRenewalErrorPauseMilliseconds = 5000;  // long enough to read, short of a period

// " *", sixty characters of text and "*": 63 in all, like every line of the frame.
std::string FramedLine(const std::string& text) { return " *" + FitLeft(" " + text, 60) + "*"; }

// What the service and the settings say is printed as text from outside: no byte of it
// can act on the terminal.
void ShowErrorBox(const std::string& errorText) {
  const std::string stars = " " + std::string(62, '*');
  // The password is never written to the terminal: a screen may be shared, recorded or logged.
  const std::string quoted[] = {errorText, glb_QRZAccountName, "********"};
  const std::string lines[] = {
      "",
      "              Error Requesting a QRZ session Key",
      "         The Error Message is: ",
      "           glb_QRZAccountName: ",
      "             glb_QRZMagicWord: ",
      "",
      stars,
      FramedLine("QRZ site may be down or your internet connection is down."),
      FramedLine("Or you are using an invalid account name and/or password."),
      FramedLine("Or you may not have an XML enabled QRZ account.  Go to:"),
      FramedLine("www.qrz.com/page/xml_data.html to confirm you account."),
      FramedLine(""),
      FramedLine("If you have ruled out all of the above then email me and"),
      FramedLine("include the Error Message in your email.  My email"),
      FramedLine("address is: support@dxvane.org"),
      FramedLine(""),
      FramedLine("        <<< Please terminate the program now >>>"),
      stars,
      "",
  };
  ConsoleClear();
  for (size_t i = 0; i < std::size(lines); ++i) {
    ConsolePrint(lines[i]);
    if (i >= 2 && i <= 4) ConsolePrintText(quoted[i - 2]);
    ConsoleNewLine();
  }
}

// Which failures show the error box, and for how long it stays (a key ends it sooner).
struct FailureShown {
  bool refused = true;
  bool unreachable = true;
  int pauseMilliseconds = kErrorPauseMilliseconds;
};

SessionResult RequestSessionKey(std::string& key, std::string& errorText, std::string& message, const FailureShown& shown) {
  errorText.clear();
  message.clear();
  std::string reply, failure;
  DownloadStatus status = FetchReply(QrzXmlBase() + "/xml/current/?username=" + PercentEncoded(glb_QRZAccountName) +
                                         ";password=" + PercentEncoded(glb_QRZMagicWord) + ";agent=QQQv2",
                                     reply, failure);
  SessionResult result = KeyFromReply(status, failure, reply, key, errorText);
  if (result == SessionResult::kOpened) {
    // "A subscription is required to access the complete record." for accounts without one.
    if (TagValue(reply, "Message", message)) message = DecodeXmlText(message);
    return result;
  }
  if (result == SessionResult::kRefused ? shown.refused : shown.unreachable) {
    ShowErrorBox(errorText);
    ConsoleDiscardKeys();
    ConsoleWaitKeyFor(shown.pauseMilliseconds);
  }
  return result;
}

}  // namespace

SessionResult KeyFromReply(DownloadStatus status, const std::string& failure, const std::string& reply, std::string& key,
                           std::string& errorText) {
  if (status != DownloadStatus::kDone) {
    errorText = failure;
    return SessionResult::kUnreachable;
  }
  // A reply with both an error and a key is an error.
  if (MarkedValue(reply, "<Error>", "</Error>", errorText)) {
    if (!errorText.empty()) {
      errorText = DecodeXmlText(errorText);
      return SessionResult::kRefused;
    }
    errorText = kNoReply;
    return SessionResult::kUnreachable;
  }
  std::string value;
  if (!MarkedValue(reply, "<Key>", "</Key>", value) || value.empty()) {
    errorText = kNoReply;  // cut short on its way, or not the service answering
    return SessionResult::kUnreachable;
  }
  key = value;
  return SessionResult::kOpened;
}

void GetSessionKey(std::string& key, std::string& errorText, std::string& message) {
  RequestSessionKey(key, errorText, message, FailureShown{});
}

void GetSessionKey(std::string& key, std::string& errorText) {
  std::string message;
  GetSessionKey(key, errorText, message);
}

void RenewSessionKey(std::string& key, std::string& errorText) {
  std::string message;
  RequestSessionKey(key, errorText, message, FailureShown{true, true, kRenewalErrorPauseMilliseconds});
}

SessionResult OpenSessionKey(std::string& key, std::string& errorText, std::string& message) {
  return RequestSessionKey(key, errorText, message, FailureShown{true, false, kErrorPauseMilliseconds});
}

SessionResult RetrySessionKey(std::string& key, std::string& errorText, std::string& message) {
  return RequestSessionKey(key, errorText, message, FailureShown{false, false, 0});
}
