// The logistics timeline of one number as the detail copy shows it and puts on
// the clipboard: a header line, then every event of the detail page in page order.
#pragma once

#include "web/text.h"

#include <optional>

namespace tolvane {

// The pattern of one event on the detail page; its groups are the dt text, the
// dd text and the description. Written with the quote token.
Text EventPattern();

// "快递单号：" + number + "   快递公司：" + company + "   查询时间：" + date + " " + HH:MM:SS +
// "\r\n\r\n"
Text DetailHeader(const Text& number, const Text& company, const LocalTime& now);

// The header followed by one block per event; nothing (no text at all) when the
// page is the service's "无" page, so the copy ends silently.
std::optional<Text> DetailText(const Text& detailPage, const Text& number, const Text& company,
                               const LocalTime& now);

// "快递单号：" + number + " 的物流信息已为您复制！"
Text DetailCopiedText(const Text& number);

} // namespace tolvane
