// record: headless logging with the window's acquisition rules.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "meter/Acquisition.h"
#include "platform/SerialLink.h"
#include "platform/StopSignals.h"
#include "record/DataFile.h"
#include "record/Journal.h"
#include "record/MeasurementRecord.h"
#include "record/TimeText.h"

namespace mivora::cli {

namespace {

const char* const kRecordHelp =
    "Usage: mivora-cli record --device PATH [--interval I] [--count N] [--out FILE.Mvrlog]\n"
    "Records the meter's readings from a serial device (2400 baud, 8N1) and prints one\n"
    "line per committed reading: number, value, unit, time.\n"
    "  --device PATH   the serial device, e.g. /dev/ttyUSB0\n"
    "  --interval I    auto (every frame, default) or one reading per interval:\n"
    "                  2s 5s 10s 30s 1min 2min 5min 10min 30min 45min 60min\n"
    "                  (logged entries of the meter are always recorded at once)\n"
    "  --count N       stop after N readings (1..4000; default: at 4000)\n"
    "  --out FILE      data file to write (default: the time-based name in this folder)\n"
    "Stops at N readings, when the record is full, or on Ctrl+C / SIGTERM; then writes\n"
    "the data file and its text listing beside it and says where.\n"
    "Every committed reading is also written at once to a recovery journal beside the\n"
    "data file (FILE.journal, or mivora-record.journal without --out), removed when\n"
    "the data file was saved. If a kill or a power cut ends the recording, the journal\n"
    "is left behind; record then refuses to start until it was recovered with\n"
    "  mivora-cli recover JOURNAL --out FILE.Mvrlog\n";

// What the acquisition asks of a window, for a terminal. Each committed reading
// goes to the journal before its line is printed, so a printed reading is never
// lost to a kill.
class PrintingSink final : public IAcquisitionSink {
  public:
    PrintingSink(const MeasurementRecord& record, Journal& journal)
        : m_record(record), m_journal(journal) {}
    void ReadingCommitted(int index) override {
        std::string error;
        if (!m_journal.AppendReading(m_record, index, error)) JournalFailed(error);
    }
    void RecordEmptied() override {
        std::string error;
        if (!m_journal.Clear(error)) JournalFailed(error);
    }
    void InvalidateArea(DisplayArea) override {}
    void InvalidateDisplay() override {}
    void AppendListRow(const ListRow& row) override {
        std::printf("%s\n", FormatReadingLine(row).c_str());
        std::fflush(stdout);
    }
    void ClearList() override {}
    void ClosePort() override { m_bPortClosed = true; }
    void ShowCapacityMessage(const std::string& text) override { m_capacityText = text; }
    void RedrawGraph() override {}

    bool m_bPortClosed = false;
    std::string m_capacityText;
    bool m_bJournalFailed = false;

  private:
    void JournalFailed(const std::string& error) {
        // Recording goes on (the readings are still saved at the end), only no
        // longer crash-safe; say it once.
        if (m_bJournalFailed) return;
        m_bJournalFailed = true;
        std::fprintf(stderr,
                     "mivora-cli record: warning: the recovery journal cannot be written (%s); "
                     "a crash now would lose the readings\n",
                     error.c_str());
        std::fflush(stderr);
    }

    const MeasurementRecord& m_record;
    Journal& m_journal;
};

struct RecordOptions {
    std::string device;
    int intervalIndex = 0;
    int count = kMaxCount;
    std::string outPath;  // empty: proposed name at save time
    std::string journalPath;
};

class RecordSession {
  public:
    explicit RecordSession(const RecordOptions& options)
        : m_options(options),
          m_sink(m_record, m_journal),
          m_acquisition(m_record, m_state, m_clock, m_sink) {
        // A smaller --count is a smaller capacity: the record then stops exactly at
        // N readings even when one read delivers several frames.
        m_record.m_nMaxCount = m_options.count;
        m_acquisition.SelectInterval(m_options.intervalIndex);
        m_state.m_nIntervalIndex = m_options.intervalIndex;
        m_state.m_nSampleIndex = m_options.intervalIndex;
        m_state.m_nSampleInterval = SampleIntervalMs(m_options.intervalIndex);
        m_state.m_bSampleIndexUnset = false;
    }

    int Run(QCoreApplication& app) {
        const SerialOpenResult opened = m_link.Open(QString::fromStdString(m_options.device));
        if (!opened.ok) {
            return InputError("record", SerialOpenErrorMessage(opened).toStdString());
        }
        std::string error;
        if (!m_journal.Open(m_options.journalPath, true, error)) {
            m_link.Close();
            return InputError("record", "cannot create the recovery journal: " + error);
        }
        m_state.m_bOnLine = true;
        QObject::connect(&m_link, &SerialLink::BytesReceived, &app, [this](const QByteArray& b) {
            m_acquisition.OnReceive(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                    static_cast<std::size_t>(b.size()));
            CheckStop();
        });
        QObject::connect(&m_link, &SerialLink::LinkLost, &app, [this](const QString& message) {
            m_linkLost = message.toStdString();
            Stop();
        });
        QObject::connect(&m_signals, &StopSignals::StopRequested, &app, [this](int) { Stop(); });
        const int intervalMs = SampleIntervalMs(m_options.intervalIndex);
        if (intervalMs > 0) {
            QObject::connect(&m_sampleTimer, &QTimer::timeout, &app, [this] {
                m_acquisition.OnSampleTick();
                CheckStop();
            });
            m_sampleTimer.start(intervalMs);
        }
        std::fprintf(stderr,
                     "Recording from %s (interval %s, up to %d readings, journal %s); Ctrl+C "
                     "stops.\n",
                     m_options.device.c_str(), IntervalNames()[m_options.intervalIndex].c_str(),
                     m_options.count, m_options.journalPath.c_str());
        std::fflush(stderr);
        app.exec();
        return Finish();
    }

  private:
    void CheckStop() {
        if (m_sink.m_bPortClosed || m_record.IsFull()) Stop();
    }

    void Stop() {
        if (m_bStopping) return;
        m_bStopping = true;
        m_sampleTimer.stop();
        m_link.Close();
        QCoreApplication::quit();
    }

    int Finish() {
        m_link.Close();
        std::fprintf(stderr, "Dropped %llu byte(s) that formed no frame.\n",
                     static_cast<unsigned long long>(m_acquisition.Assembler().DroppedBytes()));
        if (m_record.IsFull() && m_options.count == kMaxCount && !m_sink.m_capacityText.empty()) {
            std::fprintf(stderr, "%s\n", m_sink.m_capacityText.c_str());
        }
        int status = kExitOk;
        if (!m_linkLost.empty()) {
            std::fprintf(stderr, "mivora-cli record: %s\n", m_linkLost.c_str());
            status = kExitBadInput;
        }
        if (m_record.m_nTotalCount == 0) {
            m_journal.Remove();
            std::printf("Nothing recorded; no file written.\n");
            return status;
        }
        const TimeStamp now = m_clock.Now();
        const std::string path =
            m_options.outPath.empty() ? ProposedDataFileName(now) : m_options.outPath;
        FileResult saved = SaveRecording(RealFileSystem(), path, now, m_record, m_state);
        if (!saved.ok && !m_options.outPath.empty()) {
            // The readings exist only in memory: try the current folder before giving up.
            std::fprintf(stderr, "mivora-cli record: %s\n", saved.error.c_str());
            const std::string fallback = ProposedDataFileName(now);
            std::fprintf(stderr, "mivora-cli record: saving to %s instead\n", fallback.c_str());
            saved = SaveRecording(RealFileSystem(), fallback, now, m_record, m_state);
            status = kExitBadInput;
        }
        if (!saved.ok) {
            m_journal.Close();
            std::string message = "could not save the " + std::to_string(m_record.m_nTotalCount) +
                                  " readings: " + saved.error;
            message += m_sink.m_bJournalFailed
                           ? "\nThe recovery journal " + m_options.journalPath +
                                 " may not hold all of them."
                           : "\nThey are kept in the recovery journal " + m_options.journalPath +
                                 "; recover them with: mivora-cli recover " +
                                 m_options.journalPath + " --out FILE.Mvrlog";
            return InputError("record", message);
        }
        m_journal.Remove();
        std::printf("Saved %d reading(s) to %s\nListing: %s\n", m_record.m_nTotalCount,
                    saved.dataPath.c_str(), saved.listingPath.c_str());
        std::fflush(stdout);
        return status;
    }

    RecordOptions m_options;
    MeasurementRecord m_record;
    MeterState m_state;
    SystemClock m_clock;
    Journal m_journal;
    PrintingSink m_sink;
    Acquisition m_acquisition;
    SerialLink m_link;
    StopSignals m_signals;
    QTimer m_sampleTimer;
    bool m_bStopping = false;
    std::string m_linkLost;
};

}  // namespace

int RunRecord(int argc, char** argv, const std::vector<std::string>& args) {
    ParsedArgs parsed;
    std::string error;
    if (!ParseArgs(args, {"device", "interval", "count", "out"}, {}, parsed, error)) {
        return UsageError("record", error);
    }
    if (parsed.help) {
        std::fputs(kRecordHelp, stdout);
        return kExitOk;
    }
    if (!parsed.positional.empty()) {
        return UsageError("record", "unexpected argument \"" + parsed.positional[0] + "\"");
    }
    RecordOptions options;
    if (parsed.values.count("device") == 0 || parsed.values["device"].empty()) {
        return UsageError("record", "--device PATH is required");
    }
    options.device = parsed.values["device"];
    if (parsed.values.count("interval") &&
        !ParseIntervalIndex(parsed.values["interval"], options.intervalIndex)) {
        return UsageError("record",
                          "--interval is auto, 2s, 5s, 10s, 30s, 1min, 2min, 5min, "
                          "10min, 30min, 45min or 60min");
    }
    if (parsed.values.count("count")) {
        long long count = 0;
        if (!ParseBoundedInt(parsed.values["count"], 1, kMaxCount, count)) {
            return UsageError("record", "--count needs a whole number from 1 to 4000");
        }
        options.count = static_cast<int>(count);
    }
    if (parsed.values.count("out")) {
        options.outPath = parsed.values["out"];
        if (options.outPath.empty()) return UsageError("record", "--out needs a file name");
        // Find out now, not after hours of recording, that the file cannot go there.
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::path(options.outPath).parent_path();
        if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
            return InputError("record", "cannot write " + options.outPath + ": the folder " +
                                            folder.string() + " does not exist");
        }
        if (std::filesystem::is_directory(options.outPath, ec)) {
            return InputError("record", "cannot write " + options.outPath + ": it is a folder");
        }
    }
    options.journalPath = RecordJournalPath(options.outPath);
    {
        // A journal left behind holds the readings of an interrupted recording;
        // starting over would mix them with new ones or throw them away.
        std::error_code ec;
        if (std::filesystem::exists(options.journalPath, ec)) {
            return InputError(
                "record",
                "a recovery journal was found: " + options.journalPath +
                    " (left by an interrupted recording, unless another record is still "
                    "writing it)\nRecover its readings first with: mivora-cli recover " +
                    options.journalPath + " --out " +
                    (options.outPath.empty() ? std::string("FILE.Mvrlog") : options.outPath));
        }
    }
    QCoreApplication app(argc, argv);
    RecordSession session(options);
    return session.Run(app);
}

}  // namespace mivora::cli
