#include "query/query_number.h"

#include "web/http.h"

#include <array>

namespace tolvane {
namespace {

struct Classification {
    Text keyword;
    Text suffix;
    Text state;
};

// Tested in this order; the first keyword found anywhere on the page decides,
// whatever its position, so an older "签收" outranks a newer "派件". Only found or
// not found matters, so a forward search serves.
const std::array<Classification, 4>& classifications() {
    static const std::array<Classification, 4> table{{
        {Gbk("签收"), Gbk("，状态：已签收"), Gbk("已签收")},
        {Gbk("派件"), Gbk("，状态：派件中"), Gbk("派件中")},
        {Gbk("派送"), Gbk("，状态：派件中"), Gbk("派件中")},
        {Gbk("投递"), Gbk("，状态：派件中"), Gbk("派件中")},
    }};
    return table;
}

const Classification& inTransit() {
    static const Classification none{"", Gbk("，状态：运输途中"), Gbk("运输途中")};
    return none;
}

const Classification& classify(const Text& page) {
    for (const Classification& row : classifications())
        if (Contains(page, row.keyword))
            return row;
    return inTransit();
}

// Line breaks inside the company name vanish together with the blanks around them.
Text flatten(const Text& text) {
    Text joined;
    for (const Text& piece : Split(text, "\r\n"))
        joined += TrimEnd(TrimStart(piece));
    return joined;
}

Text companyOf(const Text& page, const Classification& state) {
    static const Text companyLeft = Gbk("<div class=\"com-info\"> <span class=\"info1\">");
    static const Text companyRight = Gbk("</span> <span class=\"info2\">单号：");
    static const Text summaryStart = Gbk("快递公司：【");
    static const Text summaryNumber = Gbk("】 ，快递单号：");
    static const Text open = Gbk("【");
    static const Text close = Gbk("】");
    const Text company = Trim(TextBetween(page, companyLeft, companyRight));
    const Text pageNumber = Trim(TextBetween(page, companyRight, "</span> </div>"));
    const Text summary = summaryStart + company + summaryNumber + pageNumber + state.suffix;
    return TextBetween(flatten(summary), open, close);
}

Text lastUpdateOf(const Text& page) {
    // A page with one event marks it "first last"; with several the last is " last".
    const char* itemStart = Contains(page, "\" last\"")
                                ? "<li class=\" last\"><dl class=\"col1\">"
                                : "<li class=\"first last\"><dl class=\"col1\">";
    const Text item = TextBetween(page, itemStart, "</li></ul></div>");
    return TextBetween(item, "<dt>", "</dt>") + " " + TextBetween(item, "<dd>", "</dd>") + " " +
           TextBetween(item, "<span class=\"point\"></span></span><span class=\"col3\">",
                       "</span>");
}

Text queryTimeOf(const LocalTime& started, const LocalTime& written) {
    return DateStamp(written) + " " + TimeOfDayText(started);
}

} // namespace

Text QueryStatusText(const Text& number) {
    static const Text before = Gbk("正在查询： ");
    static const Text after = Gbk(" 请勿操作！");
    return before + number + after;
}

Text DetectionUrl(const Text& number, const ServiceHosts& hosts) {
    return hosts.detect + "/autonumber/auto?num=" + number;
}

Text DetailUrl(const Text& courierCode, const Text& number, const ServiceHosts& hosts) {
    return "http://" + hosts.detail + "/queryDetail.php?com=" + courierCode + "&nu=" + number;
}

Text FetchDetailPage(const Text& number, const ServiceHosts& hosts) {
    const Text reply = WebRequest(DetectionUrl(number, hosts));
    const Text courierCode = TextBetween(reply, "[{\"comCode\":\"", "\",\"id\":\"\"");
    return UrlDecode(FetchText(DetailUrl(courierCode, number, hosts)), true);
}

QueryOutcome ReadDetailPage(const Text& detailPage, const LocalTime& started,
                            const LocalTime& written) {
    static const Text none = Gbk("无");
    if (Contains(detailPage, none))
        return {queryTimeOf(started, written), none, none, none};
    const Classification& state = classify(detailPage);
    return {queryTimeOf(started, written), companyOf(detailPage, state), lastUpdateOf(detailPage),
            state.state};
}

QueryOutcome QueryNumber(const Text& number, const QueryContext& context) {
    const LocalTime started = context.clock();
    const Text page = FetchDetailPage(number, context.hosts);
    return ReadDetailPage(page, started, context.clock());
}

} // namespace tolvane
