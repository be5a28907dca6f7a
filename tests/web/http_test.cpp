// The HTTP request routine: URL splitting, cookie merging, and what goes over the
// wire and comes back, checked against a loopback server that records the bytes.
#include "web/http.h"
#include "web/recording_server.h"

#include <gtest/gtest.h>

#include <thread>

namespace tolvane {
namespace {

using test::RecordingServer;
using test::ScriptedReply;

const std::string kLongAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; QZ7RK; .NET CLR "
                               "2.0.50727; .NET CLR 3.0.04506.648; .NET CLR 3.5.21022)";
const std::string kShortAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

std::string hostLine(const RecordingServer& server) {
    return "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
}

std::string redirectTo(const std::string& path, const std::string& body = "") {
    return "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:{port}" + path +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

TEST(UrlSplitting, HostPortAndPath) {
    struct Case {
        Text url;
        Text host;
        Text hostWithPort;
        int port;
        Text path;
    };
    const std::vector<Case> cases = {
        {"127.0.0.1:8080/autonumber/auto?num=123", "127.0.0.1", "127.0.0.1:8080", 8080,
         "/autonumber/auto?num=123"},
        {"http://M.Kuaidi100.com/queryDetail.php?com=x&nu=1", "m.kuaidi100.com", "m.kuaidi100.com",
         80, "/queryDetail.php?com=x&nu=1"},
        {"www.kuaidi100.com/autonumber/auto?num=1", "www.kuaidi100.com", "www.kuaidi100.com", 80,
         "/autonumber/auto?num=1"},
        {"HTTPS://Example.com", "example.com", "example.com", 443, "/"},
        {"https://example.com:8443/a?b=C#frag", "example.com", "example.com:8443", 8443,
         "/a?b=C#frag"},
        {"Example.com/Path?Q=A", "example.com", "example.com", 80, "/Path?Q=A"},
        {"example.com:abc/x", "example.com", "example.com:abc", 0, "/x"},
        // A scheme counts only at the start: a number cannot move the request elsewhere.
        {"www.kuaidi100.com/autonumber/auto?num=http://evil.example/", "www.kuaidi100.com",
         "www.kuaidi100.com", 80, "/autonumber/auto?num=http://evil.example/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UrlHost(c.url), c.host) << c.url;
        EXPECT_EQ(UrlHost(c.url, true), c.hostWithPort) << c.url;
        EXPECT_EQ(UrlPort(c.url), c.port) << c.url;
        EXPECT_EQ(UrlPath(c.url), c.path) << c.url;
    }
}

TEST(HeaderValueTest, TextAfterTheFirstColonTrimmed) {
    EXPECT_EQ(HeaderValue("Location: http://a/b:c "), "http://a/b:c");
    EXPECT_EQ(HeaderValue("Name:\xA1\xA1value\xA1\xA1"), "value");
    EXPECT_EQ(HeaderValue("no colon"), "");
}

TEST(MergeCookiesTest, NewCookiesFirstThenOldOnesNotReplaced) {
    struct Case {
        Text cookies;
        Text newCookies;
        Text merged;
        Text newAfter;
    };
    const std::vector<Case> cases = {
        {"a=1; b=2", "b=3; c=deleted", "b=3; a=1", "b=3;c=deleted"},
        {"", "x=1", "x=1", "x=1"},
        {"a=1", "", "a=1", ""},
        {"a=1;a=1", "", "a=1", ""},
        {"a = 1\xA1\xA1", "b=2; b=2", "b=2; a=1", "b=2;b=2"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        Text cookies = c.cookies;
        Text newCookies = c.newCookies;
        EXPECT_EQ(MergeCookies(cookies, newCookies), c.merged) << c.cookies;
        EXPECT_EQ(cookies, c.merged) << c.cookies;
        EXPECT_EQ(newCookies, c.newAfter) << c.cookies;
    }
}

TEST(WireBytes, CourierDetectionRequestWithoutScheme) {
    RecordingServer server(RecordingServer::Ok("[{\"comCode\":\"zhongtong\"}]"));
    const Text url = server.address("/autonumber/auto?num=123");
    EXPECT_EQ(WebRequest(url), "[{\"comCode\":\"zhongtong\"}]");
    EXPECT_EQ(server.lastRequest(), "GET /autonumber/auto?num=123 HTTP/1.1\r\n" + hostLine(server) +
                                        "User-Agent: " + kLongAgent +
                                        "\r\n"
                                        "Referer: " +
                                        url +
                                        "\r\n"
                                        "Accept: */*\r\n"
                                        "Accept-Language: zh-cn\r\n"
                                        "Content-Type: application/x-www-form-urlencoded\r\n"
                                        "\r\n");
}

TEST(WireBytes, DetailPageRequestWithScheme) {
    RecordingServer server(RecordingServer::Ok("page"));
    const Text url = "http://" + server.address("/queryDetail.php?com=x&nu=123");
    EXPECT_EQ(FetchText(url), "page");
    EXPECT_EQ(server.lastRequest(), "GET /queryDetail.php?com=x&nu=123 HTTP/1.1\r\n" +
                                        hostLine(server) + "User-Agent: " + kShortAgent +
                                        "\r\n"
                                        "Accept: */*\r\n"
                                        "Referer: " +
                                        url +
                                        "\r\n"
                                        "Accept-Language: zh-cn\r\n"
                                        "Content-Type: application/x-www-form-urlencoded\r\n"
                                        "\r\n");
}

TEST(WireBytes, ControlBytesInANumberTravelPercentEncoded) {
    RecordingServer server(RecordingServer::Ok("ok"));
    const Text url = server.address("/autonumber/auto?num=1 2\r\nX-Evil: 1\t\x7F\xD6\xD0&a=%41");
    const Text sent =
        server.address("/autonumber/auto?num=1%202%0D%0AX-Evil:%201%09%7F%D6%D0&a=%41");
    Text headers;
    RequestOptions options;
    options.extraHeaders = &headers;
    EXPECT_EQ(WebRequest(url, options), "ok");
    const std::string request = server.lastRequest();
    EXPECT_TRUE(
        request.starts_with("GET /autonumber/auto?num=1%202%0D%0AX-Evil:%201%09%7F%D6%D0&a=%41 "
                            "HTTP/1.1\r\n"))
        << request;
    EXPECT_NE(request.find("\r\nReferer: " + sent + "\r\n"), std::string::npos) << request;
    EXPECT_EQ(request.find("\r\nX-Evil"), std::string::npos) << request;
    EXPECT_TRUE(headers.starts_with("Referer: " + sent + "\r\n"));

    // A caller's own header block cannot smuggle a bare line break onto the wire either.
    Text smuggling = "X-One: a\nX-Two: b";
    options.extraHeaders = &smuggling;
    WebRequest(server.address("/x"), options);
    EXPECT_NE(server.lastRequest().find("\r\nX-One: aX-Two: b\r\n"), std::string::npos);
}

TEST(WireBytes, CallerHeadersAgentAndPost) {
    RecordingServer server(RecordingServer::Ok("ok"));
    Text headers = "Accept: text/html\r\nUser-Agent: Custom/1.0";
    Bytes postBytes;
    RequestOptions options;
    options.method = 1;
    options.postText = "a=1&b=2";
    options.postBytes = &postBytes;
    options.extraHeaders = &headers;
    EXPECT_EQ(WebRequest(server.address("/form"), options), "ok");
    const std::string request = server.lastRequest();
    EXPECT_TRUE(request.starts_with("POST /form HTTP/1.1\r\n")) << request;
    EXPECT_TRUE(request.ends_with("\r\n\r\na=1&b=2")) << request;
    EXPECT_NE(request.find("\r\nContent-Length: 7\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nUser-Agent: Custom/1.0\r\n"), std::string::npos);
    EXPECT_EQ(request.find("User-Agent: Mozilla"), std::string::npos);
    EXPECT_EQ(request.find("*/*"), std::string::npos);
    EXPECT_EQ(request.find("Expect"), std::string::npos);
    EXPECT_EQ(headers,
              "Accept: text/html\r\nUser-Agent: Custom/1.0\r\nReferer: " + server.address("/form") +
                  "\r\nAccept-Language: zh-cn\r\n"
                  "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(postBytes, "a=1&b=2");

    // The test for an existing line matches letter case exactly.
    Text lowerCase = "accept: text/html";
    options = {};
    options.extraHeaders = &lowerCase;
    WebRequestBytes(server.address("/lower"), options);
    EXPECT_TRUE(lowerCase.starts_with("accept: text/html\r\nAccept: */*\r\nReferer: "));
}

TEST(Utf8Test, BodyWindowEndsAtByte500UnlessHeadersNameUtf8) {
    const std::string chinese = "\xE4\xB8\xAD";
    const auto bodyWithMarkerAt = [&](size_t position) {
        return std::string(position - 1, 'x') + "utf-8" + chinese;
    };
    RecordingServer at499(RecordingServer::Ok(bodyWithMarkerAt(499)));
    EXPECT_TRUE(WebRequest(at499.address("/")).ends_with("utf-8\xD6\xD0"));

    RecordingServer at500(RecordingServer::Ok(bodyWithMarkerAt(500)));
    EXPECT_TRUE(WebRequest(at500.address("/")).ends_with("utf-8" + chinese));

    RecordingServer named(
        RecordingServer::Ok(bodyWithMarkerAt(500), "Content-Type: text/html; charset=UTF-8\r\n"));
    EXPECT_TRUE(WebRequest(named.address("/")).ends_with("utf-8\xD6\xD0"));

    RecordingServer capitals(RecordingServer::Ok("charset=UTF-8 " + chinese));
    EXPECT_EQ(WebRequest(capitals.address("/")), "charset=UTF-8 " + chinese);

    // FetchText never converts.
    EXPECT_TRUE(FetchText("http://" + at499.address("/")).ends_with(chinese));
}

TEST(Responses, ZeroByteEndsTheTextButNotTheBytes) {
    RecordingServer server(RecordingServer::Ok(std::string("ab\0cd", 5)));
    EXPECT_EQ(WebRequest(server.address("/")), "ab");
    EXPECT_EQ(FetchText("http://" + server.address("/")), "ab");
    EXPECT_EQ(WebRequestBytes(server.address("/")), std::string("ab\0cd", 5));
}

TEST(Responses, RawHeadersAndCookieItemsOfBothRoutines) {
    // Cookies here are scoped to a path no other test uses, as the store is shared.
    RecordingServer server(
        RecordingServer::Ok("body", "Set-Cookie: a=1; Path=/items\r\nSET-COOKIE: b=2\r\n"));
    Text newCookies;
    Text headers;
    RequestOptions options;
    options.newCookies = &newCookies;
    options.responseHeaders = &headers;
    EXPECT_EQ(WebRequest(server.address("/items/x"), options), "body");
    EXPECT_EQ(headers, "HTTP/1.1 200 OK\r\n"
                       "Set-Cookie: a=1; Path=/items\r\n"
                       "SET-COOKIE: b=2\r\n"
                       "Content-Length: 4\r\n"
                       "Connection: close\r\n"
                       "\r\n");
    EXPECT_EQ(newCookies, "a=1");

    RecordingServer exactCase(
        RecordingServer::Ok("body", "Set-Cookie: a=1; Path=/items\r\nSet-Cookie: b=2\r\n"));
    EXPECT_EQ(WebRequest(exactCase.address("/items/x"), options), "body");
    EXPECT_EQ(newCookies, "a=1; ");
    EXPECT_EQ(WebRequestBytes(exactCase.address("/items/x"), options), "body");
    EXPECT_EQ(newCookies, "a=1; b=2");

    // Any letter case counts for WebRequestBytes, and its header text says "Set-Cookie".
    EXPECT_EQ(WebRequestBytes(server.address("/items/x"), options), "body");
    EXPECT_EQ(newCookies, "a=1; b=2");
    EXPECT_NE(headers.find("\r\nSet-Cookie: b=2\r\n"), std::string::npos);
}

TEST(Responses, HeadersOver4999BytesComeBackAsBlanks) {
    RecordingServer server(RecordingServer::Ok(
        "\xE4\xB8\xAD", "X-Long: " + std::string(5000, 'a') +
                            "\r\nContent-Type: text/html; charset=utf-8\r\nSet-Cookie: a=1\r\n"));
    Text cookies;
    Text newCookies;
    Text headers;
    Text redirectTarget;
    RequestOptions options;
    options.cookies = &cookies;
    options.newCookies = &newCookies;
    options.responseHeaders = &headers;
    options.redirectTarget = &redirectTarget;
    EXPECT_EQ(WebRequest(server.address("/"), options), "\xE4\xB8\xAD");
    EXPECT_EQ(headers, std::string(5000, ' '));
    EXPECT_EQ(redirectTarget, headers);
    EXPECT_EQ(newCookies, "");
}

TEST(Cookies, SharedStoreCarriesCookiesAcrossRequestsUnlessCookiesAreGiven) {
    RecordingServer server([](size_t connection, const std::string&) {
        const char* setCookie = connection == 0   ? "Set-Cookie: shared=1; Path=/cookie-test\r\n"
                                : connection == 2 ? "Set-Cookie: own=3; Path=/cookie-test\r\n"
                                                  : "";
        return ScriptedReply{RecordingServer::Ok("ok", setCookie)};
    });
    EXPECT_EQ(FetchText("http://" + server.address("/cookie-test/a")), "ok");
    // Another thread, same store.
    std::thread([&] { WebRequest(server.address("/cookie-test/b")); }).join();
    EXPECT_NE(server.requests()[1].find("\r\nCookie: shared=1\r\n"), std::string::npos)
        << server.requests()[1];

    Text cookies = "own=2; kept=1";
    RequestOptions options;
    options.cookies = &cookies;
    WebRequest(server.address("/cookie-test/c"), options);
    const std::string withGiven = server.requests()[2];
    EXPECT_NE(withGiven.find("\r\nCookie: own=2; kept=1\r\n"), std::string::npos) << withGiven;
    EXPECT_EQ(withGiven.find("shared=1"), std::string::npos) << withGiven;
    EXPECT_EQ(cookies, "own=3; kept=1");

    // The reply to the request with given cookies did not reach the shared store.
    WebRequest(server.address("/cookie-test/d"));
    EXPECT_EQ(server.requests()[3].find("own="), std::string::npos) << server.requests()[3];
}

TEST(Redirects, FollowedToTheFinalResponse) {
    RecordingServer server([](size_t connection, const std::string&) {
        return ScriptedReply{connection == 0 ? redirectTo("/final", "moved")
                                             : RecordingServer::Ok("done", "X-Final: yes\r\n")};
    });
    Text headers;
    Text redirectTarget;
    RequestOptions options;
    options.responseHeaders = &headers;
    options.redirectTarget = &redirectTarget;
    EXPECT_EQ(WebRequest(server.address("/start"), options), "done");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_TRUE(server.requests()[1].starts_with("GET /final HTTP/1.1\r\n"));
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;
    EXPECT_EQ(headers.find("302"), std::string::npos) << headers;
    EXPECT_EQ(redirectTarget, headers);
}

TEST(Redirects, NoRedirectReturnsTheRedirectItself) {
    RecordingServer server(redirectTo("/final", "moved"));
    Text redirectTarget;
    RequestOptions options;
    options.noRedirect = true;
    options.redirectTarget = &redirectTarget;
    EXPECT_EQ(WebRequest(server.address("/start"), options), "moved");
    EXPECT_EQ(redirectTarget, "http://" + server.address("/final"));
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(Redirects, LoopEndsAfterALimitedNumberOfHops) {
    RecordingServer server(redirectTo("/loop"));
    Text headers;
    RequestOptions options;
    options.responseHeaders = &headers;
    EXPECT_EQ(WebRequest(server.address("/loop"), options), "");
    EXPECT_LE(server.requests().size(), 11u);
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 302")) << headers;
}

TEST(Failures, NoResponseGivesEmptyResultsAndLeavesOutputsAlone) {
    Text headers = "untouched";
    RequestOptions options;
    options.responseHeaders = &headers;
    const Text refused = "127.0.0.1:" + std::to_string(test::ClosedPort()) + "/x";
    EXPECT_EQ(WebRequest(refused, options), "");
    EXPECT_EQ(FetchText("http://" + refused), "");
    EXPECT_EQ(WebRequestBytes(refused), "");
    EXPECT_EQ(headers, "untouched");

    RecordingServer closing([](size_t, const std::string&) {
        ScriptedReply reply;
        reply.closeAtOnce = true;
        return reply;
    });
    EXPECT_EQ(WebRequest(closing.address("/"), options), "");

    RecordingServer garbage("this is not HTTP\r\n\r\n");
    EXPECT_EQ(FetchText("http://" + garbage.address("/")), "");
    EXPECT_EQ(headers, "untouched");
}

TEST(Failures, WhatArrivedIsKept) {
    RecordingServer truncated(
        "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\nabc");
    EXPECT_EQ(FetchText("http://" + truncated.address("/")), "abc");

    const size_t cap = 16 * 1024 * 1024;
    RecordingServer huge(RecordingServer::Ok(std::string(cap + 4096, 'z')));
    EXPECT_EQ(WebRequestBytes(huge.address("/")).size(), cap);
}

TEST(Threads, ManyCallersAtOnce) {
    RecordingServer server(RecordingServer::Ok("ok"));
    std::vector<std::thread> callers;
    std::vector<Text> results(32);
    for (size_t i = 0; i < results.size(); ++i) {
        callers.emplace_back([&, i] {
            results[i] = i % 2 == 0 ? WebRequest(server.address("/n" + std::to_string(i)))
                                    : FetchText("http://" + server.address("/n"));
        });
    }
    for (std::thread& caller : callers) {
        caller.join();
    }
    for (const Text& result : results) {
        EXPECT_EQ(result, "ok");
    }
    EXPECT_EQ(server.requests().size(), results.size());
}

} // namespace
} // namespace tolvane
