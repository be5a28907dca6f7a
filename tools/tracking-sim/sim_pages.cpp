#include "sim_pages.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace tolvane::sim {
namespace {

struct Courier {
    const char* code;
    const char* name;
};

constexpr std::array<Courier, 8> kCouriers{{
    {"zhongtong", "中通快递"},
    {"yuantong", "圆通速递"},
    {"shentong", "申通快递"},
    {"yunda", "韵达快递"},
    {"shunfeng", "顺丰速运"},
    {"huitongkuaidi", "百世汇通"},
    {"ems", "EMS"},
    {"tiantian", "天天快递"},
}};

// None of these holds a status keyword or the character 无, so the newest event
// alone decides the classification.
constexpr std::array<const char*, 5> kTransitEvents{{
    "【杭州市】 快件已被 杭州萧山 收件",
    "【杭州市】 快件已到达 杭州中转部",
    "【杭州市】 快件离开 杭州中转部 已发往 上海中转部",
    "【上海市】 快件已到达 上海中转部",
    "【上海市】 快件离开 上海中转部 已发往 上海浦东",
}};

constexpr const char* kSignedEvent = "【上海市】 已签收，签收人是：前台，期待再次为您服务";
constexpr const char* kDeliveringEvent = "【上海市】 上海浦东 的派件员 王师傅 正在派件";
constexpr const char* kOutForDeliveryEvent = "【上海市】 快件正在派送中，请保持电话畅通";
constexpr const char* kDroppedEvent = "【上海市】 快件已投递到 浦东驿站，请及时领取";
constexpr const char* kArrivedEvent = "【上海市】 快件已到达 上海浦东";
constexpr const char* kAboutToSignEvent = "【上海市】 快件准备签收，请保持电话畅通";
constexpr const char* kFailedSigningEvent = "【上海市】 签收失败，收件人电话未接通";

constexpr const char* kItemBody =
    "</dl><span class=\"col2\"><span class=\"line1\"></span><span class=\"line2\"></span>"
    "<span class=\"point\"></span></span><span class=\"col3\">";

std::uint32_t hashOf(std::string_view text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

std::string twoDigits(long value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02ld", value % 100);
    return buffer;
}

long leadingNumber(std::string_view digits, long cap) {
    long value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        value = std::min(cap, value * 10 + (c - '0'));
    }
    return value;
}

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

Branch branchOfLetter(char letter) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'S':
        return Branch::Signed;
    case 'P':
        return Branch::Delivering;
    case 'D':
        return Branch::OutForDelivery;
    case 'T':
        return Branch::Dropped;
    case 'R':
        return Branch::InTransit;
    case 'Z':
        return Branch::AboutToSign;
    case 'O':
        return Branch::OlderSigned;
    case 'W':
        return Branch::NoInformation;
    case 'F':
        return Branch::SingleEvent;
    case 'B':
        return Branch::TwoLineCompany;
    case 'K':
        return Branch::BracketCompany;
    case 'N':
        return Branch::EventCount;
    case 'L':
        return Branch::Slow;
    default:
        return Branch::Unknown;
    }
}

Courier courierOf(std::string_view number, Branch branch) {
    if (branch == Branch::TwoLineCompany)
        return {"zhongtong", "中通 \r\n  快递"};
    if (branch == Branch::BracketCompany)
        return {"shunfeng", "顺丰】速运"};
    return kCouriers[hashOf(number) % kCouriers.size()];
}

// Events oldest first: the item marked " last" (or "first last") is the newest.
std::vector<std::string> eventsOf(const NumberPlan& plan) {
    std::vector<std::string> events(kTransitEvents.begin(), kTransitEvents.end());
    switch (plan.branch) {
    case Branch::Signed:
    case Branch::Slow:
    case Branch::TwoLineCompany:
        events.push_back(kSignedEvent);
        break;
    case Branch::Delivering:
    case Branch::BracketCompany:
        events.push_back(kDeliveringEvent);
        break;
    case Branch::OutForDelivery:
        events.push_back(kOutForDeliveryEvent);
        break;
    case Branch::Dropped:
        events.push_back(kDroppedEvent);
        break;
    case Branch::InTransit:
        events.push_back(kArrivedEvent);
        break;
    case Branch::AboutToSign:
        events.push_back(kAboutToSignEvent);
        break;
    case Branch::OlderSigned:
        events.push_back(kFailedSigningEvent);
        events.push_back(kDeliveringEvent);
        break;
    case Branch::SingleEvent:
        events.resize(1);
        break;
    case Branch::EventCount:
        events.clear();
        for (long k = 1; k <= plan.amount; ++k)
            events.push_back("【中转站】 快件经过 第" + std::to_string(k) + "站 中转");
        break;
    case Branch::NoInformation:
    case Branch::Unknown:
        events.clear();
        break;
    }
    return events;
}

std::string itemClass(std::size_t index, std::size_t count) {
    if (count == 1)
        return "first last";
    if (index == 0)
        return "first";
    return index + 1 == count ? " last" : "";
}

std::string eventList(const std::vector<std::string>& events, std::uint32_t hash) {
    std::string list = "<div class=\"result-list\"><ul class=\"list\">";
    const long firstDay = 1 + static_cast<long>(hash % 5);
    for (std::size_t k = 0; k < events.size(); ++k) {
        const long minutes = 9 * 60 + 5 + static_cast<long>(k) * 37;
        const long day = firstDay + minutes / (24 * 60) % 20;
        list += "<li class=\"" + itemClass(k, events.size()) +
                "\"><dl class=\"col1\"><dt>2015-03-" + twoDigits(day) + "</dt><dd>" +
                twoDigits(minutes / 60 % 24) + ":" + twoDigits(minutes % 60) + "</dd>" + kItemBody +
                events[k] + "</span></li>";
    }
    list += "</ul></div>\n";
    return list;
}

// Style rules that bring a page to a realistic size; no '%' or '+' that the
// query's percent-decoding would touch.
std::string padding(std::size_t bytes) {
    std::string rules;
    for (int k = 0; rules.size() < bytes; ++k)
        rules += ".r" + std::to_string(k) + " { margin: 0 " + std::to_string(k % 9) +
                 "px; color: #333; line-height: 1.5em; }\n";
    rules.resize(bytes, ' ');
    return rules;
}

std::string pageOf(const std::string& middle, std::uint32_t hash, std::size_t eventBytes) {
    static const std::string head =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\">"
        "<title>快递查询结果</title>\n<style>\n";
    static const std::string bodyStart =
        "</style></head><body>\n<div class=\"top-bar\"><a href=\"/\">快递100</a> 查快递</div>\n";
    static const std::string tail = "<div class=\"footer\">快递100 · 客服中心 · 意见反馈 · "
                                    "关于我们</div>\n</body></html>\n";
    const std::size_t target = 10 * 1024 + hash % (30 * 1024);
    const std::size_t fixed = head.size() + bodyStart.size() + middle.size() + tail.size();
    const std::size_t fill = fixed + eventBytes < target ? target - fixed : 0;
    return head + padding(fill) + bodyStart + middle + tail;
}

std::string header(const Courier& courier, std::string_view number) {
    return "<div class=\"com-info\"> <span class=\"info1\">" + std::string(courier.name) +
           "</span> <span class=\"info2\">单号：" + std::string(number) + "</span> </div>\n";
}

} // namespace

NumberPlan PlanOf(std::string_view number) {
    if (number.empty())
        return {};
    if (allDigits(number))
        return {std::array{Branch::Signed, Branch::Delivering, Branch::OutForDelivery,
                           Branch::Dropped, Branch::InTransit, Branch::NoInformation,
                           Branch::AboutToSign, Branch::OlderSigned, Branch::SingleEvent,
                           Branch::TwoLineCompany}[number.back() - '0'],
                0};
    const Branch branch = branchOfLetter(number.front());
    if (branch == Branch::EventCount)
        return {branch, leadingNumber(number.substr(1), 100000)};
    if (branch == Branch::Slow)
        return {branch, leadingNumber(number.substr(1), 3600)};
    return {branch, 0};
}

std::string DetectionReply(std::string_view number) {
    const NumberPlan plan = PlanOf(number);
    if (plan.branch == Branch::Unknown)
        return "[]";
    const Courier courier = courierOf(number, plan.branch);
    return "[{\"comCode\":\"" + std::string(courier.code) +
           "\",\"id\":\"\",\"noCount\":1093,\"noPre\":\"" +
           std::string(number.substr(0, std::min<std::size_t>(number.size(), 4))) +
           "\",\"startTime\":\"\"}]";
}

std::string DetailReply(std::string_view courierCode, std::string_view number) {
    const NumberPlan plan = PlanOf(number);
    if (courierCode.empty() || plan.branch == Branch::Unknown)
        return "";
    const std::uint32_t hash = hashOf(number);
    const std::string top = header(courierOf(number, plan.branch), number);
    if (plan.branch == Branch::NoInformation)
        return pageOf(top + "<div class=\"no-result\"><p>抱歉，暂无查询记录，请核对单号后再试。"
                            "</p></div>\n",
                      hash, 0);
    const std::string events = eventList(eventsOf(plan), hash);
    return pageOf(top + events, hash, events.size());
}

std::string UsageText() {
    return R"(tracking-sim: a local simulator of the courier-tracking service.

Usage: tracking-sim --port N     (0 picks a free port)

Listens on 127.0.0.1. The first line on standard output is "port N" with the port
in use. Ends cleanly on SIGTERM or SIGINT.

  GET /autonumber/auto?num=NUMBER        detection: [{"comCode":"CODE","id":"",...}]
  GET /queryDetail.php?com=CODE&nu=NUMBER  the mobile detail page (UTF-8, 10-40 KB)

Every reply follows from the number alone. Its first letter (either case)
chooses the branch; the rest only varies the company, dates and page size:

  S...   newest event holds 签收                      -> 已签收
  P...   newest event holds 派件                      -> 派件中
  D...   newest event holds 派送                      -> 派件中
  T...   newest event holds 投递                      -> 派件中
  R...   no status keyword                            -> 运输途中
  Z...   newest event holds 准备签收                  -> 已签收
  O...   签收 in an older event, 派件 in the newest    -> 已签收
  W...   the page for a number without information (the only page with 无)
  F...   a single event (item class "first last")     -> 运输途中
  B...   company 中通 broken over two lines (CR LF)   -> 已签收
  K...   company containing 】 (顺丰】速运)             -> 派件中
  N<k>   k in-transit events (N3, N1000; N0 has no event list)
  L<s>   the detail reply waits s seconds (at most 3600), then as S

Plain digits rotate by their last digit: 0 S, 1 P, 2 D, 3 T, 4 R, 5 W, 6 Z,
7 O, 8 F, 9 B. Anything else (the empty number too) is unknown: the detection
reply is "[]" and the detail page is empty; so is every detail page asked for
with an empty courier code.
)";
}

} // namespace tolvane::sim
