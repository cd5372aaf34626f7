// mivora-cli end to end: real pseudo-terminals, real files in a temp folder, the
// built program run as a user would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "meter/FrameEncoder.h"
#include "meter/MeterFrame.h"
#include "platform/Pty.h"
#include "record/DataFile.h"
#include "record/Journal.h"

namespace mivora::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutMs = 20000;  // a guard against hanging, never a measured time

std::string Cli() {
    const char* env = std::getenv("MIVORA_CLI");
    return env != nullptr && *env != '\0' ? env : MIVORA_CLI_PATH;
}

std::vector<std::string> CliArgs(std::vector<std::string> args) {
    args.insert(args.begin(), Cli());
    return args;
}

RunResult RunCli(const std::vector<std::string>& args) {
    return RunToEnd(CliArgs(args));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        char pattern[] = "/tmp/mivora-e2e-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::vector<fs::path> FilesWithExtension(const std::string& ext) const {
        std::vector<fs::path> found;
        for (const auto& e : fs::directory_iterator(m_dir)) {
            if (e.path().extension() == ext) found.push_back(e.path());
        }
        return found;
    }
    fs::path m_dir;
};

// The 48-byte file of one reading of 123.4 C at 04-15-07/10:20:30.
std::vector<std::uint8_t> ExampleFile() {
    std::vector<std::uint8_t> b = {0x01, 0x00, 0x00, 0x00, 0xCD, 0xCC, 0xF6, 0x42};
    AppendArchiveString(b, "C");
    AppendArchiveString(b, "04-15-07/10:20:30");
    AppendArchiveString(b, "123.4");
    AppendArchiveString(b, "123.4");
    for (int i = 0; i < 2; ++i) b.insert(b.end(), {0xCD, 0xCC, 0xF6, 0x42});
    return b;
}

// ---- decode ----------------------------------------------------------------

TEST_F(CliTest, DecodeWorkedExamples) {
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const Case cases[] = {
        {{"10", "20", "35", "4F", "5D", "62", "70", "84", "90", "A4"},
         "nModeCode: 0\nstrMode: EMS\nnEmissivity: 95\nstrEmissivity: 0.95\nnRawReading: 1234\n"
         "fReading: 123.4\nbyStatus: 0x04\nbNegative: false\nbCelsius: true\nbLocked: false\n"
         "bLogHasValue: false\nbLogRecord: false\n"},
        {{"10 28 35 4F 57 6D 70 80 94 A1"},
         "nModeCode: 8\nstrMode: LOG\nnEmissivity: 95\nstrEmissivity: 0.95\nnRawReading: 125\n"
         "fReading: -12.5\nbyStatus: 0x41\nbNegative: true\nbCelsius: false\nbLocked: false\n"
         "bLogHasValue: false\nbLogRecord: true\n"},
        {{"10213A4F5F6F7F8F9FAF"},
         "nModeCode: 1\nstrMode: MAX\nnEmissivity: 175\nstrEmissivity: 1.75\nnRawReading: 65535\n"
         "fReading: -6553.5\nbyStatus: 0xFF\nbNegative: true\nbCelsius: true\nbLocked: true\n"
         "bLogHasValue: true\nbLogRecord: true\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"decode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.expected) << c.args[0];
    }
}

TEST_F(CliTest, DecodeRejectsBadInput) {
    struct Case {
        std::vector<std::string> args;
        std::string inMessage;
    };
    const Case cases[] = {
        {{"11", "20", "35", "4F", "5D", "62", "70", "84", "90", "A4"}, "start byte"},
        {{"10", "20", "35"}, "10 bytes"},
        {{"10 20 35 4F 5D 62 70 84 90 A4 B0"}, "10 bytes"},
        {{"10", "2G", "35", "4F", "5D", "62", "70", "84", "90", "A4"}, "not hexadecimal"},
        {{"102"}, "hex bytes"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"decode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.status, 1) << c.args[0];
        EXPECT_NE(r.err.find(c.inMessage), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

// ---- usage -----------------------------------------------------------------

TEST_F(CliTest, UsageErrorsExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"decode"},
        {"decode", "--bogus", "10"},
        {"dump"},
        {"dump", "a.Mvrlog", "b.Mvrlog"},
        {"dump", "a.Mvrlog", "--csv=yes"},
        {"record"},
        {"record", "--device"},
        {"record", "--device", "/dev/null", "--interval", "3s"},
        {"record", "--device", "/dev/null", "--count", "0"},
        {"record", "--device", "/dev/null", "--count", "4001"},
        {"record", "--device", "/dev/null", "--count", "12x"},
        {"record", "--device", "/dev/null", "stray"},
        {"simulate"},
        {"simulate", "--pty", "--device", "/dev/null"},
        {"simulate", "--pty", "--unit", "K"},
        {"simulate", "--pty", "--rate", "0"},
        {"simulate", "--pty", "--pattern", "zigzag"},
        {"simulate", "--pty", "--log-every", "-1"},
        {"recover"},
        {"recover", "x.journal"},
        {"recover", "--out", "x.Mvrlog"},
        {"recover", "x.journal", "--out"},
        {"recover", "x.journal", "y.journal", "--out", "x.Mvrlog"},
        {"recover", "x.journal", "--out", "x.Mvrlog", "--bogus"},
    };
    for (const auto& args : cases) {
        const RunResult r = RunCli(args);
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_EQ(r.status, 2) << joined << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << joined;
    }
}

TEST_F(CliTest, EveryCommandHasHelp) {
    for (const char* command : {"decode", "dump", "record", "simulate", "recover"}) {
        const RunResult r = RunCli({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("Usage: mivora-cli ") + command, 0), 0u) << r.out;
    }
    const RunResult r = RunCli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("simulate"), std::string::npos);
    EXPECT_NE(r.out.find("recover"), std::string::npos);
}

// ---- dump ------------------------------------------------------------------

TEST_F(CliTest, DumpListsTheExampleFile) {
    const fs::path file = m_dir / "example.Mvrlog";
    WriteFile(file, ExampleFile());
    RunResult r = RunCli({"dump", file.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "      NO              DATA              UNIT           TIME  \r\n"
              "      1              123.4                 C           04-15-07/10:20:30  \r\n");
    r = RunCli({"dump", file.string(), "--csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "no,value,unit,time\n1,123.4,C,04-15-07/10:20:30\n");
}

TEST_F(CliTest, DumpCsvLeavesTheValueOfALoggedEntryWithoutValueEmpty) {
    std::vector<std::uint8_t> b = {0x02, 0x00, 0x00, 0x00};
    const float values[] = {-12.5f, 3000.0f};
    for (float v : values) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
        b.insert(b.end(), p, p + 4);
    }
    AppendArchiveString(b, "F");
    AppendArchiveString(b, "F");
    AppendArchiveString(b, "04-15-07/10:20:30");
    AppendArchiveString(b, "04-15-07/10:20:31");
    AppendArchiveString(b, "-12.5");
    AppendArchiveString(b, "-12.5");
    for (int i = 0; i < 8; ++i) b.push_back(0);
    const fs::path file = m_dir / "logged.Mvrlog";
    WriteFile(file, b);
    RunResult r = RunCli({"dump", "--csv", file.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "no,value,unit,time\n1,-12.5,F,04-15-07/10:20:30\n2,,F,04-15-07/10:20:31\n");
    r = RunCli({"dump", file.string()});
    ASSERT_EQ(Lines(r.out).size(), 3u);
    EXPECT_EQ(Lines(r.out)[2],
              "      2               ----                 F           04-15-07/10:20:31  \r");
}

TEST_F(CliTest, DumpOfAMalformedFileExitsOneNamingTheFile) {
    const std::vector<std::uint8_t> good = ExampleFile();
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty.Mvrlog", {}});
    cases.push_back(
        {"truncated.Mvrlog", std::vector<std::uint8_t>(good.begin(), good.begin() + 30)});
    cases.push_back({"cut-in-count.Mvrlog", {0x01, 0x00}});
    cases.push_back({"negative.Mvrlog", {0xFF, 0xFF, 0xFF, 0xFF}});
    cases.push_back({"huge.Mvrlog", {0x88, 0x13, 0x00, 0x00}});  // 5000
    cases.push_back({"enormous.Mvrlog", {0xFF, 0xFF, 0xFF, 0x7F}});
    std::vector<std::uint8_t> badPrefix = {0x01, 0x00, 0x00, 0x00, 0xCD, 0xCC, 0xF6, 0x42,
                                           0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF};
    cases.push_back({"bad-prefix.Mvrlog", badPrefix});
    std::vector<std::uint8_t> shortString = {0x01, 0x00, 0x00, 0x00, 0xCD,
                                             0xCC, 0xF6, 0x42, 0x40, 'C'};
    cases.push_back({"short-string.Mvrlog", shortString});
    for (const Case& c : cases) {
        const fs::path file = m_dir / c.name;
        WriteFile(file, c.bytes);
        for (bool csv : {false, true}) {
            std::vector<std::string> args = {"dump", file.string()};
            if (csv) args.push_back("--csv");
            const RunResult r = RunCli(args);
            EXPECT_EQ(r.status, 1) << c.name << "\n" << r.err;
            EXPECT_NE(r.err.find(file.string()), std::string::npos) << c.name << ": " << r.err;
            EXPECT_TRUE(r.out.empty()) << c.name << ": " << r.out;
        }
    }
    const fs::path missing = m_dir / "missing.Mvrlog";
    const RunResult r = RunCli({"dump", missing.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(missing.string()), std::string::npos) << r.err;
}

// ---- record ----------------------------------------------------------------

struct SentFrame {
    RawFrame bytes;
    std::string data;  // the list text record prints
    std::string unit;
    std::string csvValue;
};

SentFrame Frame(int mode, int raw, std::uint8_t status) {
    SentFrame f;
    f.bytes = EncodeMeterFrame(mode, 95, raw, status);
    char buf[32];
    double value = raw / 10.0;
    if (status & kStatusNegative) value = -value;  // raw 0 gives "-0.0", as the meter shows
    std::snprintf(buf, sizeof buf, "%.1f", value);
    f.unit = (status & kStatusCelsius) ? "C" : "F";
    f.data = buf;
    f.csvValue = buf;
    if (status & kStatusLogRecord) {
        if (status & kStatusLogHasValue) {
            f.data += "log";
        } else {
            f.data = "----log";
            f.csvValue.clear();
        }
    }
    return f;
}

// Starts record on a fresh pseudo-terminal and waits until it listens.
class RecordTest : public CliTest {
  protected:
    void StartRecord(std::vector<std::string> extra) {
        std::string error;
        ASSERT_TRUE(m_pty.Open(error)) << error;
        std::vector<std::string> args = {"record", "--device", m_pty.SlavePath()};
        args.insert(args.end(), extra.begin(), extra.end());
        m_record = std::make_unique<ChildProcess>();
        ASSERT_TRUE(m_record->Start(CliArgs(args), m_dir.string()));
        ASSERT_TRUE(m_record->WaitForStderr("Recording from", kTimeoutMs)) << m_record->Err();
    }
    void Send(const std::vector<std::uint8_t>& bytes) {
        std::string error;
        ASSERT_TRUE(m_pty.Write(bytes.data(), bytes.size(), error)) << error;
        // Separate writes so the reader sees separate chunks (not relied upon).
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    // The CSV rows of a data file, without the header.
    std::vector<std::string> CsvRows(const fs::path& file) {
        const RunResult r = RunCli({"dump", "--csv", file.string()});
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> rows = Lines(r.out);
        if (!rows.empty()) rows.erase(rows.begin());
        return rows;
    }
    Pty m_pty;
    std::unique_ptr<ChildProcess> m_record;
};

// Splits a printed reading line into number, data, unit and time.
std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

TEST_F(RecordTest, RecordsExactlyTheWellFormedFramesOfAStream) {
    const std::vector<SentFrame> frames = {
        Frame(0, 1234, kStatusCelsius),
        Frame(0, 125, kStatusNegative),
        Frame(8, 250, kStatusCelsius | kStatusLogRecord | kStatusLogHasValue),
        Frame(8, 0, kStatusCelsius | kStatusLogRecord),
        Frame(1, 29999, kStatusCelsius | kStatusLocked),  // 3000.0 and up mark "no value"
        Frame(2, 0, kStatusNegative),
        Frame(4, 999, kStatusCelsius),
        Frame(0, 1, kStatusCelsius),
    };
    auto bytesOf = [&](std::size_t i) {
        return std::vector<std::uint8_t>(frames[i].bytes.begin(), frames[i].bytes.end());
    };
    std::vector<std::vector<std::uint8_t>> writes;
    writes.push_back(bytesOf(0));
    // Garbage, then a false start (0x10 0x20) right before a real frame.
    std::vector<std::uint8_t> w = {0x00, 0xFF, 0x37, 0x10, 0x20};
    auto f1 = bytesOf(1);
    w.insert(w.end(), f1.begin(), f1.end());
    writes.push_back(w);
    // A frame split over three writes.
    auto f2 = bytesOf(2);
    writes.push_back({f2.begin(), f2.begin() + 3});
    writes.push_back({f2.begin() + 3, f2.begin() + 7});
    writes.push_back({f2.begin() + 7, f2.end()});
    // A frame with a corrupt tag (byte 6 says 0x6 instead of 0x7), then two frames in one write.
    RawFrame corrupt = EncodeMeterFrame(0, 95, 777, kStatusCelsius);
    corrupt[6] = static_cast<std::uint8_t>(0x60 | (corrupt[6] & 0x0F));
    w.assign(corrupt.begin(), corrupt.end());
    auto f3 = bytesOf(3), f4 = bytesOf(4);
    w.insert(w.end(), f3.begin(), f3.end());
    w.insert(w.end(), f4.begin(), f4.end());
    writes.push_back(w);
    // Frame 5 split with garbage after it, the last frames back to back.
    auto f5 = bytesOf(5);
    writes.push_back({f5.begin(), f5.begin() + 9});
    w.assign(f5.begin() + 9, f5.end());
    w.insert(w.end(), {0x10, 0x10, 0xA4});
    writes.push_back(w);
    w = bytesOf(6);
    auto f7 = bytesOf(7);
    w.insert(w.end(), f7.begin(), f7.end());
    writes.push_back(w);

    std::size_t total = 0;
    for (const auto& b : writes) total += b.size();
    const std::size_t dropped = total - frames.size() * kFrameSize;

    const fs::path out = m_dir / "stream.Mvrlog";
    StartRecord({"--count", std::to_string(frames.size()), "--out", out.string()});
    for (const auto& b : writes) Send(b);
    ASSERT_TRUE(m_record->Wait(kTimeoutMs)) << m_record->Out() << m_record->Err();
    EXPECT_EQ(m_record->Status(), 0) << m_record->Err();

    const std::vector<std::string> lines = m_record->OutLines();
    ASSERT_GE(lines.size(), frames.size()) << m_record->Out();
    std::vector<std::string> times;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::vector<std::string> words = Words(lines[i]);
        ASSERT_EQ(words.size(), 4u) << lines[i];
        EXPECT_EQ(words[0], std::to_string(i + 1));
        EXPECT_EQ(words[1], frames[i].data) << "reading " << i + 1;
        EXPECT_EQ(words[2], frames[i].unit) << "reading " << i + 1;
        EXPECT_EQ(words[3].size(), 17u) << lines[i];
        times.push_back(words[3]);
    }
    EXPECT_NE(m_record->Out().find(out.string()), std::string::npos) << m_record->Out();
    EXPECT_NE(m_record->Err().find("Dropped " + std::to_string(dropped) + " byte"),
              std::string::npos)
        << m_record->Err();

    const std::vector<std::string> rows = CsvRows(out);
    ASSERT_EQ(rows.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(rows[i], std::to_string(i + 1) + "," + frames[i].csvValue + "," + frames[i].unit +
                               "," + times[i]);
    }
    // The listing lies beside the data file and lists the same readings.
    const std::vector<fs::path> listings = FilesWithExtension(".txt");
    ASSERT_EQ(listings.size(), 1u);
    EXPECT_EQ(Lines(ReadFile(listings[0])).size(), frames.size() + 1);
    // A clean stop leaves no recovery journal behind.
    EXPECT_NE(m_record->Err().find(out.string() + ".journal"), std::string::npos)
        << m_record->Err();
    EXPECT_FALSE(fs::exists(out.string() + ".journal"));
}

TEST_F(RecordTest, SigtermStopsAndSavesEveryCommittedReading) {
    for (int sig : {SIGTERM, SIGINT}) {
        const fs::path out = m_dir / ("stop-" + std::to_string(sig) + ".Mvrlog");
        StartRecord({"--out", out.string()});
        for (int i = 0; i < 3; ++i) {
            const RawFrame f = EncodeMeterFrame(0, 95, 200 + i, kStatusCelsius);
            Send({f.begin(), f.end()});
        }
        ASSERT_TRUE(m_record->WaitForStdoutLines(3, kTimeoutMs)) << m_record->Out();
        m_record->Signal(sig);
        ASSERT_TRUE(m_record->Wait(kTimeoutMs));
        EXPECT_EQ(m_record->Status(), 0) << m_record->Err();
        const std::vector<std::string> rows = CsvRows(out);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0].substr(0, 9), "1,20.0,C,");
        EXPECT_EQ(rows[2].substr(0, 9), "3,20.2,C,");
        EXPECT_FALSE(fs::exists(out.string() + ".journal"));
    }
}

TEST_F(RecordTest, AClosedOutputPipeDoesNotLoseTheRecording) {
    const fs::path out = m_dir / "pipe.Mvrlog";
    StartRecord({"--out", out.string()});
    m_record->CloseStdout();
    for (int i = 0; i < 3; ++i) {
        const RawFrame f = EncodeMeterFrame(0, 95, 500 + i, kStatusCelsius);
        Send({f.begin(), f.end()});
    }
    // Without stdout there is no reading line to wait for; the saved file tells.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    m_record->Signal(SIGTERM);
    ASSERT_TRUE(m_record->Wait(kTimeoutMs));
    EXPECT_EQ(m_record->Status(), 0) << m_record->Err();
    EXPECT_EQ(CsvRows(out).size(), 3u) << m_record->Err();
}

TEST_F(CliTest, RecordRefusesAnOutputFolderThatDoesNotExist) {
    const std::string out = (m_dir / "no-such-folder" / "x.Mvrlog").string();
    const RunResult r = RunCli({"record", "--device", "/dev/null", "--out", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no-such-folder"), std::string::npos) << r.err;
}

TEST_F(RecordTest, StopWithoutReadingsWritesNothing) {
    StartRecord({});
    // Garbage only: no reading.
    Send({0x00, 0x10, 0x20, 0x30});
    m_record->Signal(SIGTERM);
    ASSERT_TRUE(m_record->Wait(kTimeoutMs));
    EXPECT_EQ(m_record->Status(), 0) << m_record->Err();
    EXPECT_NE(m_record->Out().find("Nothing recorded"), std::string::npos) << m_record->Out();
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(RecordTest, AHangUpSavesWhatWasRecordedAndReportsTheLostLink) {
    const fs::path out = m_dir / "hangup.Mvrlog";
    StartRecord({"--out", out.string()});
    const RawFrame f = EncodeMeterFrame(0, 95, 421, kStatusCelsius);
    Send({f.begin(), f.end()});
    ASSERT_TRUE(m_record->WaitForStdoutLines(1, kTimeoutMs));
    m_pty.Close();
    ASSERT_TRUE(m_record->Wait(kTimeoutMs));
    EXPECT_EQ(m_record->Status(), 1);
    EXPECT_NE(m_record->Err().find("lost"), std::string::npos) << m_record->Err();
    const std::vector<std::string> rows = CsvRows(out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].substr(0, 9), "1,42.1,C,");
}

TEST_F(RecordTest, ASecondRecordOnTheSameDeviceIsToldItIsInUse) {
    StartRecord({});
    const RunResult second = RunCli({"record", "--device", m_pty.SlavePath()});
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.err.find(m_pty.SlavePath()), std::string::npos) << second.err;
    EXPECT_NE(second.err.find("in use"), std::string::npos) << second.err;
    m_record->Signal(SIGTERM);
    ASSERT_TRUE(m_record->Wait(kTimeoutMs));
    EXPECT_EQ(m_record->Status(), 0);
}

TEST_F(RecordTest, IntervalSamplingCommitsLoggedEntriesAtOnceAndTheLatestFrameOnTheTick) {
    const fs::path out = m_dir / "interval.Mvrlog";
    StartRecord({"--interval", "2s", "--count", "2", "--out", out.string()});
    // A logged entry does not wait for the tick.
    const RawFrame logged =
        EncodeMeterFrame(8, 95, 333, kStatusCelsius | kStatusLogRecord | kStatusLogHasValue);
    Send({logged.begin(), logged.end()});
    // Of two plain frames only the newer one is committed, when the interval ends.
    for (int raw : {100, 150}) {
        const RawFrame f = EncodeMeterFrame(0, 95, raw, kStatusCelsius);
        Send({f.begin(), f.end()});
    }
    ASSERT_TRUE(m_record->Wait(kTimeoutMs)) << m_record->Out() << m_record->Err();
    EXPECT_EQ(m_record->Status(), 0) << m_record->Err();
    const std::vector<std::string> lines = m_record->OutLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(Words(lines[0]).at(1), "33.3log");
    EXPECT_EQ(Words(lines[1]).at(1), "15.0");
    const std::vector<std::string> rows = CsvRows(out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].substr(0, 9), "1,33.3,C,");
    EXPECT_EQ(rows[1].substr(0, 9), "2,15.0,C,");
}

TEST_F(CliTest, RecordOnAMissingDeviceSaysHowPortsMapToDevices) {
    const std::string device = (m_dir / "ttyNone").string();
    const RunResult r = RunCli({"record", "--device", device});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(device), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("loggerconfig.ini"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("/dev/ttyS"), std::string::npos) << r.err;
}

// ---- recovery journal and recover ------------------------------------------

// The CSV row dump gives for a reading record printed as `line`.
std::string CsvRowOfPrintedLine(const std::string& line) {
    std::vector<std::string> w = Words(line);
    if (w.size() != 4) return "bad line: " + line;
    std::string value = w[1];
    if (value == "----log") {
        value.clear();
    } else if (value.size() > 3 && value.compare(value.size() - 3, 3, "log") == 0) {
        value.resize(value.size() - 3);
    }
    return w[0] + "," + value + "," + w[2] + "," + w[3];
}

// Readings with and without the logged-entry marks, both units.
std::vector<RawFrame> JournalTestFrames() {
    return {
        EncodeMeterFrame(0, 95, 1234, kStatusCelsius),
        EncodeMeterFrame(0, 95, 125, kStatusNegative),
        EncodeMeterFrame(8, 95, 250, kStatusCelsius | kStatusLogRecord | kStatusLogHasValue),
        EncodeMeterFrame(8, 95, 0, kStatusCelsius | kStatusLogRecord),
        EncodeMeterFrame(4, 95, 999, kStatusCelsius | kStatusLocked),
        EncodeMeterFrame(0, 95, 7, kStatusCelsius),
    };
}

TEST_F(RecordTest, AKilledRecordingIsRecoveredWithEveryPrintedReading) {
    const fs::path out = m_dir / "killed.Mvrlog";
    const std::string journal = out.string() + ".journal";
    StartRecord({"--out", out.string()});
    EXPECT_NE(m_record->Err().find("journal " + journal), std::string::npos) << m_record->Err();
    const std::vector<RawFrame> frames = JournalTestFrames();
    for (const RawFrame& f : frames) Send({f.begin(), f.end()});
    ASSERT_TRUE(m_record->WaitForStdoutLines(frames.size(), kTimeoutMs)) << m_record->Out();
    m_record->Signal(SIGKILL);
    ASSERT_TRUE(m_record->Wait(kTimeoutMs));
    EXPECT_EQ(m_record->Status(), 128 + SIGKILL);
    EXPECT_FALSE(fs::exists(out));
    const std::vector<std::string> printed = m_record->OutLines();
    ASSERT_EQ(printed.size(), frames.size()) << m_record->Out();

    // The journal holds every printed reading.
    JournalContents contents;
    std::string error;
    ASSERT_TRUE(ReadJournal(journal, contents, error)) << error;
    EXPECT_EQ(contents.damagedBytes, 0u);
    ASSERT_EQ(contents.entries.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::vector<std::string> w = Words(printed[i]);
        ASSERT_EQ(w.size(), 4u) << printed[i];
        EXPECT_EQ(contents.entries[i].unit, w[2]);
        EXPECT_EQ(contents.entries[i].timeText, w[3]);
        std::string data = w[1];
        if (data.size() > 3 && data.compare(data.size() - 3, 3, "log") == 0)
            data.resize(data.size() - 3);
        EXPECT_EQ(ValueText(contents.entries[i].value), data) << printed[i];
    }

    // A new recording to the same file refuses and says how to recover.
    const RunResult again =
        RunCli({"record", "--device", m_pty.SlavePath(), "--out", out.string()});
    EXPECT_EQ(again.status, 1) << again.err;
    EXPECT_NE(again.err.find("mivora-cli recover " + journal + " --out " + out.string()),
              std::string::npos)
        << again.err;
    EXPECT_TRUE(fs::exists(journal));

    const RunResult recovered = RunCli({"recover", journal, "--out", out.string()});
    EXPECT_EQ(recovered.status, 0) << recovered.err;
    EXPECT_NE(recovered.out.find(out.string()), std::string::npos) << recovered.out;
    EXPECT_NE(recovered.out.find(std::to_string(frames.size()) + " reading"), std::string::npos)
        << recovered.out;
    EXPECT_FALSE(fs::exists(journal));
    const std::vector<std::string> rows = CsvRows(out);
    ASSERT_EQ(rows.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(rows[i], CsvRowOfPrintedLine(printed[i]));
    }
    // The listing beside it, and MAX/MIN from the recovered readings.
    const std::vector<fs::path> listings = FilesWithExtension(".txt");
    ASSERT_EQ(listings.size(), 1u);
    EXPECT_EQ(Lines(ReadFile(listings[0])).size(), frames.size() + 1);
    DataFileContents file;
    ASSERT_TRUE(LoadDataFile(RealFileSystem(), out.string(), file).ok);
    EXPECT_EQ(file.maxText, "123.4");
    EXPECT_EQ(file.minText, "-12.5");

    // With the journal gone, recording starts again.
    StartRecord({"--out", out.string(), "--count", "1"});
    const RawFrame f = frames[0];
    Send({f.begin(), f.end()});
    ASSERT_TRUE(m_record->Wait(kTimeoutMs)) << m_record->Err();
    EXPECT_EQ(m_record->Status(), 0) << m_record->Err();
    EXPECT_FALSE(fs::exists(journal));
}

TEST_F(RecordTest, WithoutOutTheJournalLiesInTheCurrentFolder) {
    StartRecord({});
    const fs::path journal = m_dir / "mivora-record.journal";
    EXPECT_NE(m_record->Err().find("journal mivora-record.journal"), std::string::npos)
        << m_record->Err();
    EXPECT_TRUE(fs::exists(journal));
    const RawFrame f = EncodeMeterFrame(0, 95, 321, kStatusCelsius);
    Send({f.begin(), f.end()});
    ASSERT_TRUE(m_record->WaitForStdoutLines(1, kTimeoutMs)) << m_record->Out();
    m_record->Signal(SIGKILL);
    ASSERT_TRUE(m_record->Wait(kTimeoutMs));

    ChildProcess again;
    ASSERT_TRUE(again.Start(CliArgs({"record", "--device", m_pty.SlavePath()}), m_dir.string()));
    ASSERT_TRUE(again.Wait(kTimeoutMs));
    EXPECT_EQ(again.Status(), 1);
    EXPECT_NE(again.Err().find("mivora-cli recover mivora-record.journal --out FILE.Mvrlog"),
              std::string::npos)
        << again.Err();

    // A clean stop after recovery removes the journal and saves under the time-based name.
    const fs::path out = m_dir / "default.Mvrlog";
    const RunResult r = RunCli({"recover", journal.string(), "--out", out.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(CsvRows(out).size(), 1u);
    StartRecord({"--count", "1"});
    EXPECT_TRUE(fs::exists(journal));
    Send({f.begin(), f.end()});
    ASSERT_TRUE(m_record->Wait(kTimeoutMs)) << m_record->Err();
    EXPECT_EQ(m_record->Status(), 0) << m_record->Err();
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_EQ(FilesWithExtension(".Mvrlog").size(), 2u);
}

// A journal of `count` readings of 10.0, 10.1, ... C as record writes it.
std::vector<std::uint8_t> JournalBytes(int count) {
    std::vector<std::uint8_t> bytes(kJournalSignature,
                                    kJournalSignature + sizeof kJournalSignature);
    for (int i = 0; i < count; ++i) {
        JournalEntry e;
        e.value = 10.0f + 0.1f * static_cast<float>(i);
        e.time = 1700000000 + i;
        e.unit = "C";
        char text[32];
        std::snprintf(text, sizeof text, "11-14-23/22:13:%02d", 20 + i);
        e.timeText = text;
        const std::vector<std::uint8_t> entry = EncodeJournalEntry(e);
        bytes.insert(bytes.end(), entry.begin(), entry.end());
    }
    return bytes;
}

TEST_F(CliTest, RecoverCutsADamagedTailAndKeepsTheIntactReadings) {
    const std::vector<std::uint8_t> intact = JournalBytes(3);
    const std::vector<std::uint8_t> four = JournalBytes(4);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> tail;
    };
    std::vector<Case> cases;
    // The fourth entry cut after its length, in its payload, and one byte short.
    for (std::size_t cut :
         {std::size_t{2}, std::size_t{4}, std::size_t{15}, four.size() - intact.size() - 1}) {
        cases.push_back(
            {"half-written",
             std::vector<std::uint8_t>(four.begin() + static_cast<long>(intact.size()),
                                       four.begin() + static_cast<long>(intact.size() + cut))});
    }
    // A whole fourth entry with a bad checksum, and a run of zeros (a power cut
    // after the file grew but before the data reached the disk).
    std::vector<std::uint8_t> badCrc(four.begin() + static_cast<long>(intact.size()), four.end());
    badCrc.back() ^= 0x5A;
    cases.push_back({"bad checksum", badCrc});
    cases.push_back({"zeros", std::vector<std::uint8_t>(64, 0)});
    int n = 0;
    for (const Case& c : cases) {
        const fs::path journal = m_dir / ("tail" + std::to_string(n) + ".journal");
        const fs::path out = m_dir / ("tail" + std::to_string(n) + ".Mvrlog");
        ++n;
        std::vector<std::uint8_t> bytes = intact;
        bytes.insert(bytes.end(), c.tail.begin(), c.tail.end());
        WriteFile(journal, bytes);
        const RunResult r = RunCli({"recover", journal.string(), "--out", out.string()});
        EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find("damaged tail of " + std::to_string(c.tail.size()) + " byte"),
                  std::string::npos)
            << c.name << ": " << r.err;
        EXPECT_NE(r.out.find("3 reading"), std::string::npos) << r.out;
        EXPECT_FALSE(fs::exists(journal)) << c.name;
        const RunResult dump = RunCli({"dump", "--csv", out.string()});
        EXPECT_EQ(dump.out,
                  "no,value,unit,time\n1,10.0,C,11-14-23/22:13:20\n2,10.1,C,11-14-23/22:13:21\n"
                  "3,10.2,C,11-14-23/22:13:22\n")
            << c.name;
    }
    // An intact journal reports no damage.
    const fs::path journal = m_dir / "intact.journal";
    WriteFile(journal, four);
    const RunResult r =
        RunCli({"recover", journal.string(), "--out", (m_dir / "i.Mvrlog").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("4 reading"), std::string::npos) << r.out;
}

TEST_F(CliTest, RecoverFailuresKeepTheJournal) {
    const fs::path journal = m_dir / "keep.journal";
    WriteFile(journal, JournalBytes(2));
    // The data file cannot be written: the journal stays, and the message says so.
    const std::string badOut = (m_dir / "no-such-folder" / "x.Mvrlog").string();
    RunResult r = RunCli({"recover", journal.string(), "--out", badOut});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no-such-folder"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("is kept"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(journal));
    EXPECT_TRUE(r.out.empty()) << r.out;
    // Nor may the data file replace the journal itself.
    for (const fs::path& same : {journal, m_dir / "." / "keep.journal"}) {
        r = RunCli({"recover", journal.string(), "--out", same.string()});
        EXPECT_EQ(r.status, 1) << same;
        EXPECT_NE(r.err.find("journal itself"), std::string::npos) << r.err;
        JournalContents kept;
        std::string error;
        ASSERT_TRUE(ReadJournal(journal.string(), kept, error)) << error;
        EXPECT_EQ(kept.entries.size(), 2u);
    }

    // Not a journal, or no file at all: exit 1 naming the file, nothing written.
    const fs::path notJournal = m_dir / "file.Mvrlog";
    WriteFile(notJournal, ExampleFile());
    const fs::path missing = m_dir / "missing.journal";
    for (const fs::path& p : {notJournal, missing}) {
        const fs::path out = m_dir / "never.Mvrlog";
        r = RunCli({"recover", p.string(), "--out", out.string()});
        EXPECT_EQ(r.status, 1) << p;
        EXPECT_NE(r.err.find(p.string()), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_TRUE(fs::exists(notJournal));

    // A journal without readings (killed before the first one): nothing to write.
    const fs::path empty = m_dir / "empty.journal";
    WriteFile(empty, JournalBytes(0));
    r = RunCli({"recover", empty.string(), "--out", (m_dir / "e.Mvrlog").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("no readings"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(m_dir / "e.Mvrlog"));
    EXPECT_FALSE(fs::exists(empty));
}

// ---- frame latency ---------------------------------------------------------

// The time from the write of a frame's last byte until record prints the reading
// (its stdout is flushed per line), for single frames with room between them.
// Printed for the record, never asserted.
TEST_F(RecordTest, FrameLatencyIsPrinted) {
    constexpr int kLatencyFrames = 30;
    const fs::path out = m_dir / "latency.Mvrlog";
    StartRecord({"--count", std::to_string(kLatencyFrames), "--out", out.string()});
    std::vector<double> ms;
    auto next = std::chrono::steady_clock::now();
    for (int i = 0; i < kLatencyFrames; ++i) {
        next += std::chrono::milliseconds(100);
        std::this_thread::sleep_until(next);
        const RawFrame f = EncodeMeterFrame(0, 95, 100 + i, kStatusCelsius);
        std::string error;
        ASSERT_TRUE(m_pty.Write(f.data(), f.size(), error)) << error;
        const auto written = std::chrono::steady_clock::now();
        ASSERT_TRUE(m_record->WaitForStdoutLines(static_cast<std::size_t>(i + 1), kTimeoutMs))
            << "frame " << i + 1 << " never arrived\n"
            << m_record->Out() << m_record->Err();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - written)
                .count());
    }
    ASSERT_TRUE(m_record->Wait(kTimeoutMs)) << m_record->Err();
    EXPECT_EQ(m_record->Status(), 0) << m_record->Err();
    const std::vector<std::string> lines = m_record->OutLines();
    for (int i = 0; i < kLatencyFrames; ++i) {
        char data[16];
        std::snprintf(data, sizeof data, "%.1f", (100 + i) / 10.0);
        EXPECT_EQ(Words(lines.at(static_cast<std::size_t>(i))).at(1), data);
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const double median = (sorted[kLatencyFrames / 2 - 1] + sorted[kLatencyFrames / 2]) / 2;
    std::printf("frame latency: median %.2f ms, max %.2f ms (%d frames)\n", median, sorted.back(),
                kLatencyFrames);
    std::fflush(stdout);
}

// ---- simulate --------------------------------------------------------------

// Reads `count` bytes from a file descriptor, waiting at most kTimeoutMs.
std::vector<std::uint8_t> ReadBytes(int fd, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) continue;
        std::uint8_t buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        bytes.insert(bytes.end(), buf, buf + n);
    }
    return bytes;
}

TEST_F(CliTest, SimulatorSendsWellFormedFramesWithLoggedEntries) {
    ChildProcess sim;
    ASSERT_TRUE(sim.Start(CliArgs({"simulate", "--pty", "--rate", "24", "--count", "12", "--unit",
                                   "F", "--pattern", "ramp", "--log-every", "3"})));
    ASSERT_TRUE(sim.WaitForStdoutLines(1, kTimeoutMs)) << sim.Err();
    const std::string device = sim.OutLines()[0];
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
    const int fd = ::open(device.c_str(), O_RDONLY | O_NOCTTY);
    ASSERT_GE(fd, 0);
    const std::vector<std::uint8_t> bytes = ReadBytes(fd, 12 * kFrameSize);
    ::close(fd);
    ASSERT_EQ(bytes.size(), 12 * kFrameSize);
    int logged = 0, loggedWithValue = 0;
    for (std::size_t i = 0; i < 12; ++i) {
        const std::uint8_t* p = bytes.data() + i * kFrameSize;
        ASSERT_TRUE(IsWellFormedFrame(p)) << "frame " << i;
        MeterFrame frame;
        ASSERT_TRUE(DecodeMeterFrame(p, kFrameSize, frame));
        EXPECT_FALSE(frame.bCelsius);
        EXPECT_EQ(frame.bLogRecord, (i + 1) % 3 == 0) << "frame " << i;
        logged += frame.bLogRecord ? 1 : 0;
        loggedWithValue += frame.bLogRecord && frame.bLogHasValue ? 1 : 0;
    }
    EXPECT_EQ(logged, 4);
    EXPECT_EQ(loggedWithValue, 2);
    ASSERT_TRUE(sim.Wait(kTimeoutMs));
    EXPECT_EQ(sim.Status(), 0) << sim.Err();
}

TEST_F(CliTest, SimulatorWritesToANamedDevice) {
    Pty pty;
    std::string error;
    ASSERT_TRUE(pty.Open(error)) << error;
    ChildProcess sim;
    ASSERT_TRUE(sim.Start(CliArgs({"simulate", "--device", pty.SlavePath(), "--rate", "24",
                                   "--count", "3", "--pattern", "steps"})));
    const std::vector<std::uint8_t> bytes = ReadBytes(pty.MasterFd(), 3 * kFrameSize);
    ASSERT_EQ(bytes.size(), 3 * kFrameSize);
    for (std::size_t i = 0; i < 3; ++i) {
        MeterFrame frame;
        ASSERT_TRUE(IsWellFormedFrame(bytes.data() + i * kFrameSize)) << "frame " << i;
        ASSERT_TRUE(DecodeMeterFrame(bytes.data() + i * kFrameSize, kFrameSize, frame));
        EXPECT_EQ(frame.nRawReading, 200);  // the first step is 20.0
        EXPECT_TRUE(frame.bCelsius);
    }
    ASSERT_TRUE(sim.Wait(kTimeoutMs));
    EXPECT_EQ(sim.Status(), 0) << sim.Err();
}

TEST_F(CliTest, SimulatorFeedsRecord) {
    ChildProcess sim;
    ASSERT_TRUE(sim.Start(CliArgs({"simulate", "--pty", "--rate", "20", "--log-every", "4"})));
    ASSERT_TRUE(sim.WaitForStdoutLines(1, kTimeoutMs)) << sim.Err();
    const std::string device = sim.OutLines()[0];
    const fs::path out = m_dir / "sim.Mvrlog";
    ChildProcess record;
    ASSERT_TRUE(
        record.Start(CliArgs({"record", "--device", device, "--count", "5", "--out", out.string()}),
                     m_dir.string()));
    ASSERT_TRUE(record.Wait(kTimeoutMs)) << record.Err();
    EXPECT_EQ(record.Status(), 0) << record.Err();
    const std::vector<std::string> lines = record.OutLines();
    ASSERT_GE(lines.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Words(lines[static_cast<std::size_t>(i)]).at(0), std::to_string(i + 1));
    }
    sim.Signal(SIGTERM);
    sim.Wait(kTimeoutMs);
    const RunResult dump = RunCli({"dump", "--csv", out.string()});
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(Lines(dump.out).size(), 6u) << dump.out;
}

}  // namespace
}  // namespace mivora::e2e
