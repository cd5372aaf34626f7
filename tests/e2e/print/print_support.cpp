#include "print_support.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "record/DataFile.h"

namespace printtest {

std::vector<Reading> MakeReadings(int count, int markerEvery) {
    std::vector<Reading> out;
    for (int i = 0; i < count; ++i) {
        Reading r;
        const double wave = 75.0 + 70.0 * std::sin(i * 0.35);
        r.value = static_cast<float>(std::round(wave * 10.0) / 10.0);
        if (markerEvery > 0 && (i + 1) % markerEvery == 0) r.value = mivora::kNoValueMarker;
        r.unit = i % 2 ? "F" : "C";
        char time[32];
        std::snprintf(time, sizeof time, "12-11-26/%02d:%02d:%02d", 10 + i / 3600, (i / 60) % 60,
                      i % 60);
        r.time = time;
        out.push_back(r);
    }
    return out;
}

std::unique_ptr<mivora::MeasurementRecord> RecordOf(const std::vector<Reading>& readings) {
    auto rec = std::make_unique<mivora::MeasurementRecord>();
    for (std::size_t i = 0; i < readings.size(); ++i) {
        rec->m_fValue[i] = readings[i].value;
        rec->m_strUnit[i] = readings[i].unit;
        rec->m_strTime[i] = readings[i].time;
    }
    rec->m_nTotalCount = static_cast<int>(readings.size());
    return rec;
}

void WriteDataFile(const QString& path, const std::vector<Reading>& readings) {
    const auto rec = RecordOf(readings);
    mivora::MeterState state;
    state.m_strMaxText = "145.0";
    state.m_strMinText = "5.0";
    const std::vector<std::uint8_t> bytes = mivora::EncodeDataFile(*rec, state);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

RunResult Run(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    RunResult result;
    QProcess proc;
    proc.setProcessEnvironment(env);
    proc.start(program, args);
    if (!proc.waitForStarted(30000)) {
        result.err = proc.errorString();
        return result;
    }
    result.finished = proc.waitForFinished(120000) && proc.exitStatus() == QProcess::NormalExit;
    if (!result.finished) proc.kill();
    proc.waitForFinished(5000);
    result.exitCode = proc.exitCode();
    result.out = QString::fromLocal8Bit(proc.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(proc.readAllStandardError());
    return result;
}

QProcessEnvironment HeadlessEnv(const QString& tempDir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("PRINTER"));
    env.remove(QStringLiteral("LPDEST"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    // No print server: no printer and no default printer, whatever the machine has.
    env.insert(QStringLiteral("CUPS_SERVER"),
               QDir(tempDir).filePath(QStringLiteral("no-cups.sock")));
    env.insert(QStringLiteral("CUPS_USER"), QStringLiteral("nobody"));
    return env;
}

namespace {

QString Tool(const QStringList& args, QByteArray* rawOut = nullptr) {
    QProcess proc;
    proc.start(args.first(), args.mid(1));
    if (!proc.waitForFinished(60000) || proc.exitStatus() != QProcess::NormalExit ||
        proc.exitCode() != 0) {
        throw std::runtime_error(
            (args.join(' ') + ": " + QString::fromLocal8Bit(proc.readAllStandardError()))
                .toStdString());
    }
    const QByteArray out = proc.readAllStandardOutput();
    if (rawOut) *rawOut = out;
    return QString::fromUtf8(out);
}

}  // namespace

int PdfPageCount(const QString& pdf) {
    const QString info = Tool({QStringLiteral("pdfinfo"), pdf});
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)\\s*$"),
                                   QRegularExpression::MultilineOption);
    const auto m = pages.match(info);
    if (!m.hasMatch()) throw std::runtime_error("pdfinfo gave no page count");
    return m.captured(1).toInt();
}

QString PdfText(const QString& pdf, int page, bool layout) {
    QStringList args{QStringLiteral("pdftotext")};
    if (layout) args << QStringLiteral("-layout");
    args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
         << QString::number(page) << pdf << QStringLiteral("-");
    return Tool(args);
}

std::vector<PdfWord> PdfWords(const QString& pdf, int page) {
    const QString html = Tool({QStringLiteral("pdftotext"), QStringLiteral("-bbox"),
                               QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                               QString::number(page), pdf, QStringLiteral("-")});
    const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    std::vector<PdfWord> out;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        PdfWord w;
        w.xMin = m.captured(1).toDouble();
        w.yMin = m.captured(2).toDouble();
        w.xMax = m.captured(3).toDouble();
        w.yMax = m.captured(4).toDouble();
        w.text = m.captured(5);
        out.push_back(w);
    }
    return out;
}

QImage RenderPage(const QString& pdf, int page, int dpi) {
    QByteArray png;
    Tool({QStringLiteral("pdftoppm"), QStringLiteral("-png"), QStringLiteral("-gray"),
          QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
          QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), pdf},
         &png);
    QImage img;
    if (!img.loadFromData(png, "PNG")) throw std::runtime_error("pdftoppm gave no image");
    return img.convertToFormat(QImage::Format_Grayscale8);
}

double PointX(double x) {
    return kA4WidthPt + x * 0.72;
}
double PointY(double y) {
    return kA4HeightPt - y * 0.72;
}
double PixelX(double x, int dpi) {
    return PointX(x) * dpi / 72.0;
}
double PixelY(double y, int dpi) {
    return PointY(y) * dpi / 72.0;
}

int DarkestNear(const QImage& img, double px, double py, int radius) {
    int darkest = 255;
    const int cx = static_cast<int>(std::lround(px));
    const int cy = static_cast<int>(std::lround(py));
    for (int y = cy - radius; y <= cy + radius; ++y) {
        for (int x = cx - radius; x <= cx + radius; ++x) {
            if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) continue;
            darkest = std::min(darkest, qGray(img.pixel(x, y)));
        }
    }
    return darkest;
}

}  // namespace printtest
