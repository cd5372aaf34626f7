#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "meter/FrameAssembler.h"
#include "meter/MeterFrame.h"

namespace mivora {
namespace {

using Bytes = std::vector<std::uint8_t>;

RawFrame Frame(int raw, int status = 0x04) {
    return {0x10,
            0x20,
            0x35,
            0x4F,
            static_cast<std::uint8_t>(0x50 | ((raw >> 4) & 0xF)),
            static_cast<std::uint8_t>(0x60 | (raw & 0xF)),
            static_cast<std::uint8_t>(0x70 | ((raw >> 12) & 0xF)),
            static_cast<std::uint8_t>(0x80 | ((raw >> 8) & 0xF)),
            static_cast<std::uint8_t>(0x90 | ((status >> 4) & 0xF)),
            static_cast<std::uint8_t>(0xA0 | (status & 0xF))};
}

void Append(Bytes& out, const RawFrame& f) {
    out.insert(out.end(), f.begin(), f.end());
}
void Append(Bytes& out, const Bytes& b) {
    out.insert(out.end(), b.begin(), b.end());
}

// Feeds `stream` in reads of the given sizes and collects every frame.
std::vector<RawFrame> Feed(FrameAssembler& a, const Bytes& stream,
                           const std::vector<std::size_t>& cuts) {
    std::vector<RawFrame> all, frames;
    std::size_t pos = 0;
    for (std::size_t cut : cuts) {
        a.Push(stream.data() + pos, cut - pos, frames);
        all.insert(all.end(), frames.begin(), frames.end());
        pos = cut;
    }
    a.Push(stream.data() + pos, stream.size() - pos, frames);
    all.insert(all.end(), frames.begin(), frames.end());
    return all;
}

TEST(FrameAssembler, GoldenStreamSplitAtEveryOffset) {
    Bytes stream;
    std::vector<RawFrame> expected;
    for (int i = 0; i < 4; ++i) {
        expected.push_back(Frame(100 + i));
        Append(stream, expected.back());
    }
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        FrameAssembler a;
        EXPECT_EQ(Feed(a, stream, {cut}), expected) << "cut " << cut;
        EXPECT_EQ(a.DroppedBytes(), 0u);
        EXPECT_EQ(a.PendingBytes(), 0u);
        EXPECT_EQ(a.FrameCount(), 4u);
    }
    // Two cuts anywhere, and one byte per read.
    for (std::size_t c1 = 0; c1 <= stream.size(); c1 += 3) {
        for (std::size_t c2 = c1; c2 <= stream.size(); c2 += 7) {
            FrameAssembler a;
            EXPECT_EQ(Feed(a, stream, {c1, c2}), expected) << c1 << "," << c2;
        }
    }
    std::vector<std::size_t> each;
    for (std::size_t i = 1; i < stream.size(); ++i) each.push_back(i);
    FrameAssembler a;
    EXPECT_EQ(Feed(a, stream, each), expected);
}

TEST(FrameAssembler, TwoFramesInOneReadInOrder) {
    Bytes stream;
    Append(stream, Frame(1));
    Append(stream, Frame(2));
    FrameAssembler a;
    std::vector<RawFrame> frames;
    a.Push(stream.data(), stream.size(), frames);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], Frame(1));
    EXPECT_EQ(frames[1], Frame(2));
    // The next read starts with a fresh output list.
    a.Push(stream.data(), 3, frames);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(a.PendingBytes(), 3u);
}

TEST(FrameAssembler, GarbageBetweenFramesIsDroppedAndCounted) {
    struct Case {
        const char* name;
        Bytes garbage;
    };
    const Case cases[] = {
        {"one byte", {0x00}},
        {"tag run without start", {0x20, 0x30, 0x40}},
        {"start bytes", {0x10, 0x10, 0x10}},
        {"frame tail", {0x57, 0x6D, 0x70, 0x80, 0x94, 0xA1}},
        {"almost a frame", {0x10, 0x20, 0x35, 0x4F, 0x5D, 0x62, 0x70, 0x84, 0x90}},
        {"high bytes", {0xFF, 0xA0, 0x9F, 0x11}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes stream;
        Append(stream, c.garbage);
        Append(stream, Frame(1));
        Append(stream, c.garbage);
        Append(stream, Frame(2));
        Append(stream, c.garbage);
        Append(stream, Frame(3));
        const std::vector<RawFrame> expected = {Frame(1), Frame(2), Frame(3)};
        for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
            FrameAssembler a;
            ASSERT_EQ(Feed(a, stream, {cut}), expected) << "cut " << cut;
            EXPECT_EQ(a.DroppedBytes(), 3 * c.garbage.size());
        }
    }
}

TEST(FrameAssembler, FalseStartDoesNotHideARealFrame) {
    // 0x10 0x20 looks like a start; the garbage breaks it; the real frame follows
    // at once and must be found, even when its start byte arrives in the same read.
    Bytes stream = {0x10, 0x20, 0x77, 0x05};
    Append(stream, Frame(42));
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        FrameAssembler a;
        EXPECT_EQ(Feed(a, stream, {cut}), std::vector<RawFrame>{Frame(42)}) << cut;
        EXPECT_EQ(a.DroppedBytes(), 4u);
    }
    // A false start that runs straight into the real frame's start byte.
    Bytes overlap = {0x10, 0x20, 0x35};
    Append(overlap, Frame(7));
    FrameAssembler a;
    EXPECT_EQ(Feed(a, overlap, {}), std::vector<RawFrame>{Frame(7)});
    EXPECT_EQ(a.DroppedBytes(), 3u);
}

TEST(FrameAssembler, CorruptTagIsNeverEmitted) {
    for (std::size_t bad = 1; bad < kFrameSize; ++bad) {
        RawFrame corrupt = Frame(500);
        corrupt[bad] = static_cast<std::uint8_t>(corrupt[bad] ^ 0x30);
        Bytes stream;
        Append(stream, Frame(1));
        Append(stream, RawFrame(corrupt));
        Append(stream, Frame(2));
        FrameAssembler a;
        const auto frames = Feed(a, stream, {});
        EXPECT_EQ(frames, (std::vector<RawFrame>{Frame(1), Frame(2)})) << bad;
        EXPECT_EQ(a.DroppedBytes(), kFrameSize) << bad;
        for (const auto& f : frames) EXPECT_TRUE(IsWellFormedFrame(f.data()));
    }
}

TEST(FrameAssembler, ShortTailWaitsButInconsistentTailIsJudgedAtOnce) {
    FrameAssembler a;
    std::vector<RawFrame> frames;
    const RawFrame f = Frame(9);
    a.Push(f.data(), 6, frames);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(a.PendingBytes(), 6u);
    EXPECT_EQ(a.DroppedBytes(), 0u);

    // A tail broken before it is complete is judged now, not at the next read.
    FrameAssembler b;
    const Bytes broken = {0x10, 0x20, 0x99};
    b.Push(broken.data(), broken.size(), frames);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(b.DroppedBytes(), 3u);
    EXPECT_EQ(b.PendingBytes(), 0u);

    const Bytes restart = {0x10, 0x20, 0x10, 0x20};
    FrameAssembler c;
    c.Push(restart.data(), restart.size(), frames);
    EXPECT_EQ(c.DroppedBytes(), 2u);
    EXPECT_EQ(c.PendingBytes(), 2u);

    // Reset forgets the waiting bytes.
    a.Reset();
    EXPECT_EQ(a.PendingBytes(), 0u);
    a.Push(f.data() + 6, kFrameSize - 6, frames);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(a.DroppedBytes(), kFrameSize - 6);
}

TEST(FrameAssembler, EmptyReadsAndOutputCapacityReused) {
    FrameAssembler a;
    std::vector<RawFrame> frames;
    frames.reserve(8);
    const RawFrame* storage = frames.data();
    a.Push(nullptr, 0, frames);
    EXPECT_TRUE(frames.empty());
    Bytes stream;
    for (int i = 0; i < 8; ++i) Append(stream, Frame(i));
    for (int round = 0; round < 3; ++round) {
        a.Push(stream.data(), stream.size(), frames);
        EXPECT_EQ(frames.size(), 8u);
        EXPECT_EQ(frames.data(), storage);
    }
    EXPECT_EQ(a.FrameCount(), 24u);
}

TEST(FrameAssembler, RandomGarbageAndReadSizesLoseNoFrame) {
    // Garbage never holds a start byte, so the only frames are the real ones; the
    // garbage may still hold runs of valid tags and frame tails.
    std::mt19937 rng(12345);
    for (int round = 0; round < 200; ++round) {
        Bytes stream;
        std::vector<RawFrame> expected;
        std::size_t garbage = 0;
        for (int i = 0; i < 20; ++i) {
            const int n = static_cast<int>(rng() % 12);
            for (int g = 0; g < n; ++g) {
                std::uint8_t b = static_cast<std::uint8_t>(rng() % 256);
                if (b == 0x10) b = 0x20;
                stream.push_back(b);
            }
            garbage += static_cast<std::size_t>(n);
            expected.push_back(
                Frame(static_cast<int>(rng() % 65536), static_cast<int>(rng() % 256)));
            Append(stream, expected.back());
        }
        FrameAssembler a;
        std::vector<RawFrame> all, frames;
        for (std::size_t pos = 0; pos < stream.size();) {
            const std::size_t n = std::min<std::size_t>(1 + rng() % 30, stream.size() - pos);
            a.Push(stream.data() + pos, n, frames);
            all.insert(all.end(), frames.begin(), frames.end());
            pos += n;
        }
        ASSERT_EQ(all, expected) << "round " << round;
        EXPECT_EQ(a.DroppedBytes(), garbage);
        EXPECT_EQ(a.PendingBytes(), 0u);
    }
}

}  // namespace
}  // namespace mivora
