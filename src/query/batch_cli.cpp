#include "query/batch_cli.h"

#include "query/number_list.h"

#include <charconv>
#include <chrono>
#include <istream>
#include <iterator>
#include <ostream>
#include <pthread.h>
#include <thread>

namespace tolvane {
namespace {

// Thousands of query threads may run at once; a query needs little stack, and
// a small one keeps the program's memory low. Sanitizers need far more.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::size_t kQueryStackBytes = 4u << 20;
#else
constexpr std::size_t kQueryStackBytes = 256u << 10;
#endif

constexpr int kLongestDelayMs = 3600 * 1000;

struct QueryJob {
    const Text* number = nullptr;
    const QueryContext* context = nullptr;
    QueryOutcome outcome;
};

void* runQueryJob(void* job) {
    auto* query = static_cast<QueryJob*>(job);
    query->outcome = QueryNumber(*query->number, *query->context);
    return nullptr;
}

class SmallStackAttributes final {
public:
    SmallStackAttributes() {
        pthread_attr_init(&attributes_);
        pthread_attr_setstacksize(&attributes_, kQueryStackBytes);
    }
    ~SmallStackAttributes() { pthread_attr_destroy(&attributes_); }
    SmallStackAttributes(const SmallStackAttributes&) = delete;
    SmallStackAttributes& operator=(const SmallStackAttributes&) = delete;

    const pthread_attr_t* get() const { return &attributes_; }

private:
    pthread_attr_t attributes_;
};

bool parseDelay(const std::string& text, int& delayMs) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 0 || value > kLongestDelayMs)
        return false;
    delayMs = value;
    return true;
}

// "--name value" or "--name=value"; false when the argument is another option.
bool takeValue(const std::vector<std::string>& args, std::size_t& k, const std::string& name,
               std::optional<std::string>& value) {
    const std::string& arg = args[k];
    if (arg == name) {
        value = k + 1 < args.size() ? std::optional(args[++k]) : std::nullopt;
        if (!value)
            value = std::string();
        return true;
    }
    if (arg.rfind(name + "=", 0) == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

// Lone LF line ends become CR LF, the line end of number lists.
std::string withCrLf(const std::string& text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 8);
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '\n' && (k == 0 || text[k - 1] != '\r'))
            lines += '\r';
        lines += text[k];
    }
    return lines;
}

std::string oneLineCell(std::string cell) {
    for (char& c : cell)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return cell;
}

} // namespace

ParsedBatchOptions ParseBatchOptions(const std::vector<std::string>& args) {
    ParsedBatchOptions parsed;
    BatchOptions& options = parsed.options;
    for (std::size_t k = 0; k < args.size() && parsed.error.empty(); ++k) {
        const std::string& arg = args[k];
        std::optional<std::string> value;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--gbk") {
            options.gbk = true;
        } else if (takeValue(args, k, "--delay", value)) {
            if (!parseDelay(*value, options.delayMs))
                parsed.error =
                    "--delay needs milliseconds from 0 to 3600000, not \"" + *value + "\"";
        } else if (takeValue(args, k, "--detect-host", value)) {
            options.detectHost = value;
        } else if (takeValue(args, k, "--detail-host", value)) {
            options.detailHost = value;
        } else if (!arg.empty() && arg[0] == '-') {
            parsed.error = "unknown option " + arg;
        } else {
            parsed.error = "unexpected argument " + arg + " (numbers are read from standard input)";
        }
        if (value && value->empty() && parsed.error.empty())
            parsed.error = arg + " needs a value";
    }
    return parsed;
}

std::string BatchUsage() {
    return R"(Usage: tolvane-query [options] < numbers.txt

Queries every tracking number of the list on standard input and prints one
tab-separated line per number, in input order, with the seven columns of the
results table: serial, query time, number, company, last update, status, note.

The list has one number per line (LF or CR LF); "----" and whatever follows it
on the line are ignored; nothing is trimmed, and an empty line is an empty number.
One query thread is started per number, the delay apart, and the lines are printed
once every query has finished. A tab, CR or LF inside a cell prints as one blank.

Options:
  --delay MS          milliseconds between two query starts (default 500)
  --gbk               read and print code page 936 (GBK) instead of UTF-8
  --detect-host HOST  courier-detection host, host or host:port
  --detail-host HOST  mobile detail host, host or host:port
  -h, --help          this text

The hosts default to www.kuaidi100.com and m.kuaidi100.com; the environment
variables TOLVANE_DETECT_HOST and TOLVANE_DETAIL_HOST override the defaults, and
the options override both. A service that cannot be reached gives rows with an
empty company and the status 运输途中, after the request time-outs.

Exit status: 0 when every line was printed, 1 when the output failed,
2 for a bad option.
)";
}

std::vector<Text> NumbersOfInput(const std::string& input, bool gbk) {
    if (gbk)
        return NumbersOfList(withCrLf(input));
    static const std::string byteOrderMark = "\xEF\xBB\xBF";
    const std::string_view utf8 = input.rfind(byteOrderMark, 0) == 0
                                      ? std::string_view(input).substr(byteOrderMark.size())
                                      : std::string_view(input);
    return NumbersOfList(withCrLf(Gbk(utf8)));
}

std::string BatchRowLine(const std::vector<Text>& cells, bool gbk) {
    std::string line;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (k > 0)
            line += '\t';
        line += oneLineCell(gbk ? cells[k] : ToUtf8(cells[k]));
    }
    return line;
}

std::vector<QueryOutcome> QueryAll(const std::vector<Text>& numbers, const ServiceHosts& hosts,
                                   int delayMs, const Clock& clock) {
    const QueryContext context{hosts, clock};
    std::vector<QueryJob> jobs(numbers.size());
    std::vector<pthread_t> threads;
    threads.reserve(numbers.size());
    const SmallStackAttributes attributes;
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        jobs[k].number = &numbers[k];
        jobs[k].context = &context;
        pthread_t thread;
        if (pthread_create(&thread, attributes.get(), runQueryJob, &jobs[k]) == 0)
            threads.push_back(thread);
        else
            runQueryJob(&jobs[k]); // out of threads: query here rather than lose the row
        if (delayMs > 0 && k + 1 < numbers.size())
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    }
    for (pthread_t thread : threads)
        pthread_join(thread, nullptr);
    std::vector<QueryOutcome> outcomes;
    outcomes.reserve(jobs.size());
    for (QueryJob& job : jobs)
        outcomes.push_back(std::move(job.outcome));
    return outcomes;
}

int RunBatchCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err, const Clock& clock) {
    const ParsedBatchOptions parsed = ParseBatchOptions(args);
    if (!parsed.error.empty()) {
        err << "tolvane-query: " << parsed.error << " (see --help)\n";
        return 2;
    }
    const BatchOptions& options = parsed.options;
    if (options.help) {
        out << BatchUsage();
        return out.flush() ? 0 : 1;
    }
    ServiceHosts hosts = ServiceHosts::FromEnvironment();
    if (options.detectHost)
        hosts.detect = *options.detectHost;
    if (options.detailHost)
        hosts.detail = *options.detailHost;

    const std::string input{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::vector<Text> numbers = NumbersOfInput(input, options.gbk);
    const std::vector<QueryOutcome> outcomes = QueryAll(numbers, hosts, options.delayMs, clock);
    static const Text noNote = Gbk("无");
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        const QueryOutcome& row = outcomes[k];
        out << BatchRowLine({std::to_string(k + 1), row.queryTime, numbers[k], row.company,
                             row.lastUpdate, row.status, noNote},
                            options.gbk)
            << '\n';
    }
    return out.flush() ? 0 : 1;
}

} // namespace tolvane
