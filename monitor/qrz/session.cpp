// Opening a QRZ XML session.
#include "monitor/qrz/session.h"

#include "common/text.h"
#include "monitor/globals.h"
#include "monitor/qrz/reply.h"
#include "platform/clock.h"
#include "platform/console.h"

namespace {

constexpr int kErrorPauseMilliseconds = 1000000;

// " *", sixty characters of text and "*": 63 in all, like every line of the frame.
std::string FramedLine(const std::string& text) { return " *" + FitLeft(" " + text, 60) + "*"; }

void ShowErrorBox(const std::string& errorText) {
  const std::string stars = " " + std::string(62, '*');
  ConsoleClear();
  for (const std::string& line : {
           std::string(),
           std::string("              Error Requesting a QRZ session Key"),
           "         The Error Message is: " + errorText,
           "           glb_QRZAccountName: " + glb_QRZAccountName,
           "             glb_QRZMagicWord: " + glb_QRZMagicWord,
           std::string(),
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
           std::string(),
       })
    ConsolePrintLine(line);
}

}  // namespace

void GetSessionKey(std::string& key, std::string& errorText) {
  errorText.clear();
  std::string reply;
  FetchReply(QrzXmlBase() + "/xml/current/?username=" + glb_QRZAccountName + ";password=" + glb_QRZMagicWord +
                 ";agent=QQQv2",
             reply);
  // A reply with both an error and a key is an error.
  if (MarkedValue(reply, "<Error>", "</Error>", errorText)) {
    ShowErrorBox(errorText);
    SleepMilliseconds(kErrorPauseMilliseconds);
    return;
  }
  if (!MarkedValue(reply, "<Key>", "</Key>", key)) key.clear();
}
