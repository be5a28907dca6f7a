#include "query/detail_text.h"

#include "web/regex_object.h"

#include <vector>

namespace tolvane {

Text EventPattern() {
    static const Text pattern =
        Gbk("class=#引号col1#引号><dt>(.*?)</dt><dd>(.*?)</dd></dl><span class=#引号col2#引号>"
            "<span class=#引号line1#引号></span><span class=#引号line2#引号></span>"
            "<span class=#引号point#引号></span></span><span class=#引号col3#引号>(.*?)</span>");
    return pattern;
}

Text DetailHeader(const Text& number, const Text& company, const LocalTime& now) {
    static const Text numberLabel = Gbk("快递单号：");
    static const Text companyLabel = Gbk("   快递公司：");
    static const Text timeLabel = Gbk("   查询时间：");
    return numberLabel + number + companyLabel + company + timeLabel + DateStamp(now) + " " +
           TimeOfDayText(now) + "\r\n\r\n";
}

std::optional<Text> DetailText(const Text& detailPage, const Text& number, const Text& company,
                               const LocalTime& now) {
    static const Text none = Gbk("无");
    if (Contains(detailPage, none))
        return std::nullopt;

    RegexObject events;
    events.Create(EventPattern(), detailPage, false, false, true, true);
    const int count = events.MatchCount();

    Text text = DetailHeader(number, company, now);
    std::vector<Text> groups;
    groups.reserve(static_cast<std::size_t>(count) * 3);
    std::size_t length = text.size();
    for (int i = 1; i <= count; ++i) {
        for (int group = 1; group <= 3; ++group) {
            groups.push_back(events.SubMatchText(i, group));
            length += groups.back().size();
        }
    }
    // " " and CR LF after the time fields, four blanks before and CR LF CR LF after the
    // description.
    text.reserve(length + static_cast<std::size_t>(count) * 11);
    for (std::size_t i = 0; i < groups.size(); i += 3) {
        text.append(groups[i]).append(" ").append(groups[i + 1]).append("\r\n");
        text.append("    ").append(groups[i + 2]).append("\r\n\r\n");
    }
    return text;
}

Text DetailCopiedText(const Text& number) {
    static const Text prefix = Gbk("快递单号：");
    static const Text suffix = Gbk(" 的物流信息已为您复制！");
    return prefix + number + suffix;
}

} // namespace tolvane
