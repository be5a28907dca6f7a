// The HTTP request routine every network access goes through (libcurl): one
// synchronous request per call with the program's fixed header block and agents.
#pragma once

#include "web/text.h"

#include <optional>

namespace tolvane {

// Optional parameters of WebRequest / WebRequestBytes. A pointer that is null is a
// parameter the caller did not give; in/out and out parameters are written through
// their pointers. Everything omitted reads as empty text, empty bytes, 0 or false.
struct RequestOptions {
    int method = 0;
    Text postText;
    Text* cookies = nullptr; // given (even empty): own cookies instead of the shared store
    Text* newCookies = nullptr;
    Text* extraHeaders = nullptr; // in/out: receives the whole header block sent
    Text* redirectTarget = nullptr;
    bool noRedirect = false;
    Bytes* postBytes = nullptr;
    std::optional<Text> proxy;
    Text* responseHeaders = nullptr;
};

// The response body as text, converted from UTF-8 when it looks like UTF-8.
Text WebRequest(const Text& url, const RequestOptions& options = {});
// The raw response body.
Bytes WebRequestBytes(const Text& url, const RequestOptions& options = {});
// WebRequestBytes with the URL alone, as text up to the first zero byte.
Text FetchText(const Text& url);

Text HeaderValue(const Text& line);
Text UrlHost(const Text& url, bool keepPort = false);
int UrlPort(const Text& url);
Text UrlPath(const Text& url);
Text MergeCookies(Text& cookies, Text& newCookies);

} // namespace tolvane
