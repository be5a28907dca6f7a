// The replies of the tracking-service simulator, built deterministically from the
// tracking number: the detection array and the mobile detail page (UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace tolvane::sim {

// What a number asks the simulator to do; the first letter chooses it.
enum class Branch {
    Signed,         // S: newest event "签收"
    Delivering,     // P: newest event "派件"
    OutForDelivery, // D: newest event "派送"
    Dropped,        // T: newest event "投递"
    InTransit,      // R: no status keyword at all
    AboutToSign,    // Z: newest event "准备签收"
    OlderSigned,    // O: "签收" in an older event, "派件" in the newest
    NoInformation,  // W: the page of a number without information (the only page with 无)
    SingleEvent,    // F: one event, item class "first last"
    TwoLineCompany, // B: company "中通 \r\n  快递"
    BracketCompany, // K: company "顺丰】速运"
    EventCount,     // N<count>: that many in-transit events (N0: none)
    Slow,           // L<seconds>: the detail reply waits that long, then as S
    Unknown,        // anything else: empty detection array, empty detail page
};

struct NumberPlan {
    Branch branch = Branch::Unknown;
    long amount = 0; // events of N, seconds of L
};

// Letters are case-insensitive; plain digits rotate by their last digit over
// S P D T R W Z O F B so that a demo list shows every status.
NumberPlan PlanOf(std::string_view number);

// Body of "/autonumber/auto?num=": [{"comCode":"...","id":"",...}] or "[]".
std::string DetectionReply(std::string_view number);

// Body of "/queryDetail.php?com=&nu=": empty when the courier code is empty or the
// number is unknown; otherwise a page of 10 to 40 KB (larger with many events).
std::string DetailReply(std::string_view courierCode, std::string_view number);

// The text shown by --help, the number scheme included.
std::string UsageText();

} // namespace tolvane::sim
