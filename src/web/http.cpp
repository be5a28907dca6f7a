// The HTTP request routine on libcurl: one easy handle per request, the fixed
// header block and agents, the raw headers of the final response, and one
// cookie store shared by every thread unless the caller brings its own cookies.
#include "web/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>

namespace tolvane {
namespace {

constexpr long kConnectTimeoutSeconds = 60;
constexpr long kStallSeconds = 30;
constexpr long kTotalTimeoutSeconds = 120;
constexpr long kMaxRedirects = 10;
constexpr size_t kBodyCap = 16 * 1024 * 1024;
// The raw headers had to fit a 5000-byte buffer with its terminating zero.
constexpr size_t kHeaderBufferSize = 5000;
constexpr int kUtf8TestWindow = 500;

const char* const kLongAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; QZ7RK; .NET CLR "
                               "2.0.50727; .NET CLR 3.0.04506.648; .NET CLR 3.5.21022)";
const char* const kShortAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

void initialiseCurl() {
    // Thread-safe by the rules of function-local statics; never cleaned up because
    // detached query workers may still be running at exit.
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

// The process-wide cookie store (and DNS cache) every request shares unless it
// brings its own cookies.
class SharedStore final {
public:
    SharedStore() : share_(curl_share_init()) {
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &SharedStore::lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &SharedStore::unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    ~SharedStore() { curl_share_cleanup(share_); }
    SharedStore(const SharedStore&) = delete;
    SharedStore& operator=(const SharedStore&) = delete;

    CURLSH* handle() const { return share_; }

private:
    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* store) {
        static_cast<SharedStore*>(store)->mutexes_[index(data)].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* store) {
        static_cast<SharedStore*>(store)->mutexes_[index(data)].unlock();
    }
    static size_t index(curl_lock_data data) {
        return static_cast<size_t>(data) < CURL_LOCK_DATA_LAST ? static_cast<size_t>(data) : 0;
    }

    std::array<std::mutex, CURL_LOCK_DATA_LAST> mutexes_;
    CURLSH* share_;
};

SharedStore& sharedStore() {
    static SharedStore store;
    return store;
}

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

struct ListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

bool isUnsafeUrlByte(unsigned char c) {
    return c <= 0x20 || c == 0x7F || c >= 0x80;
}

// Blanks, control bytes and bytes above ASCII travel percent-encoded, so that no
// part of a URL (a tracking number, say) can break the request line or a header.
Text encodeUnsafeBytes(std::string_view url) {
    static constexpr char hex[] = "0123456789ABCDEF";
    Text out;
    out.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (isUnsafeUrlByte(byte)) {
            out.push_back('%');
            out.push_back(hex[byte >> 4]);
            out.push_back(hex[byte & 0x0F]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// A header line never carries a line break or other control byte of its own.
Text withoutControlBytes(std::string_view line) {
    Text out;
    out.reserve(line.size());
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\t' || (byte >= 0x20 && byte != 0x7F)) {
            out.push_back(c);
        }
    }
    return out;
}

Text asciiLower(std::string_view text) {
    Text out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool isHttps(std::string_view url) {
    return asciiLower(url.substr(0, 5)) == "https";
}

// The header lines for curl. curl's own lines are switched off except Host and the agent.
HeaderList headerList(const Text& block) {
    curl_slist* list = nullptr;
    const auto add = [&list](const Text& line) {
        if (curl_slist* grown = curl_slist_append(list, line.c_str())) {
            list = grown;
        }
    };
    for (Text line : Split(block, "\r\n")) {
        line = withoutControlBytes(line);
        if (Trim(line).empty()) {
            continue;
        }
        // "Name:" alone would tell curl to drop the line; "Name;" sends it empty.
        if (TrimEnd(line).ends_with(':')) {
            line = TrimEnd(line);
            line.back() = ';';
        }
        add(line);
    }
    for (const char* name : {"Expect", "Pragma", "Cache-Control"}) {
        if (Find(block, Text(name) + ":", 0, true) == -1) {
            add(Text(name) + ":");
        }
    }
    return HeaderList(list);
}

// What one exchange with the server brought back.
struct Response {
    Bytes body;
    Text headers;           // the latest response's raw header block, bounded
    size_t headerBytes = 0; // its whole size
    bool headersDone = false;
    bool anyResponse = false;
};

size_t onBody(char* data, size_t size, size_t count, void* target) {
    auto* response = static_cast<Response*>(target);
    const size_t length = size * count;
    const size_t room = kBodyCap - response->body.size();
    if (length > room) {
        response->body.append(data, room);
        return 0; // ends the transfer: the body is cut at the cap
    }
    response->body.append(data, length);
    return length;
}

size_t onHeader(char* data, size_t size, size_t count, void* target) {
    auto* response = static_cast<Response*>(target);
    const size_t length = size * count;
    std::string_view line(data, length);
    // Each response (a redirect, an interim 100) starts with its status line; only the
    // final one is kept.
    if (line.starts_with("HTTP/")) {
        response->headers.clear();
        response->headerBytes = 0;
        response->headersDone = false;
        response->body.clear();
        response->anyResponse = true;
    } else if (response->headersDone) {
        return length; // trailers after a chunked body
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    response->headerBytes += line.size() + 2;
    if (response->headerBytes < kHeaderBufferSize) {
        response->headers.append(line);
        response->headers.append("\r\n");
    }
    response->headersDone = line.empty();
    return length;
}

// One request as it goes on the wire.
struct Request {
    Text url;
    Text verb;
    bool sendBody = false;
    Text agent;
    Text headerBlock;
    Bytes body;
    bool ownCookies = false;
    bool noRedirect = false;
    Text proxy;
};

Text curlUrl(const Text& url) {
    const Text host = UrlHost(url);
    if (host.empty()) {
        return {};
    }
    return Text(isHttps(url) ? "https://" : "http://") + host + ":" + std::to_string(UrlPort(url)) +
           encodeUnsafeBytes(UrlPath(url));
}

void setMethod(CURL* easy, const Request& request) {
    if (request.verb == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        return;
    }
    if (request.sendBody) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
        if (request.verb != "POST") {
            curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.verb.c_str());
        }
    } else if (request.verb == "POST") {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t{0});
    }
}

// Runs the request. No value when no response arrived at all: the connection or
// the request could not be made.
std::optional<Response> exchange(const Request& request) {
    initialiseCurl();
    const Text target = curlUrl(request.url);
    EasyHandle easy(curl_easy_init());
    if (target.empty() || !easy) {
        return std::nullopt;
    }
    CURL* handle = easy.get();
    const HeaderList headers = headerList(request.headerBlock);
    const Text agent = withoutControlBytes(request.agent);
    Response response;
    curl_easy_setopt(handle, CURLOPT_URL, target.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, request.noRedirect ? 0L : 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
    // An empty proxy also keeps curl away from proxies named in the environment.
    curl_easy_setopt(handle, CURLOPT_PROXY, request.proxy.c_str());
    curl_easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &response);
    if (!request.ownCookies) {
        curl_easy_setopt(handle, CURLOPT_SHARE, sharedStore().handle());
        curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
    }
    setMethod(handle, request);
    // Failures after the response began are not reported: what arrived is the result.
    curl_easy_perform(handle);
    if (!response.anyResponse) {
        return std::nullopt;
    }
    return response;
}

Text agentFrom(const Text& extraHeaders, const char* fallback) {
    if (Find(extraHeaders, "User-Agent:", 0, true) == -1) {
        return fallback;
    }
    const Text agent = Trim(TextBetween(extraHeaders, "User-Agent:", "\r\n"));
    return agent.empty() ? HeaderValue(extraHeaders) : agent;
}

void appendLine(Text& block, const Text& line) {
    block += block.empty() ? line : "\r\n" + line;
}

void appendMissing(Text& block, const char* name, const Text& value) {
    if (!Contains(block, name)) {
        appendLine(block, Text(name) + " " + value);
    }
}

// The lines after Referer and Accept, the same for both routines.
void appendCommonLines(Text& block, const Text* cookies) {
    appendMissing(block, "Accept-Language:", "zh-cn");
    appendMissing(block, "Content-Type:", "application/x-www-form-urlencoded");
    if (cookies != nullptr && !cookies->empty()) {
        appendLine(block, "Cookie: " + *cookies);
    }
}

// The body of a request that sends one: postBytes, or postText when that holds nothing.
Bytes requestBody(const RequestOptions& options) {
    if (options.postBytes != nullptr && !options.postBytes->empty()) {
        return *options.postBytes;
    }
    return options.postText;
}

Text responseHeaderText(const Response& response) {
    return response.headerBytes < kHeaderBufferSize ? response.headers
                                                    : Text(kHeaderBufferSize, ' ');
}

Text dropLastTwo(Text text) {
    text.resize(text.size() >= 2 ? text.size() - 2 : 0);
    return text;
}

// The outputs both routines write once a response arrived.
void writeCommonOutputs(const RequestOptions& options, const Request& request, const Text& headers,
                        Text newCookies) {
    if (options.extraHeaders != nullptr) {
        *options.extraHeaders = request.headerBlock;
    }
    if (request.sendBody && options.postBytes != nullptr && options.postBytes->empty()) {
        *options.postBytes = options.postText;
    }
    if (options.responseHeaders != nullptr) {
        *options.responseHeaders = headers;
    }
    if (options.cookies != nullptr) {
        MergeCookies(*options.cookies, newCookies);
    }
    if (options.newCookies != nullptr) {
        *options.newCookies = newCookies;
    }
}

// The two routines put their first two default lines in opposite orders.
enum class DefaultLinesFirst { Referer, Accept };

// Everything of a request but the proxy, whose rule differs between the routines.
Request prepareRequest(const Text& url, const RequestOptions& options, const char* verb,
                       bool sendBody, const char* defaultAgent, DefaultLinesFirst first) {
    Request request;
    request.url = url;
    request.verb = verb;
    request.sendBody = sendBody;
    Text block = options.extraHeaders != nullptr ? *options.extraHeaders : Text();
    request.agent = agentFrom(block, defaultAgent);
    if (first == DefaultLinesFirst::Referer) {
        appendMissing(block, "Referer:", encodeUnsafeBytes(url));
        appendMissing(block, "Accept:", "*/*");
    } else {
        appendMissing(block, "Accept:", "*/*");
        appendMissing(block, "Referer:", encodeUnsafeBytes(url));
    }
    appendCommonLines(block, options.cookies);
    request.headerBlock = block;
    if (request.sendBody) {
        request.body = requestBody(options);
    }
    request.ownCookies = options.cookies != nullptr;
    request.noRedirect = options.noRedirect;
    return request;
}

bool looksLikeUtf8(const Bytes& body, const Text& headers) {
    const size_t at = body.find("utf-8");
    const bool inWindow = at != Bytes::npos && static_cast<int>(at) + 1 < kUtf8TestWindow;
    return inWindow || asciiLower(headers).find("utf-8") != Text::npos;
}

} // namespace

Text WebRequest(const Text& url, const RequestOptions& options) {
    Request request = prepareRequest(url, options, options.method == 1 ? "POST" : "GET",
                                     options.method != 0, kLongAgent, DefaultLinesFirst::Referer);
    if (options.proxy && !options.proxy->empty() && !isHttps(url)) {
        request.proxy = *options.proxy; // "http=" proxies serve http URLs only
    }
    const std::optional<Response> response = exchange(request);
    if (!response) {
        return {};
    }
    const Text headers = responseHeaderText(*response);
    Text redirectTarget;
    Text newCookies;
    for (const Text& line : Split(headers, "\r\n")) {
        if (Contains(line, "Location:")) {
            redirectTarget = HeaderValue(line);
        }
        if (Contains(line, "Set-Cookie")) {
            newCookies += Trim(TextBetween(line, "Set-Cookie:", ";")) + "; ";
        }
    }
    writeCommonOutputs(options, request, headers, dropLastTwo(newCookies));
    if (options.redirectTarget != nullptr) {
        *options.redirectTarget = redirectTarget.empty() ? headers : redirectTarget;
    }
    if (looksLikeUtf8(response->body, headers)) {
        return BytesToText(ConvertCharset(response->body));
    }
    return BytesToText(response->body);
}

Bytes WebRequestBytes(const Text& url, const RequestOptions& options) {
    static constexpr std::array<const char*, 3> verbs = {"GET", "POST", "HEAD"};
    const int method = options.method < 0 || options.method > 2 ? 0 : options.method;
    Request request = prepareRequest(url, options, verbs[static_cast<size_t>(method)], method != 0,
                                     kShortAgent, DefaultLinesFirst::Accept);
    if (options.proxy && !options.proxy->empty()) {
        request.proxy = *options.proxy;
    }
    const std::optional<Response> response = exchange(request);
    if (!response) {
        return {};
    }
    const Text headers = Replace(responseHeaderText(*response), "Set-Cookie", "Set-Cookie", true);
    Text newCookies;
    for (const Text& line : Split(headers, "\r\n")) {
        if (!Contains(line, "Set-Cookie")) {
            continue;
        }
        newCookies += Contains(line, ";") ? Trim(TextBetween(line, "Set-Cookie:", ";"))
                                          : Trim(Replace(line, "Set-Cookie:", "", true));
        newCookies += "; ";
    }
    writeCommonOutputs(options, request, headers, dropLastTwo(newCookies));
    return response->body;
}

Text FetchText(const Text& url) {
    return BytesToText(WebRequestBytes(url));
}

Text HeaderValue(const Text& line) {
    const int colon = Find(line, ":");
    if (colon == -1) {
        return {};
    }
    return Trim(std::string_view(line).substr(static_cast<size_t>(colon)));
}

Text UrlHost(const Text& url, bool keepPort) {
    Text lower = asciiLower(url);
    if (lower.empty() || lower.back() != '/') {
        lower += '/';
    }
    Text scheme = "https://";
    if (!lower.starts_with(scheme)) {
        scheme = "http://";
        // Only a scheme at the start counts: "http://" inside the query (a number
        // typed by a user) must not choose the host.
        if (!lower.starts_with(scheme)) {
            lower = scheme + lower;
        }
    }
    Text host = TextBetween(lower, scheme, "/");
    if (!keepPort) {
        host = host.substr(0, host.find(':'));
    }
    return host;
}

int UrlPort(const Text& url) {
    const Text host = UrlHost(url, true);
    const int colon = FindLast(host, ":");
    if (colon == -1) {
        return isHttps(url) ? 443 : 80;
    }
    int port = 0;
    for (size_t i = static_cast<size_t>(colon);
         i < host.size() && host[i] >= '0' && host[i] <= '9' && port < 100000; ++i) {
        port = port * 10 + (host[i] - '0');
    }
    return port;
}

Text UrlPath(const Text& url) {
    const int hostAt = Find(url, UrlHost(url), 1, true);
    const int slash = Find(url, "/", hostAt < 1 ? 1 : hostAt);
    return slash == -1 ? Text("/") : url.substr(static_cast<size_t>(slash) - 1);
}

Text MergeCookies(Text& cookies, Text& newCookies) {
    const auto withoutBlanks = [](const Text& text) {
        return Replace(Replace(text, "\xA1\xA1", ""), " ", "");
    };
    const auto nameOf = [](const Text& item) { return Trim(item.substr(0, item.find('='))); };
    cookies = withoutBlanks(cookies);
    newCookies = withoutBlanks(newCookies);
    std::vector<Text> merged = Split(newCookies, ";");
    for (const Text& old : Split(cookies, ";")) {
        const Text name = nameOf(old);
        bool replaced = false;
        for (const Text& item : merged) {
            replaced = replaced || nameOf(item) == name;
        }
        if (!replaced) {
            merged.push_back(old);
        }
    }
    // A cookie the server deleted is dropped from the list.
    Text joined;
    for (const Text& item : merged) {
        if (!item.ends_with("=deleted")) {
            joined += item + "; ";
        }
    }
    std::vector<Text> unique;
    for (const Text& item : Split(dropLastTwo(joined), "; ")) {
        if (std::find(unique.begin(), unique.end(), item) == unique.end()) {
            unique.push_back(item);
        }
    }
    Text result;
    for (size_t i = 0; i < unique.size(); ++i) {
        result += i == 0 ? unique[i] : "; " + unique[i];
    }
    cookies = result;
    return cookies;
}

} // namespace tolvane
