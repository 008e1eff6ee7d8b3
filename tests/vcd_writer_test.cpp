/*
 * The waveform writer: its header, the first full dump, then only changes,
 * each change under one time line, with 64-bit times; and write failures
 * that are reported, not lost.
 */
#include "../platform/scripted.h"
#include "../replay/vcd.h"
#include "../src/Defind.h"
#include "scenario_runner.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        lines.push_back(line);
    }
    return lines;
}

/* The part after "$enddefinitions $end". */
std::string changesOf(const std::string &dump)
{
    const std::string marker = "$enddefinitions $end\n";
    const size_t at = dump.find(marker);
    return at == std::string::npos ? std::string("(no end of definitions)") : dump.substr(at + marker.size());
}

class VcdWriter : public testing::Test {
protected:
    /* One file per test: CTest may run the tests in parallel. */
    std::string path =
        (std::filesystem::temp_directory_path() /
         (std::string("doorlock-vcd-") + testing::UnitTest::GetInstance()->current_test_info()->name() + ".vcd"))
            .string();

    void SetUp() override
    {
        testing::internal::CaptureStdout();
        init(); /* the start values of every shared variable */
        testing::internal::GetCapturedStdout();
    }

    void TearDown() override
    {
        std::string ignored;
        vcdClose(ignored);
        std::filesystem::remove(path);
    }

    void open(uint32_t startCount = 0)
    {
        std::string error;
        ASSERT_TRUE(vcdOpen(path.c_str(), startCount, "story.scn", error)) << error;
    }

    std::string closeAndRead()
    {
        std::string error;
        EXPECT_TRUE(vcdClose(error)) << error;
        return readFile(path);
    }
};

TEST_F(VcdWriter, HeaderDeclaresEveryLevelStateAndStampButNotTheTickCount)
{
    open(4294967000u);
    const std::string dump = closeAndRead();
    EXPECT_EQ(dump.rfind("$comment\n", 0), 0u) << dump;
    EXPECT_NE(dump.find("doorlock-replay run of story.scn"), std::string::npos);
    EXPECT_NE(dump.find("start count 4294967000"), std::string::npos);
    EXPECT_NE(dump.find("$timescale 1 ms $end\n"), std::string::npos);

    const char *levels[] = {"key",       "cover", "lockButton", "door",     "num_0",   "num_1", "num_2",
                            "num_3",     "num_4", "num_5",      "num_6",    "num_7",   "num_8", "num_9",
                            "backlight", "lock",  "h_alarm1",   "h_alarm2", "h_alarm3"};
    const char *words[] = {"password_state", "lock_state",    "door_tick",
                           "alarm_tick",     "password_tick", "backlight_tick"};
    int declared = 0;
    for (const std::string &line : linesOf(dump)) {
        if (line.rfind("$var ", 0) != 0) {
            continue;
        }
        declared++;
        std::istringstream fields(line);
        std::string var;
        std::string type;
        std::string width;
        std::string id;
        std::string name;
        std::string end;
        fields >> var >> type >> width >> id >> name >> end;
        EXPECT_EQ(end, "$end") << line;
        EXPECT_EQ(id.size(), 1u) << line;
        EXPECT_TRUE(isalpha(static_cast<unsigned char>(id[0]))) << line;
        bool known = false;
        for (const char *level : levels) {
            known = known || (name == level && width == "1");
        }
        for (const char *word : words) {
            known = known || (name == word && width == "32");
        }
        EXPECT_TRUE(known) << line;
    }
    EXPECT_EQ(declared, 25);
    EXPECT_EQ(dump.find(" tick $end"), std::string::npos);
    EXPECT_EQ(changesOf(dump), "") << "no pass ran, so no values";
}

TEST_F(VcdWriter, FirstPassDumpsEveryValueThenOnlyChangesUnderOneTimeLine)
{
    open();
    vcdPass(0);
    vcdPass(200); /* nothing changed: nothing written */
    door = CLOSED;
    door_tick = 400;
    vcdPass(400);
    vcdPass(600);
    vcdPass(800);
    door_tick = 0;
    lock = CLOSED;
    lock_state = STATE_LOCK_CLOSE;
    vcdPass(1000);
    const std::vector<std::string> lines = linesOf(changesOf(closeAndRead()));

    ASSERT_GE(lines.size(), 28u);
    EXPECT_EQ(lines[0], "#0");
    EXPECT_EQ(lines[1], "$dumpvars");
    EXPECT_EQ(lines[27], "$end");
    /* The start values: levels as stored, a state in binary, an idle stamp as 32 ones. */
    const std::vector<std::string> values(lines.begin() + 2, lines.begin() + 27);
    EXPECT_EQ(values[0], "1A");        /* key UNSENSED */
    EXPECT_EQ(values[14], "0O");       /* backlight ON */
    EXPECT_EQ(values[15], "1P");       /* lock OPENED */
    EXPECT_EQ(values[19], "b10000 T"); /* STATE_PW_UNSET, 16 */
    EXPECT_EQ(values[21], "b11111111111111111111111111111111 V");

    const std::vector<std::string> changes(lines.begin() + 28, lines.end());
    const std::vector<std::string> expected = {
        "#400",  "0D", "b110010000 V",         /* door, door_tick 400 */
        "#1000", "0P", "b11111 U",     "b0 V", /* lock, lock_state, door_tick 0 */
    };
    EXPECT_EQ(changes, expected);
}

TEST_F(VcdWriter, TimesAre64BitAndKeepRisingPastTheWrapOfTheCount)
{
    open(4294967000u);
    vcdPass(0);
    door = CLOSED;
    vcdPass(4294967295ull);
    door = OPENED;
    vcdPass(4294967296ull + 200);
    h_alarm2 = ON;
    vcdPass(86400000ull * 365 * 100); /* a century of milliseconds */
    const std::string changes = changesOf(closeAndRead());
    EXPECT_NE(changes.find("\n#4294967295\n0D\n#4294967496\n1D\n#3153600000000\n0R\n"), std::string::npos) << changes;
}

TEST_F(VcdWriter, TheLastPassIsMarkedOnceWhenNothingChangedThere)
{
    open();
    vcdPass(0);
    h_alarm1 = ON;
    vcdPass(200);
    vcdPass(400);
    vcdPass(600);
    EXPECT_EQ(linesOf(changesOf(closeAndRead())).back(), "#600");

    open();
    vcdPass(0);
    h_alarm1 = OFF;
    vcdPass(200);
    const std::vector<std::string> lines = linesOf(changesOf(closeAndRead()));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "#200");
    EXPECT_EQ(lines.back(), "1Q");
}

TEST_F(VcdWriter, ALevelOutsideZeroAndOneShowsAsUnknown)
{
    open();
    vcdPass(0);
    cover = 7;
    vcdPass(200);
    const std::vector<std::string> lines = linesOf(changesOf(closeAndRead()));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "xB");
}

TEST(VcdWriterFailures, APathThatCannotBeCreatedIsRefusedWithItsReason)
{
    std::string error;
    EXPECT_FALSE(vcdOpen("/nonexistent-directory/run.vcd", 0, "story.scn", error));
    EXPECT_EQ(error.rfind("cannot create: ", 0), 0u) << error;
    vcdPass(0); /* no dump open: nothing happens */
    std::string closing;
    EXPECT_TRUE(vcdClose(closing));
}

#ifdef __linux__
TEST(VcdWriterFailures, AFullDiskIsReportedAtTheEndNotLost)
{
    std::string error;
    ASSERT_TRUE(vcdOpen("/dev/full", 0, "story.scn", error)) << error;
    for (uint64_t pass = 0; pass < 20000; pass++) {
        door = static_cast<int>(pass & 1); /* a change every pass: the buffer fills */
        vcdPass(pass * 200);
    }
    EXPECT_FALSE(vcdClose(error));
    EXPECT_EQ(error, "cannot write: No space left on device");
}
#endif

TEST(VcdWriterInARun, AnIdleStretchWritesNothingAndTimeRunsPastTheWrap)
{
    /* 1200 idle hours, the count wrapping once on the way, then the door shuts. */
    const std::string path = (std::filesystem::temp_directory_path() / "doorlock-vcd-run.vcd").string();
    std::string error;
    ASSERT_TRUE(vcdOpen(path.c_str(), 4000000000u, "run.scn", error)) << error;
    scriptSetPassHandler(vcdPass);
    const ScenarioRun run = runScenario("start 4000000000\nperiod 3600000\npass 1200\ntap right\npass\n");
    scriptSetPassHandler(nullptr);
    ASSERT_TRUE(vcdClose(error)) << error;
    EXPECT_EQ(run.status, 0);

    const std::string changes = changesOf(readFile(path));
    std::filesystem::remove(path);
    const size_t dumpEnd = changes.find("$end\n");
    ASSERT_NE(dumpEnd, std::string::npos);
    EXPECT_EQ(changes.substr(dumpEnd), "$end\n#4320000000\n0D\n");
}

} // namespace
