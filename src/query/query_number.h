// The query of one tracking number: courier detection, the detail page, and
// the four cells the number's row receives.
#pragma once

#include "web/clock.h"
#include "web/service_hosts.h"
#include "web/text.h"

namespace tolvane {

struct QueryContext {
    ServiceHosts hosts;
    Clock clock = SystemClock();
};

// Columns 1, 3, 4 and 5 of a row.
struct QueryOutcome {
    Text queryTime;
    Text company;
    Text lastUpdate;
    Text status;
};

// "正在查询： " + number + " 请勿操作！"
Text QueryStatusText(const Text& number);

// The two request URLs, by plain concatenation (the number is not escaped here).
Text DetectionUrl(const Text& number, const ServiceHosts& hosts);
Text DetailUrl(const Text& courierCode, const Text& number, const ServiceHosts& hosts);

// Courier detection, then the detail page decoded from UTF-8 into code page 936.
Text FetchDetailPage(const Text& number, const ServiceHosts& hosts);

// Runs the whole query of one number (no retry, no exception); failures give the
// rows the table expects for them.
QueryOutcome QueryNumber(const Text& number, const QueryContext& context);

// Reads the outcome out of an already fetched DetailPage; the clock readings are
// the query's start (time of day) and the write (date).
QueryOutcome ReadDetailPage(const Text& detailPage, const LocalTime& started,
                            const LocalTime& written);

} // namespace tolvane
