// Soak: a whole record (4000 readings) streamed at the full 2400-baud rate
// through a pseudo-terminal into mivora-cli record, with garbage, false starts,
// split frames and frames sharing a write. Every well-formed frame must become
// a reading, in order, and nothing else.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "meter/Acquisition.h"
#include "meter/FrameEncoder.h"
#include "platform/Pty.h"
#include "record/MeasurementRecord.h"

namespace mivora::e2e {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFrames = kMaxCount;
constexpr double kBytesPerSecond = 240.0;  // 2400 baud, 10 bits a byte
constexpr int kTimeoutMs = 60000;          // a guard against hanging, never a measured time

std::string Cli() {
    const char* env = std::getenv("MIVORA_CLI");
    return env != nullptr && *env != '\0' ? env : MIVORA_CLI_PATH;
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

struct Expected {
    std::string data;      // as record prints it
    std::string csvValue;  // as dump --csv gives it
    std::string unit;
};

// The stream: the writes in order, the reading each frame must give, and how
// many bytes can never be part of a frame.
struct Stream {
    std::vector<std::vector<std::uint8_t>> writes;
    std::vector<Expected> expected;
    std::size_t garbageBytes = 0;
    std::size_t totalBytes = 0;
};

Expected ExpectedReading(int raw, std::uint8_t status) {
    Expected e;
    char buf[32];
    double value = raw / 10.0;
    if (status & kStatusNegative) value = -value;
    std::snprintf(buf, sizeof buf, "%.1f", value);
    e.data = e.csvValue = buf;
    e.unit = (status & kStatusCelsius) ? "C" : "F";
    if (status & kStatusLogRecord) {
        if (status & kStatusLogHasValue) {
            e.data += "log";
        } else {
            e.data = "----log";
            e.csvValue.clear();
        }
    }
    return e;
}

// A byte whose high nibble is no position tag (0 or B..F): it can start or
// continue no frame.
std::uint8_t NonTagByte(std::mt19937& rng) {
    static const std::uint8_t nibbles[] = {0x0, 0xB, 0xC, 0xD, 0xE, 0xF};
    const std::uint8_t high = nibbles[rng() % 6];
    return static_cast<std::uint8_t>(high << 4 | (rng() & 0x0F));
}

// Bytes before a frame that form none: a burst of non-tag bytes, or a false
// start (0x10 and further right tags) ended by a bad byte or by the next
// frame's own start.
std::vector<std::uint8_t> Garbage(std::mt19937& rng) {
    std::vector<std::uint8_t> g;
    const unsigned kind = rng() % 100;
    if (kind < 4) {
        const std::size_t n = 1 + rng() % 12;
        for (std::size_t i = 0; i < n; ++i) g.push_back(NonTagByte(rng));
    } else if (kind < 7) {
        const std::size_t tags = 1 + rng() % 9;  // 0x10, then 0x2?, 0x3?, ...
        g.push_back(0x10);
        for (std::size_t i = 1; i < tags; ++i) {
            g.push_back(static_cast<std::uint8_t>((i + 1) << 4 | (rng() & 0x0F)));
        }
        if (rng() % 2 == 0) g.push_back(NonTagByte(rng));
    }
    return g;
}

Stream BuildStream(unsigned seed) {
    std::mt19937 rng(seed);
    Stream s;
    std::vector<std::uint8_t> pending;
    auto flush = [&] {
        if (!pending.empty()) s.writes.push_back(pending);
        pending.clear();
    };
    for (int i = 0; i < kFrames; ++i) {
        // Mostly plain readings of every mode but LOG; now and then a logged entry.
        int mode = static_cast<int>(rng() % 8);
        std::uint8_t status = 0;
        if (rng() % 2) status |= kStatusCelsius;
        if (rng() % 3 == 0) status |= kStatusNegative;
        if (rng() % 5 == 0) status |= kStatusLocked;
        if (rng() % 29 == 0) {
            mode = 8;
            status |= kStatusLogRecord;
            if (rng() % 2) status |= kStatusLogHasValue;
        }
        const int raw = static_cast<int>(rng() % 29999);  // below the 3000.0 marker
        const RawFrame f = EncodeMeterFrame(mode, 95, raw, status);
        s.expected.push_back(ExpectedReading(raw, status));

        const std::vector<std::uint8_t> g = Garbage(rng);
        s.garbageBytes += g.size();
        pending.insert(pending.end(), g.begin(), g.end());
        if (!g.empty() && rng() % 3 == 0) flush();  // the burst in a write of its own

        const unsigned style = rng() % 100;
        if (style < 10) {
            // Split into two or three writes.
            const std::size_t cut1 = 1 + rng() % 8;
            pending.insert(pending.end(), f.begin(), f.begin() + static_cast<long>(cut1));
            flush();
            if (rng() % 2 == 0 && cut1 < 8) {
                const std::size_t cut2 = cut1 + 1 + rng() % (8 - cut1);
                s.writes.emplace_back(f.begin() + static_cast<long>(cut1),
                                      f.begin() + static_cast<long>(cut2));
                s.writes.emplace_back(f.begin() + static_cast<long>(cut2), f.end());
            } else {
                s.writes.emplace_back(f.begin() + static_cast<long>(cut1), f.end());
            }
        } else if (style < 18 && i + 1 < kFrames) {
            // Held back: this frame and the next go in one write.
            pending.insert(pending.end(), f.begin(), f.end());
        } else {
            pending.insert(pending.end(), f.begin(), f.end());
            flush();
        }
    }
    flush();
    for (const auto& w : s.writes) s.totalBytes += w.size();
    return s;
}

class SoakTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        char pattern[] = "/tmp/mivora-soak-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_dir;
};

TEST_F(SoakTest, AWholeRecordAtTheFullLineRateLosesNothingAndInventsNothing) {
    const Stream stream = BuildStream(20240611);
    ASSERT_EQ(stream.expected.size(), static_cast<std::size_t>(kFrames));
    ASSERT_EQ(stream.totalBytes, stream.garbageBytes + kFrames * kFrameSize);
    ASSERT_GT(stream.garbageBytes, 0u);

    Pty pty;
    std::string error;
    ASSERT_TRUE(pty.Open(error)) << error;
    const fs::path out = m_dir / "soak.Mvrlog";
    ChildProcess record;
    ASSERT_TRUE(record.Start({Cli(), "record", "--device", pty.SlavePath(), "--count",
                              std::to_string(kFrames), "--out", out.string()},
                             m_dir.string()));
    ASSERT_TRUE(record.WaitForStderr("Recording from", kTimeoutMs)) << record.Err();

    // Each write goes out when a 2400-baud line would have delivered its last
    // byte, by deadline from one start so the pace never drifts. Meanwhile the
    // program's output is read, so its pipe never fills.
    const char* const kNever = "\x01 never printed";
    const auto start = Clock::now();
    std::size_t sent = 0;
    bool ended = false;
    for (const auto& w : stream.writes) {
        sent += w.size();
        const auto deadline =
            start + std::chrono::duration_cast<Clock::duration>(
                        std::chrono::duration<double>(static_cast<double>(sent) / kBytesPerSecond));
        while (!ended && Clock::now() < deadline) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (!record.WaitForStderr(kNever, static_cast<int>(left.count()) + 1) &&
                Clock::now() + std::chrono::milliseconds(1) < deadline) {
                ended = true;  // its output closed: the program is gone
            }
        }
        ASSERT_FALSE(ended) << "record ended early after " << sent << " bytes\n" << record.Err();
        ASSERT_TRUE(pty.Write(w.data(), w.size(), error)) << error;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_TRUE(record.Wait(kTimeoutMs)) << record.Err();
    EXPECT_EQ(record.Status(), 0) << record.Err();
    std::printf("soak: %zu bytes (%zu of garbage) in %zu writes over %.1f s\n", stream.totalBytes,
                stream.garbageBytes, stream.writes.size(), seconds);

    // Exactly one printed reading per frame, in order.
    const std::vector<std::string> lines = record.OutLines();
    std::vector<std::vector<std::string>> readings;
    for (const std::string& line : lines) {
        const std::vector<std::string> w = Words(line);
        if (w.size() == 4 && w[3].size() == 17) readings.push_back(w);
    }
    ASSERT_EQ(readings.size(), static_cast<std::size_t>(kFrames)) << record.Err();
    int wrong = 0;
    for (std::size_t i = 0; i < readings.size() && wrong < 10; ++i) {
        const Expected& e = stream.expected[i];
        const bool ok = readings[i][0] == std::to_string(i + 1) && readings[i][1] == e.data &&
                        readings[i][2] == e.unit;
        EXPECT_TRUE(ok) << "reading " << i + 1 << ": printed " << readings[i][0] << " "
                        << readings[i][1] << " " << readings[i][2] << ", sent " << e.data << " "
                        << e.unit;
        wrong += ok ? 0 : 1;
    }
    EXPECT_NE(record.Err().find(kCapacityMessage), std::string::npos) << record.Err();
    EXPECT_NE(record.Err().find("Dropped " + std::to_string(stream.garbageBytes) + " byte"),
              std::string::npos)
        << record.Err();

    // The saved file holds the same readings with the printed times.
    const RunResult dump = RunToEnd({Cli(), "dump", "--csv", out.string()});
    ASSERT_EQ(dump.status, 0) << dump.err;
    std::istringstream rows(dump.out);
    std::string row;
    ASSERT_TRUE(std::getline(rows, row));
    EXPECT_EQ(row, "no,value,unit,time");
    std::size_t n = 0;
    wrong = 0;
    for (; std::getline(rows, row); ++n) {
        if (n >= stream.expected.size() || wrong >= 10) continue;
        const Expected& e = stream.expected[n];
        const std::string want =
            std::to_string(n + 1) + "," + e.csvValue + "," + e.unit + "," + readings[n][3];
        EXPECT_EQ(row, want);
        wrong += row == want ? 0 : 1;
    }
    EXPECT_EQ(n, static_cast<std::size_t>(kFrames));
    EXPECT_FALSE(fs::exists(out.string() + ".journal"));
}

}  // namespace
}  // namespace mivora::e2e
