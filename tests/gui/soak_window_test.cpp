// The window under a continuous stream: frames back to back with garbage bursts
// and split writes become exactly one reading each, in order.
#include <QTest>
#include <chrono>
#include <thread>

#include "GuiFixture.h"

namespace mivora::ui::test {
namespace {

class WindowSoakTest : public FrameFixture {};

TEST_F(WindowSoakTest, EveryWellFormedFrameBecomesOneReading) {
    SwitchOn();
    constexpr int kFrames = 300;
    std::vector<int> sent;
    std::size_t garbage = 0;
    std::string error;
    auto write = [&](const std::uint8_t* p, std::size_t n) {
        ASSERT_TRUE(m_pty.Write(p, n, error)) << error;
    };
    for (int i = 0; i < kFrames; ++i) {
        const int raw = (i * 37) % 2000;
        const RawFrame f = EncodeMeterFrame(i % 8, 95, raw, kStatusCelsius);
        sent.push_back(raw);
        if (i % 11 == 0) {
            // A false start and bytes that can never begin a frame.
            const std::uint8_t burst[] = {0x10, 0x20, 0x30, 0xFF, 0x00, 0x7E, 0x10};
            write(burst, sizeof burst);
            garbage += sizeof burst;
        }
        if (i % 7 == 0) {
            write(f.data(), 4);
            QTest::qWait(2);
            write(f.data() + 4, f.size() - 4);
        } else {
            write(f.data(), f.size());
        }
        // Keep the event loop turning, as the line would pace the frames.
        if (i % 5 == 0) QTest::qWait(5);
    }
    ASSERT_TRUE(WaitFor([&] { return Record().m_nTotalCount >= kFrames; }, 20000))
        << Record().m_nTotalCount;
    QTest::qWait(100);
    const MeasurementRecord& r = Record();
    ASSERT_EQ(r.m_nTotalCount, kFrames) << "nothing but the frames was recorded";
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_FLOAT_EQ(r.m_fValue[static_cast<std::size_t>(i)],
                        static_cast<float>(sent[static_cast<std::size_t>(i)]) * 0.1f)
            << "reading " << i;
    }
    EXPECT_EQ(View().m_barList.RowCount(), kFrames);
    EXPECT_EQ(m_frame->Acquisition().Assembler().DroppedBytes(), garbage);
}

}  // namespace
}  // namespace mivora::ui::test
