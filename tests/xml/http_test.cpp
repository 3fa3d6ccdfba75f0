// Documents fetched over HTTP from a server on 127.0.0.1 that the test runs itself.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "xml/my_parser.h"

namespace zz {
namespace {

struct TReply {
  int status = 200;
  std::string body;
  bool silent = false;     // accept the request and never answer
  size_t declared = 0;     // a Content-Length other than the body's, for a transfer cut short
  std::string location{};  // a Location header; "{port}" in it stands for the server's own port
};

// One request per connection, answered from a fixed table of paths.
class TTestHttpServer {
 public:
  explicit TTestHttpServer(std::map<std::string, TReply> replies) : fReplies(std::move(replies)) {
    fListen = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(fListen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fListen, 16) != 0)
      throw std::runtime_error("test server cannot listen");
    socklen_t len = sizeof addr;
    getsockname(fListen, reinterpret_cast<sockaddr*>(&addr), &len);
    fPort = ntohs(addr.sin_port);
    fThread = std::thread([this] { Serve(); });
  }
  ~TTestHttpServer() {
    fStop = true;
    fThread.join();
    close(fListen);
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(fPort) + path; }
  int Requests() const { return fRequests; }

 private:
  void Serve() {
    std::vector<int> held;  // connections of silent replies stay open until the server stops
    while (!fStop) {
      pollfd p{fListen, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      int c = accept(fListen, nullptr, nullptr);
      if (c < 0) continue;
      std::string request;
      char buf[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd q{c, POLLIN, 0};
        if (poll(&q, 1, 2000) <= 0) break;
        ssize_t n = recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, static_cast<size_t>(n));
      }
      ++fRequests;
      std::string path = request.substr(4, request.find(' ', 4) - 4);
      auto it = fReplies.find(path);
      TReply reply = it != fReplies.end() ? it->second : TReply{404, "not found", false};
      if (reply.silent) {
        held.push_back(c);
        continue;
      }
      std::string location = reply.location;
      if (size_t at = location.find("{port}"); at != std::string::npos) location.replace(at, 6, std::to_string(fPort));
      std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\nContent-Type: text/xml\r\n" +
                        (location.empty() ? std::string() : "Location: " + location + "\r\n") +
                        "Content-Length: " + std::to_string(reply.declared ? reply.declared : reply.body.size()) +
                        "\r\nConnection: close\r\n\r\n" + reply.body;
      for (size_t sent = 0; sent < out.size();) {
        ssize_t n = send(c, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      close(c);
    }
    for (int c : held) close(c);
  }

  std::map<std::string, TReply> fReplies;
  int fListen = -1;
  int fPort = 0;
  std::atomic<bool> fStop{false};
  std::atomic<int> fRequests{0};
  std::thread fThread;
};

const std::string kReply =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Ответ><Перечень РегНомер=\"087-001-000001\"><Должность>Сварщик</Должность></Перечень></Ответ>";

class XmlHttp : public ::testing::Test {
 protected:
  // A proxy from the environment must not stand between the test and its own server.
  void SetUp() override { setenv("no_proxy", "127.0.0.1", 1); }

  TMyParser QuickParser() {
    TMyParser p;
    p.HttpLimits.ConnectTimeoutMs = 2000;
    p.HttpLimits.TotalTimeoutMs = 1500;
    return p;
  }
};

TEST_F(XmlHttp, ReadsADocumentFromAServer) {
  TTestHttpServer server({{"/GetList?regNum=087-001-000001", {200, kReply}}});
  auto read = ReadXmlTree(server.Url("/GetList?regNum=087-001-000001"));
  ASSERT_TRUE(read);
  const TMyTreePtr& r = *read;
  EXPECT_EQ(r->NodeName(), "Ответ");
  EXPECT_EQ(r->GetElementsByTagName("Должность")[0]->text(), "Сварщик");
  EXPECT_EQ(r->SelectSingleNode("Перечень")->Attributes().getNamedItem("РегНомер")->text(), "087-001-000001");
  EXPECT_EQ(server.Requests(), 1);
}

TEST_F(XmlHttp, FailedRequestsGiveNoTree) {
  TTestHttpServer server({{"/error", {500, kReply}}, {"/silent", {200, "", true}}});
  TMyParser p = QuickParser();
  // An error status gives no tree even when its body is a readable document.
  EXPECT_FALSE(p.parse(server.Url("/error")));
  EXPECT_FALSE(p.parse(server.Url("/absent")));
  // A server that accepts and never answers is given up after the total timeout.
  EXPECT_FALSE(p.parse(server.Url("/silent")));

  // A port where nothing listens.
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  socklen_t len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  close(s);
  EXPECT_FALSE(p.parse("http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/GetList"));
}

TEST_F(XmlHttp, ALargeReplyIsReadWholeAndACutTransferGivesNoTreeEvenWhenItsPartIsADocument) {
  std::string large = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Ответ><Перечень>";
  for (int i = 0; i < 40000; ++i) large += "<Работник><СНИЛС>" + std::to_string(100000 + i) + "</СНИЛС></Работник>\n";
  large += "</Перечень></Ответ>\n";
  TTestHttpServer server({{"/large", {200, large}}, {"/cut", {200, kReply, false, kReply.size() + 4096}}});
  TMyParser p = QuickParser();
  auto tree = p.parse(server.Url("/large"));
  ASSERT_TRUE(tree) << p.LastError;
  auto workers = tree->GetElementsByTagName("Работник");
  ASSERT_EQ(workers.size(), 40000u);
  EXPECT_EQ(workers.back()->SelectSingleNode("СНИЛС")->text(), "139999");

  // The whole document arrives, then the connection closes before the declared length.
  EXPECT_FALSE(p.parse(server.Url("/cut")));
  EXPECT_FALSE(p.LastError.empty());
  EXPECT_EQ(p.LastError.find("строка"), std::string::npos) << p.LastError;  // the transfer, not the XML
}

TEST_F(XmlHttp, AReplyIsADocumentOnlyToTheEndOfItsBody) {
  // Far more than the parser takes at once, and more than curl receives in one step.
  const std::string blanks(4 << 20, ' ');
  TTestHttpServer server({{"/second", {200, kReply + "\n" + kReply}},
                          {"/junk", {200, kReply + "\nok"}},
                          {"/signed", {200, kReply + "\n<!-- подпись -->\n<?stamp 1?>\n"}},
                          {"/cut-after-blanks", {200, kReply + blanks, false, kReply.size() + blanks.size() + 4096}}});
  TMyParser p = QuickParser();
  for (const char* path : {"/second", "/junk"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(p.parse(server.Url(path)));
    EXPECT_NE(p.LastError.find("после корневого элемента"), std::string::npos) << p.LastError;
    EXPECT_EQ(p.ErrorLine, 3) << p.LastError;
  }
  ASSERT_TRUE(p.parse(server.Url("/signed"))) << p.LastError;
  // Megabytes follow the document before the transfer is cut: the cut is still the reason.
  EXPECT_FALSE(p.parse(server.Url("/cut-after-blanks")));
  EXPECT_FALSE(p.LastError.empty());
  EXPECT_EQ(p.LastError.find("строка"), std::string::npos) << p.LastError;
}

TEST_F(XmlHttp, RedirectsAreFollowedOnlyWithinTheHostAndPortAsked) {
  setenv("no_proxy", "127.0.0.1,localhost", 1);
  TTestHttpServer elsewhere({{"/doc", {200, kReply}}});
  auto to = [](const std::string& location) { return TReply{302, "", false, 0, location}; };
  TTestHttpServer server({{"/doc", {200, kReply}},
                          {"/relative", to("/hop")},
                          {"/hop", to("http://127.0.0.1:{port}/doc")},
                          {"/loop", to("/loop")},
                          {"/other-port", to(elsewhere.Url("/doc"))},
                          {"/other-host", to("http://localhost:{port}/doc")},
                          {"/other-scheme", to("https://127.0.0.1:{port}/doc")}});
  TMyParser p = QuickParser();
  auto tree = p.parse(server.Url("/relative"));
  ASSERT_TRUE(tree) << p.LastError;
  EXPECT_EQ(tree->GetElementsByTagName("Должность")[0]->text(), "Сварщик");
  EXPECT_EQ(server.Requests(), 3);

  for (const char* path : {"/other-port", "/other-host", "/other-scheme"}) {
    SCOPED_TRACE(path);
    const int before = server.Requests();
    EXPECT_FALSE(p.parse(server.Url(path)));
    EXPECT_NE(p.LastError.find("сервер перенаправил запрос на другой сервер ("), std::string::npos) << p.LastError;
    EXPECT_EQ(server.Requests(), before + 1);
  }
  EXPECT_NE(p.LastError.find("(https://127.0.0.1:"), std::string::npos) << p.LastError;
  EXPECT_EQ(elsewhere.Requests(), 0);

  EXPECT_FALSE(p.parse(server.Url("/loop")));
  EXPECT_EQ(p.LastError, "сервер перенаправил запрос больше 5 раз");
}

TEST_F(XmlHttp, TheParserItselfNeverGoesToTheNetwork) {
  TTestHttpServer server({{"/types.dtd", {200, "<!ENTITY leak \"LEAKED\">"}}, {"/part", {200, "LEAKED"}}});
  const std::string doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE r SYSTEM \"" + server.Url("/types.dtd") +
                          "\" [<!ENTITY part SYSTEM \"" + server.Url("/part") + "\">]>\n<r>a&part;b</r>";
  // The entity is never fetched, so the document cannot be read whole: it is refused.
  TMyParser parser;
  EXPECT_FALSE(parser.parseBytes(doc));
  EXPECT_FALSE(parser.LastError.empty());
  EXPECT_EQ(server.Requests(), 0);
}

}  // namespace
}  // namespace zz
