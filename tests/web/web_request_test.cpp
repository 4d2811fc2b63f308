#include "web/web_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/loopback_server.h"
#include "tests/support/raw_http_server.h"
#include "tests/web/gzip_test_util.h"
#include "text/code_page.h"
#include "web/http_client.h"
#include "web/request_rules.h"
#include "web/web_global.h"

namespace varnelo {
namespace {

using test::LoopbackServer;
using test::RawConnection;
using test::RawHttpServer;
using testing::HasSubstr;
using testing::Not;

const WebGlobal kWebGlobal;

constexpr std::string_view kDefaultHeaders =
    "Accept: */*\r\n"
    "Referer: http://127.0.0.1\r\n"
    "Accept-Language: zh-cn\r\n"
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/50.0.2661.102 Safari/537.36\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n";

RawHttpServer::Handler Answering(std::string answer) {
  return [answer](RawConnection& connection) { connection.Send(answer); };
}

std::string Fetch(const std::string& url) {
  WebRequestArgs args;
  args.url = url;
  return WebRequest(args);
}

TEST(WebRequestTest, PlainGetCarriesExactlyTheDefaultHeaders) {
  RawHttpServer server(Answering(RawHttpServer::Answer(200, "", "ok")));
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/search?q=1";
  EXPECT_EQ(WebRequest(args), "ok");
  EXPECT_EQ(args.status, 200);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0], "GET /search?q=1 HTTP/1.1\r\nHost: " + server.hostPort() +
                                      "\r\n" + std::string(kDefaultHeaders) + "\r\n");
  // The caller's header text holds the completed defaults, without a break at the end.
  std::string expected(kDefaultHeaders);
  expected.resize(expected.size() - 2);
  EXPECT_EQ(args.requestHeaders, expected);
}

TEST(WebRequestTest, CookieHeaderGoesFirstThenTheCallersLinesInOrder) {
  RawHttpServer server(Answering(RawHttpServer::Answer(204, "", "")));
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  args.cookies = "a=1; b=2";
  args.requestHeaders = "X-Second: 2\r\nX-First: 1\r\nno colon line\r\nX-Empty:";
  EXPECT_EQ(WebRequest(args), "");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0], "GET / HTTP/1.1\r\nHost: " + server.hostPort() +
                                      "\r\nCookie: a=1; b=2\r\nX-Second: 2\r\nX-First: 1\r\n"
                                      "X-Empty:\r\n" +
                                      std::string(kDefaultHeaders) + "\r\n");
}

TEST(WebRequestTest, DefaultsAreAddedOnlyWhereTheExactKeyIsMissing) {
  RawHttpServer server(Answering(RawHttpServer::Answer(204, "", "")));
  const std::string defaultsAfterAccept = std::string(kDefaultHeaders).substr(13);
  struct Case {
    std::string given;
    std::string completed;  // without the four lines after Accept, when marked
  };
  const std::string rest = "\r\n" + defaultsAfterAccept.substr(0, defaultsAfterAccept.size() - 2);
  const Case cases[] = {
      // Lower case does not count: Accept is appended as a line of its own.
      {"accept: text/html", "accept: text/html\r\nAccept: */*" + rest},
      // A Referer of the caller's stays, and no second one is added.
      {"Referer: http://elsewhere/page",
       "Referer: http://elsewhere/page\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n" +
           std::string(kDefaultHeaders.substr(
               kDefaultHeaders.find("User-Agent"),
               kDefaultHeaders.size() - kDefaultHeaders.find("User-Agent") - 2))},
      // A text ending in CR LF gets the defaults after an empty line.
      {"X-A: 1\r\n", "X-A: 1\r\n\r\nAccept: */*" + rest},
      // The key is found anywhere, even inside another header's value.
      {"X-Note: Accept: nothing", "X-Note: Accept: nothing" + rest},
  };
  for (const Case& c : cases) {
    WebRequestArgs args;
    args.url = "http://" + server.hostPort() + "/";
    args.requestHeaders = c.given;
    WebRequest(args);
    EXPECT_EQ(args.requestHeaders, c.completed) << c.given;
  }
  // The empty line of "X-A: 1\r\n" is skipped when the headers are sent.
  EXPECT_THAT(server.requests()[2], HasSubstr("\r\nX-A: 1\r\nAccept: */*\r\n"));
}

TEST(WebRequestTest, SchemeIsPutInFrontOnlyWhenNoneOccurs) {
  RawHttpServer server(Answering(RawHttpServer::Answer(200, "", "x")));
  WebRequestArgs bare;
  bare.url = server.hostPort() + "/p";
  EXPECT_EQ(WebRequest(bare), "x");
  EXPECT_EQ(bare.url, "http://" + server.hostPort() + "/p");

  WebRequestArgs inQuery;
  inQuery.url = server.hostPort() + "/p?next=http://other";
  WebRequest(inQuery);
  EXPECT_EQ(inQuery.url, server.hostPort() + "/p?next=http://other");

  WebRequestArgs bytes;
  bytes.url = server.hostPort() + "/b";
  EXPECT_EQ(WebRequestBytes(bytes), Bytes{'x'});
  EXPECT_EQ(bytes.url, "http://" + server.hostPort() + "/b");
}

TEST(WebRequestTest, MethodNumbersPickTheRequestLine) {
  RawHttpServer server(Answering(RawHttpServer::Answer(200, "", "")));
  const std::pair<int, std::string> cases[] = {
      {0, "GET"},     {1, "POST"},  {2, "HEAD"},    {3, "PUT"}, {4, "DELETE"},
      {5, "OPTIONS"}, {6, "TRACE"}, {7, "CONNECT"}, {8, "GET"}, {-1, "GET"},
  };
  for (const auto& [method, name] : cases) {
    WebRequestArgs args;
    args.url = "http://" + server.hostPort() + "/m";
    args.method = method;
    WebRequest(args);
    EXPECT_THAT(server.requests().back(), testing::StartsWith(name + " /m HTTP/1.1\r\n")) << method;
  }
}

TEST(WebRequestTest, BodyIsTheBytesWhenGivenElseTheText) {
  std::string receivedBody;
  RawHttpServer server([&](RawConnection& connection) {
    receivedBody = connection.body();
    connection.Send(RawHttpServer::Answer(200, "", ""));
  });
  WebRequestArgs text;
  text.url = "http://" + server.hostPort() + "/";
  text.method = 1;
  text.postText = "a=1&b=\xC9\xCF";  // GBK text goes out as UTF-8
  WebRequest(text);
  EXPECT_EQ(receivedBody, "a=1&b=上");

  WebRequestArgs bytes = text;
  bytes.postBytes = {0x00, 0x01, 0xFF};
  WebRequest(bytes);
  EXPECT_EQ(receivedBody, std::string("\x00\x01\xFF", 3));
}

TEST(WebRequestTest, RedirectsAreFollowedUnlessTurnedOff) {
  LoopbackServer server(LoopbackServer::Scheme::kHttp);
  server.server().Get("/from", [](const httplib::Request&, httplib::Response& response) {
    response.status = 302;
    response.set_header("Location", "/to");
    response.set_content("moved", "text/plain");
  });
  server.server().Get("/to", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("arrived", "text/plain");
  });
  server.Start();

  WebRequestArgs follow;
  follow.url = server.Url("/from");
  EXPECT_EQ(WebRequest(follow), "arrived");
  EXPECT_EQ(follow.status, 200);
  // Only the final response's header block is kept.
  EXPECT_THAT(follow.responseHeaders, Not(HasSubstr("Location")));

  WebRequestArgs stay;
  stay.url = server.Url("/from");
  stay.noRedirect = true;
  EXPECT_EQ(WebRequest(stay), "moved");
  EXPECT_EQ(stay.status, 302);
  EXPECT_THAT(stay.responseHeaders, HasSubstr("Location: /to"));
}

TEST(WebRequestTest, SelfSignedCertificateIsAccepted) {
  LoopbackServer server(LoopbackServer::Scheme::kHttps);
  server.server().Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("secure", "text/plain");
  });
  server.Start();
  EXPECT_EQ(Fetch(server.Url("/")), "secure");
}

TEST(WebRequestTest, ErrorStatusesStillReturnTheirBody) {
  RawHttpServer server(Answering(RawHttpServer::Answer(500, "", "<html>oops</html>")));
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  EXPECT_EQ(WebRequest(args), "<html>oops</html>");
  EXPECT_EQ(args.status, 500);
}

TEST(WebRequestTest, SilentServerTimesOutAsAFailedRequest) {
  RawHttpServer server(
      [](RawConnection& connection) { connection.Pause(std::chrono::seconds(30)); });
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  args.timeoutSeconds = 1;
  EXPECT_EQ(WebRequest(args), "");
  EXPECT_EQ(args.status, 0);
  EXPECT_EQ(args.responseHeaders, "");
}

TEST(WebRequestTest, UnreachablePortGivesEmptyTextAndStatusZero) {
  // A port that was just free: nothing listens there.
  int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t size = sizeof address;
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(probe);

  WebRequestArgs args;
  args.url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
  args.cookies = "a = 1";
  EXPECT_EQ(WebRequest(args), "");
  EXPECT_EQ(args.status, 0);
  EXPECT_EQ(args.newCookies, "");
  EXPECT_EQ(args.cookies, "a=1");  // the merge still runs on the empty answer
}

TEST(WebRequestTest, SetCookieInAnyCaseIsNormalisedAndCaptured) {
  RawHttpServer server(Answering(RawHttpServer::Answer(
      200, "set-cookie: a=1\r\nset-cookie: b=2; path=/\r\nSET-COOKIE: c=4\r\n", "")));
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  args.cookies = "b=0; c=3";
  WebRequest(args);
  EXPECT_THAT(args.responseHeaders,
              HasSubstr("\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2; path=/\r\nSet-Cookie: c=4\r\n"));
  EXPECT_THAT(args.responseHeaders, Not(HasSubstr("set-cookie")));
  EXPECT_EQ(args.newCookies, "a=1;b=2;path=/;c=4");
  EXPECT_EQ(args.cookies, "a=1; b=2; path=/; c=4");
}

TEST(WebRequestTest, BodyIsConvertedFromUtf8ToCodePage936) {
  RawHttpServer server(Answering(RawHttpServer::Answer(200, "", "上海")));
  EXPECT_EQ(Fetch("http://" + server.hostPort() + "/"), "\xC9\xCF\xBA\xA3");
}

TEST(WebRequestTest, GzipIsInflatedOnlyWhenTheExactHeaderAskedForIt) {
  const Bytes gzipped = test::Gzip("上海");
  RawHttpServer server(Answering(RawHttpServer::Answer(
      200, "Content-Encoding: gzip\r\n", std::string(gzipped.begin(), gzipped.end()))));
  for (const char* header : {"Accept-Encoding: gzip", "Accept-Encoding:gzip"}) {
    WebRequestArgs args;
    args.url = "http://" + server.hostPort() + "/";
    args.requestHeaders = header;
    EXPECT_EQ(WebRequest(args), "\xC9\xCF\xBA\xA3") << header;
  }
  WebRequestArgs lower;
  lower.url = "http://" + server.hostPort() + "/";
  lower.requestHeaders = "accept-encoding: gzip";
  EXPECT_EQ(WebRequestBytes(lower), gzipped);
  WebRequestArgs none;
  none.url = lower.url;
  EXPECT_EQ(WebRequestBytes(none), gzipped);
}

TEST(WebRequestTest, GzipBombIsAFailedRequest) {
  const Bytes bomb = test::Gzip(std::string(65u << 20, 'a'), 9);
  RawHttpServer server(
      Answering(RawHttpServer::Answer(200, "", std::string(bomb.begin(), bomb.end()))));
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  args.requestHeaders = "Accept-Encoding: gzip";
  EXPECT_TRUE(WebRequestBytes(args).empty());
  // The exchange itself went through; only its result is refused.
  EXPECT_EQ(args.status, 200);
  EXPECT_FALSE(args.error.empty());
}

TEST(WebRequestTest, BodyAboveTheBoundIsAFailedRequest) {
  LoopbackServer server(LoopbackServer::Scheme::kHttp);
  server.server().Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string((64u << 20) + 1, 'x'), "text/plain");
  });
  server.Start();
  WebRequestArgs args;
  args.url = server.Url("/");
  EXPECT_EQ(WebRequest(args), "");
  EXPECT_EQ(args.status, 0);
}

TEST(WebRequestTest, NamedProxyGetsTheAbsoluteFormAndItsCredentials) {
  RawHttpServer proxy(Answering(RawHttpServer::Answer(200, "", "via proxy")));
  WebRequestArgs args;
  args.url = "http://map.example.test/search?wd=1";
  args.proxy = proxy.hostPort();
  args.proxyUser = "user";
  args.proxyPassword = "secret";
  EXPECT_EQ(WebRequest(args), "via proxy");
  ASSERT_EQ(proxy.requests().size(), 1u);
  const std::string received = proxy.requests()[0];
  EXPECT_THAT(received,
              testing::StartsWith("GET http://map.example.test/search?wd=1 HTTP/1.1\r\n"));
  EXPECT_THAT(received, HasSubstr("\r\nReferer: http://map.example.test\r\n"));
  EXPECT_THAT(received, HasSubstr("\r\nProxy-Authorization: Basic dXNlcjpzZWNyZXQ=\r\n"));

  // Flag 0: the same credentials are the server's.
  WebRequestArgs server = args;
  server.proxyCredentialFlag = 0;
  WebRequest(server);
  EXPECT_THAT(proxy.requests().back(), HasSubstr("\r\nAuthorization: Basic dXNlcjpzZWNyZXQ=\r\n"));
  EXPECT_THAT(proxy.requests().back(), Not(HasSubstr("Proxy-Authorization")));
}

TEST(WebRequestTest, AbortEndsASlowBodyPromptly) {
  RawHttpServer server([](RawConnection& connection) {
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
    connection.Pause(std::chrono::seconds(30));
  });
  std::stop_source stop;
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  args.abort = stop.get_token();
  std::jthread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop.request_stop();
  });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(WebRequest(args), "");
  EXPECT_EQ(args.status, 0);
  // The server would hold the body for half a minute; the abort cut it short.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST(WebRequestTest, ServerGetsNoHeaderOfLibcurlsOwnBesidesHostAndLength) {
  RawHttpServer server(Answering(RawHttpServer::Answer(200, "", "")));
  // The text holds the keys "Accept:" and "Content-Type:" but no such header, so
  // neither is added; libcurl must not add its own in their place, nor an
  // "Expect: 100-continue" for the large body.
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/p";
  args.method = 1;
  args.postText = std::string(5000, 'a');
  args.requestHeaders = "X-Note: Accept: Content-Type:";
  WebRequest(args);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0], "POST /p HTTP/1.1\r\nHost: " + server.hostPort() +
                                      "\r\nX-Note: Accept: Content-Type:\r\n"
                                      "Referer: http://127.0.0.1\r\n"
                                      "Accept-Language: zh-cn\r\n"
                                      "User-Agent: " +
                                      std::string(kDefaultUserAgent) +
                                      "\r\nContent-Length: 5000\r\n\r\n");

  // A bodyless POST still says its length; a lower-case accept of the caller's
  // is the only Accept besides the appended default.
  WebRequestArgs empty;
  empty.url = args.url;
  empty.method = 1;
  empty.requestHeaders = "accept: text/html";
  WebRequest(empty);
  const std::string received = server.requests().back();
  EXPECT_THAT(received, HasSubstr("\r\naccept: text/html\r\nAccept: */*\r\n"));
  EXPECT_THAT(received, HasSubstr("\r\nContent-Length: 0\r\n"));
  EXPECT_EQ(received.find("Accept: */*"), received.rfind("Accept: */*"));
}

TEST(WebRequestTest, RefererIsTheLowerCaseHostWithoutPortOrPath) {
  RawHttpServer server(Answering(RawHttpServer::Answer(200, "", "")));
  WebRequestArgs args;
  args.url = "http://LocalHost:" + std::to_string(server.port()) + "/Some/Path?q=1";
  WebRequest(args);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_THAT(server.requests()[0], HasSubstr("\r\nReferer: http://localhost\r\n"));
}

TEST(WebRequestTest, EmptyAnswerGivesEmptyTextWithItsStatus) {
  RawHttpServer server(Answering("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n"));
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  EXPECT_EQ(WebRequest(args), "");
  EXPECT_EQ(args.status, 204);
  EXPECT_THAT(args.responseHeaders, testing::StartsWith("HTTP/1.1 204 No Content\r\n"));
  EXPECT_EQ(args.error, "");
}

TEST(WebRequestTest, ByteOrderMarkIsNotRemoved) {
  RawHttpServer server(Answering(RawHttpServer::Answer(200, "", "\xEF\xBB\xBF上海")));
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  // The whole body, mark included, goes through the code-page conversion; what
  // the mark becomes is the conversion's business (text/code_page.h).
  EXPECT_EQ(WebRequest(args), Utf8ToGbk("\xEF\xBB\xBF上海"));
  WebRequestArgs bytes;
  bytes.url = args.url;
  const Bytes raw = WebRequestBytes(bytes);
  ASSERT_GE(raw.size(), 3u);
  EXPECT_EQ(raw[0], 0xEF);
}

TEST(WebRequestTest, ProxyOfTheEnvironmentIsNotUsed) {
  RawHttpServer server(Answering(RawHttpServer::Answer(200, "", "direct")));
  // A proxy that does not exist: taking it would fail the request.
  ::setenv("http_proxy", "http://127.0.0.1:1", 1);
  ::setenv("HTTPS_PROXY", "http://127.0.0.1:1", 1);
  ::setenv("ALL_PROXY", "http://127.0.0.1:1", 1);
  const std::string text = Fetch("http://" + server.hostPort() + "/");
  ::unsetenv("http_proxy");
  ::unsetenv("HTTPS_PROXY");
  ::unsetenv("ALL_PROXY");
  EXPECT_EQ(text, "direct");
}

TEST(WebRequestTest, WithoutARequestObjectOnlyTheByteVariantCorrectsTheUrl) {
  HttpClient usable;
  HttpClient gone = std::move(usable);  // leaves usable without handles
  ASSERT_FALSE(usable.valid());
  ASSERT_TRUE(gone.valid());

  WebRequestArgs text;
  text.url = "127.0.0.1:1/x";
  text.requestObject = &usable;
  text.status = 7;
  text.cookies = "a = 1";
  EXPECT_EQ(WebRequest(text), "");
  EXPECT_EQ(text.url, "127.0.0.1:1/x");  // nothing written
  EXPECT_EQ(text.status, 7);
  EXPECT_EQ(text.cookies, "a = 1");
  EXPECT_EQ(text.requestHeaders, "");

  WebRequestArgs bytes;
  bytes.url = "127.0.0.1:1/x";
  bytes.requestObject = &usable;
  EXPECT_TRUE(WebRequestBytes(bytes).empty());
  EXPECT_EQ(bytes.url, "http://127.0.0.1:1/x");  // corrected first
  EXPECT_EQ(bytes.requestHeaders, "");
}

TEST(WebRequestTest, RaisedAbortFailsAtOnce) {
  RawHttpServer server(Answering(RawHttpServer::Answer(200, "", "x")));
  std::stop_source stop;
  stop.request_stop();
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  args.abort = stop.get_token();
  EXPECT_EQ(WebRequest(args), "");
  EXPECT_EQ(args.status, 0);
  EXPECT_EQ(args.error, "aborted");
  EXPECT_TRUE(server.requests().empty());
}

TEST(WebRequestTest, AbortWhileWaitingForTheAnswerEndsWithinAFewMilliseconds) {
  RawHttpServer server(
      [](RawConnection& connection) { connection.Pause(std::chrono::seconds(30)); });
  std::stop_source stop;
  WebRequestArgs args;
  args.url = "http://" + server.hostPort() + "/";
  args.abort = stop.get_token();
  std::chrono::steady_clock::time_point raised;
  std::jthread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    raised = std::chrono::steady_clock::now();
    stop.request_stop();
  });
  EXPECT_EQ(WebRequest(args), "");
  const auto ended = std::chrono::steady_clock::now();
  stopper.join();
  EXPECT_EQ(args.status, 0);
  // About 100 ms is the promise; the margin is for a loaded machine.
  EXPECT_LT(ended - raised, std::chrono::seconds(1));
}

TEST(WebRequestTest, ChunkedBodyAboveTheBoundIsAFailedRequest) {
  LoopbackServer server(LoopbackServer::Scheme::kHttp);
  server.server().Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_chunked_content_provider(
        "application/octet-stream", [sent = size_t{0}](size_t, httplib::DataSink& sink) mutable {
          static const std::string block(1 << 20, 'x');
          if (sent > kMaxResponseBodyBytes) {
            sink.done();
            return true;
          }
          sent += block.size();
          return sink.write(block.data(), block.size());
        });
  });
  server.Start();
  WebRequestArgs args;
  args.url = server.Url("/");
  EXPECT_TRUE(WebRequestBytes(args).empty());
  EXPECT_EQ(args.status, 0);
  EXPECT_EQ(args.responseHeaders, "");
  EXPECT_FALSE(args.error.empty());
}

TEST(WebRequestTest, BodyAtTheBoundIsKept) {
  LoopbackServer server(LoopbackServer::Scheme::kHttp);
  server.server().Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(kMaxResponseBodyBytes, 'x'), "application/octet-stream");
  });
  server.Start();
  WebRequestArgs args;
  args.url = server.Url("/");
  EXPECT_EQ(WebRequestBytes(args).size(), kMaxResponseBodyBytes);
  EXPECT_EQ(args.status, 200);
}

TEST(WebRequestTest, ReusedClientKeepsOneConnectionAndNothingElse) {
  LoopbackServer server(LoopbackServer::Scheme::kHttps);
  server.server().Get("/", [](const httplib::Request& request, httplib::Response& response) {
    response.set_header("Set-Cookie", "sid=1");
    response.set_content(request.has_header("Cookie") ? "cookie" : "clean", "text/plain");
  });
  server.Start();

  HttpClient client;
  for (int i = 0; i < 3; ++i) {
    WebRequestArgs args;
    args.url = server.Url("/");
    args.requestObject = &client;
    EXPECT_EQ(WebRequest(args), "clean");
  }
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].remotePort, requests[1].remotePort);
  EXPECT_EQ(requests[1].remotePort, requests[2].remotePort);

  server.ClearRequests();
  Fetch(server.Url("/"));
  Fetch(server.Url("/"));
  requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_NE(requests[0].remotePort, requests[1].remotePort);
}

}  // namespace
}  // namespace varnelo
