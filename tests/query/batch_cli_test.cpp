// tolvane-query end to end, in process, against the tracking simulator.
#include "query/batch_cli.h"

#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>

namespace tolvane {
namespace {

Clock fixedClock() {
    return [] { return LocalTime{2015, 3, 7, 9, 5, 7}; };
}

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

CliRun runCli(const std::vector<std::string>& args, const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.status = RunBatchCli(args, in, out, err, fixedClock());
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class BatchCliTest : public testing::Test {
protected:
    static void SetUpTestSuite() { sim_ = std::make_unique<test::SimProcess>(); }
    static void TearDownTestSuite() { sim_.reset(); }

    static std::vector<std::string> simArgs(std::vector<std::string> more = {}) {
        std::vector<std::string> args{"--delay", "0", "--detect-host", sim_->hostPort(),
                                      "--detail-host=" + sim_->hostPort()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    static std::unique_ptr<test::SimProcess> sim_;
};

std::unique_ptr<test::SimProcess> BatchCliTest::sim_;

TEST_F(BatchCliTest, PrintsOneRowPerNumberInInputOrder) {
    const CliRun run = runCli(simArgs(), "S1\r\nW1----note\n\nU1\nK1");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "1\t2015-03-07 09:05:07\tS1\t圆通速递\t2015-03-05 12:10 【上海市】 "
                        "已签收，签收人是：前台，期待再次为您服务\t已签收\t无");
    EXPECT_EQ(lines[1], "2\t2015-03-07 09:05:07\tW1\t无\t无\t无\t无");
    EXPECT_EQ(lines[2], "3\t2015-03-07 09:05:07\t\t\t  \t运输途中\t无");
    EXPECT_EQ(lines[3], "4\t2015-03-07 09:05:07\tU1\t\t  \t运输途中\t无");
    EXPECT_EQ(lines[4], "5\t2015-03-07 09:05:07\tK1\t顺丰\t2015-03-01 12:10 【上海市】 上海浦东 "
                        "的派件员 王师傅 正在派件\t派件中\t无");
}

TEST_F(BatchCliTest, KeepsInputOrderWhenEarlyNumbersAnswerLast) {
    std::string input = "L1\n";
    for (int k = 0; k < 30; ++k)
        input.append("R").append(std::to_string(k)).append("\n");
    const CliRun run = runCli(simArgs(), input);
    ASSERT_EQ(run.status, 0);
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0].substr(0, lines[0].find("\t", 2) + 4), "1\t2015-03-07 09:05:07\tL1\t");
    EXPECT_NE(lines[0].find("\t已签收\t无"), std::string::npos);
    for (int k = 0; k < 30; ++k)
        EXPECT_EQ(lines[k + 1].rfind(std::to_string(k + 2) + "\t2015-03-07 09:05:07\tR" +
                                         std::to_string(k) + "\t",
                                     0),
                  0u)
            << lines[k + 1];
}

TEST_F(BatchCliTest, TabsAndLineBreaksInsideACellPrintAsBlanks) {
    // A tab stays inside a number; it must not add a column.
    const CliRun run = runCli(simArgs(), "S1\tx\n");
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 1u);
    std::vector<std::string> cells;
    std::istringstream row(lines[0]);
    for (std::string cell; std::getline(row, cell, '\t');)
        cells.push_back(cell);
    ASSERT_EQ(cells.size(), 7u);
    EXPECT_EQ(cells[2], "S1 x");
    EXPECT_EQ(cells[5], "已签收");

    EXPECT_EQ(BatchRowLine({"a\tb", "c\r\nd", "e\rf\n"}, true), "a b\tc  d\te f ");
}

TEST_F(BatchCliTest, GbkInAndOut) {
    const CliRun run = runCli(simArgs({"--gbk"}), Gbk("D1----备注\r\n"));
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Gbk("1\t2015-03-07 09:05:07\tD1\tEMS\t2015-03-01 12:10 【上海市】 "
                           "快件正在派送中，请保持电话畅通\t派件中\t无\n"));
}

TEST_F(BatchCliTest, OptionsOverrideTheEnvironment) {
    setenv("TOLVANE_DETECT_HOST", sim_->hostPort().c_str(), 1);
    setenv("TOLVANE_DETAIL_HOST", "127.0.0.1:1", 1);
    const CliRun detailClosed = runCli({"--delay", "0"}, "S1\n");
    const CliRun detailSim = runCli({"--delay", "0", "--detail-host", sim_->hostPort()}, "S1\n");
    unsetenv("TOLVANE_DETECT_HOST");
    unsetenv("TOLVANE_DETAIL_HOST");
    EXPECT_EQ(detailClosed.out, "1\t2015-03-07 09:05:07\tS1\t\t  \t运输途中\t无\n");
    EXPECT_NE(detailSim.out.find("\t已签收\t"), std::string::npos) << detailSim.out;
}

TEST(BatchCli, UnreachableServiceGivesFailureRows) {
    const CliRun run =
        runCli({"--delay=0", "--detect-host", "127.0.0.1:1", "--detail-host", "127.0.0.1:1"},
               "123\n456\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "1\t2015-03-07 09:05:07\t123\t\t  \t运输途中\t无\n"
                       "2\t2015-03-07 09:05:07\t456\t\t  \t运输途中\t无\n");
}

TEST(BatchCli, BadOptionsGiveOneLineAndStatusTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"}, {"--delay"},       {"--delay", "-5"},  {"--delay", "1x"},
        {"numbers"}, {"--detect-host"}, {"--detail-host="}, {"--delay", "99999999"},
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(testing::PrintToString(args));
        const CliRun run = runCli(args, "S1\n");
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1);
    }
}

TEST(BatchCli, HelpAndEmptyInput) {
    const CliRun help = runCli({"--help"}, "");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--delay MS"), std::string::npos);
    EXPECT_NE(help.out.find("--gbk"), std::string::npos);

    const CliRun empty = runCli({"--delay", "0"}, "");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

TEST(BatchCli, InputLinesAndByteOrderMark) {
    EXPECT_EQ(NumbersOfInput("\xEF\xBB\xBF"
                             "A\nB\r\n\n",
                             false),
              (std::vector<Text>{"A", "B", ""}));
    EXPECT_EQ(NumbersOfInput("中通\n", false), std::vector<Text>{Gbk("中通")});
    EXPECT_EQ(NumbersOfInput(Gbk("中通\n"), true), std::vector<Text>{Gbk("中通")});
}

} // namespace
} // namespace tolvane
