#include "ui/DirectPrint.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSysInfo>
#include <cstdio>
#include <cstring>
#include <memory>

#include "graph/GraphState.h"
#include "record/DataFile.h"
#include "record/MeasurementRecord.h"
#include "ui/ReportPrinter.h"

namespace mivora::ui {

namespace {

enum class Switch { None, Print, PrintTo, Other };

Switch SwitchOf(const QString& arg) {
    if (arg.size() < 2 || (arg[0] != u'/' && arg[0] != u'-')) return Switch::None;
    const QString name = arg.mid(1);
    if (name.compare(QStringLiteral("p"), Qt::CaseInsensitive) == 0) return Switch::Print;
    if (name.compare(QStringLiteral("pt"), Qt::CaseInsensitive) == 0) return Switch::PrintTo;
    // Elsewhere a leading slash starts an absolute path, not a switch.
    return arg[0] == u'-' ? Switch::Other : Switch::None;
}

bool HasPrintSwitch(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const Switch s = SwitchOf(QString::fromLocal8Bit(argv[i]));
        if (s == Switch::Print || s == Switch::PrintTo) return true;
    }
    return false;
}

// Qt's X11 and Wayland platforms abort without a display; printing needs none.
void UseOffscreenWithoutDisplay() {
    const QString kernel = QSysInfo::kernelType();
    if (kernel == QLatin1String("winnt") || kernel == QLatin1String("darwin")) return;
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
}

int Fail(const QString& message) {
    std::fprintf(stderr, "mivora: %s\n", message.toLocal8Bit().constData());
    return 1;
}

QString FindPrinter(const QString& name) {
    const QStringList names = QPrinterInfo::availablePrinterNames();
    for (const QString& n : names) {
        if (n == name) return n;
    }
    for (const QString& n : names) {
        if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
    }
    return QString();
}

int Print(const DirectPrintRequest& req) {
    DataFileContents contents;
    const FileResult loaded =
        LoadDataFile(RealFileSystem(), QFile::encodeName(req.file).toStdString(), contents);
    if (!loaded.ok) return Fail(QString::fromStdString(loaded.error));

    // The file goes into the loaded series exactly as Open puts it there; the
    // graph state is that of a window that has not drawn yet.
    auto record = std::make_unique<MeasurementRecord>();
    MeterState meter;
    ApplyDataFile(contents, *record, meter);
    auto state = std::make_unique<GraphState>();

    QString error;
    if (!PrintReportAsRequested(req.printTo, req.printer, QFileInfo(req.file).fileName(), *state,
                                *record, &error))
        return Fail(error);
    return 0;
}

}  // namespace

bool PrintReportAsRequested(bool printTo, const QString& printerName, const QString& docName,
                            const GraphState& state, const MeasurementRecord& record,
                            QString* error) {
    auto fail = [error](const QString& text) {
        if (error) *error = text;
        return false;
    };
    std::unique_ptr<QPrinter> printer;
    if (!printTo) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) return fail(QStringLiteral("there is no default printer"));
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    } else if (IsPdfFileName(printerName)) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        SetUpPdfOutput(*printer, printerName);
    } else {
        const QString name = FindPrinter(printerName);
        if (name.isEmpty()) return fail(QStringLiteral("unknown printer \"%1\"").arg(printerName));
        printer =
            std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    }
    printer->setDocName(docName);
    printer->setCreator(QStringLiteral("Mivora"));
    return PrintReport(*printer, state, record, error);
}

DirectPrintRequest ParseDirectPrint(const QStringList& args) {
    DirectPrintRequest req;
    QStringList plain;
    for (const QString& arg : args) {
        switch (SwitchOf(arg)) {
            case Switch::Print:
                req.wanted = true;
                break;
            case Switch::PrintTo:
                req.wanted = true;
                req.printTo = true;
                break;
            case Switch::Other:
                if (req.error.isEmpty()) req.error = QStringLiteral("unknown switch %1").arg(arg);
                break;
            case Switch::None:
                plain.push_back(arg);
                break;
        }
    }
    if (!req.wanted) return req;
    const QString usage = QStringLiteral("usage: mivora /p FILE or mivora /pt FILE PRINTER");
    if (!req.error.isEmpty()) {
        req.error += QStringLiteral("; ") + usage;
        return req;
    }
    if (plain.isEmpty()) {
        req.error = QStringLiteral("no file to print; ") + usage;
        return req;
    }
    req.file = plain[0];
    if (req.printTo) {
        if (plain.size() < 2) {
            req.error = QStringLiteral("no printer named; ") + usage;
            return req;
        }
        req.printer = plain[1];
        // The platform's convention allows a driver and a port after the
        // printer; they are not needed to find it.
        if (plain.size() > 4) req.error = QStringLiteral("too many arguments; ") + usage;
    } else if (plain.size() > 1) {
        req.error = QStringLiteral("too many arguments; ") + usage;
    }
    return req;
}

int RunDirectPrint(int argc, char** argv, bool& handled) {
    handled = false;
    if (!HasPrintSwitch(argc, argv)) return 0;
    handled = true;
    UseOffscreenWithoutDisplay();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Mivora"));
    const DirectPrintRequest req = ParseDirectPrint(QCoreApplication::arguments().mid(1));
    if (!req.error.isEmpty()) return Fail(req.error);
    return Print(req);
}

}  // namespace mivora::ui
