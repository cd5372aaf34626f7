// simulate: a meter sending well-formed frames at a paced rate.
#include <QCoreApplication>
#include <QSerialPort>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "meter/FrameEncoder.h"
#ifdef __unix__
#include "platform/Pty.h"
#endif

namespace mivora::cli {

namespace {

const char* const kSimulateHelp =
    "Usage: mivora-cli simulate (--pty | --device PATH) [--rate HZ] [--count N]\n"
    "                           [--unit C|F] [--pattern sine|ramp|steps] [--log-every K]\n"
    "Sends well-formed meter frames, paced as a 2400-baud line (at most 24 frames a second).\n"
    "  --pty            open a pseudo-terminal and print its device path as the first line\n"
    "  --device PATH    write to this serial device instead\n"
    "  --rate HZ        frames per second (default 2)\n"
    "  --count N        stop after N frames (default: run until killed)\n"
    "  --unit C|F       unit of the readings (default C)\n"
    "  --pattern P      sine (default), ramp or steps\n"
    "  --log-every K    every K-th frame is a logged entry, alternately with and without\n"
    "                   a value\n"
    "Mode and lock change now and then, as a meter's display would.\n";

// Where the frames go.
class FrameSink {
  public:
    virtual ~FrameSink() = default;
    virtual bool Write(const RawFrame& frame, std::string& error) = 0;
    virtual void Finish() = 0;
};

#ifdef __unix__
class PtySink final : public FrameSink {
  public:
    bool Open(std::string& error) { return m_pty.Open(error); }
    const std::string& Path() const { return m_pty.SlavePath(); }
    bool Write(const RawFrame& frame, std::string& error) override {
        return m_pty.Write(frame.data(), frame.size(), error);
    }
    // Gives the reader a moment to take the last frames before the pair closes.
    void Finish() override { m_pty.WaitDrained(1000); }

  private:
    Pty m_pty;
};
#endif

class DeviceSink final : public FrameSink {
  public:
    bool Open(const std::string& device, std::string& error) {
        m_port.setPortName(QString::fromStdString(device));
        m_port.setBaudRate(2400);
        m_port.setDataBits(QSerialPort::Data8);
        m_port.setParity(QSerialPort::NoParity);
        m_port.setStopBits(QSerialPort::OneStop);
        m_port.setFlowControl(QSerialPort::NoFlowControl);
        if (!m_port.open(QIODevice::WriteOnly)) {
            error = "cannot open " + device + ": " + m_port.errorString().toStdString();
            return false;
        }
        return true;
    }
    bool Write(const RawFrame& frame, std::string& error) override {
        const auto* data = reinterpret_cast<const char*>(frame.data());
        if (m_port.write(data, static_cast<qint64>(frame.size())) !=
                static_cast<qint64>(frame.size()) ||
            !m_port.waitForBytesWritten(2000)) {
            error = "write failed: " + m_port.errorString().toStdString();
            return false;
        }
        return true;
    }
    void Finish() override { m_port.close(); }

  private:
    QSerialPort m_port;
};

}  // namespace

int RunSimulate(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    std::string error;
    if (!ParseArgs(args, {"device", "rate", "count", "unit", "pattern", "log-every"}, {"pty"},
                   parsed, error)) {
        return UsageError("simulate", error);
    }
    if (parsed.help) {
        std::fputs(kSimulateHelp, stdout);
        return kExitOk;
    }
    if (!parsed.positional.empty()) {
        return UsageError("simulate", "unexpected argument \"" + parsed.positional[0] + "\"");
    }
    const bool usePty = parsed.flags.count("pty") != 0;
    const bool useDevice = parsed.values.count("device") != 0;
    if (usePty == useDevice) return UsageError("simulate", "give either --pty or --device PATH");

    double rate = 2.0;
    if (parsed.values.count("rate") && !ParsePositiveNumber(parsed.values["rate"], rate)) {
        return UsageError("simulate", "--rate needs a positive number of frames per second");
    }
    long long count = -1;
    if (parsed.values.count("count") &&
        !ParseBoundedInt(parsed.values["count"], 1, 1000000000LL, count)) {
        return UsageError("simulate", "--count needs a positive whole number");
    }
    SimulatorSettings settings;
    if (parsed.values.count("unit")) {
        const std::string& unit = parsed.values["unit"];
        if (unit == "C" || unit == "c") {
            settings.celsius = true;
        } else if (unit == "F" || unit == "f") {
            settings.celsius = false;
        } else {
            return UsageError("simulate", "--unit is C or F");
        }
    }
    if (parsed.values.count("pattern") &&
        !ParsePattern(parsed.values["pattern"], settings.pattern)) {
        return UsageError("simulate", "--pattern is sine, ramp or steps");
    }
    if (parsed.values.count("log-every")) {
        long long k = 0;
        if (!ParseBoundedInt(parsed.values["log-every"], 1, 1000000, k)) {
            return UsageError("simulate", "--log-every needs a positive whole number");
        }
        settings.logEvery = static_cast<int>(k);
    }

    int fakeArgc = 1;
    char name[] = "mivora-cli";
    char* fakeArgv[] = {name, nullptr};
    QCoreApplication app(fakeArgc, fakeArgv);

    std::unique_ptr<FrameSink> sink;
    if (usePty) {
#ifdef __unix__
        auto pty = std::make_unique<PtySink>();
        if (!pty->Open(error)) return InputError("simulate", error);
        std::printf("%s\n", pty->Path().c_str());
        std::fflush(stdout);
        sink = std::move(pty);
#else
        return UsageError("simulate", "--pty needs a POSIX system; use --device");
#endif
    } else {
        auto device = std::make_unique<DeviceSink>();
        if (!device->Open(parsed.values["device"], error)) return InputError("simulate", error);
        sink = std::move(device);
    }

    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(FramePeriodSeconds(rate)));
    auto next = Clock::now();
    for (long long n = 0; count < 0 || n < count; ++n) {
        std::this_thread::sleep_until(next);
        next += period;
        if (!sink->Write(EncodeMeterFrame(SimulatedFrame(settings, n)), error)) {
            return InputError("simulate", error);
        }
    }
    sink->Finish();
    return kExitOk;
}

}  // namespace mivora::cli
