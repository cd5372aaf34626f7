#pragma once
// Printing from the command line, without a window:
//   mivora /p FILE              on the default printer
//   mivora /pt FILE PRINTER     on the named printer, or into PRINTER when it ends in ".pdf"
// Switches also start with '-' and are matched without regard to case; any other
// argument starting with '/' is a path.
#include <QString>
#include <QStringList>

#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"

namespace mivora::ui {

struct DirectPrintRequest {
    bool wanted = false;   // a print switch is on the command line
    bool printTo = false;  // /pt rather than /p
    QString file;
    QString printer;
    QString error;  // not empty when the command line cannot be used
};

// Reads the arguments after the program name.
DirectPrintRequest ParseDirectPrint(const QStringList& args);

// Prints the report without a dialog: on the default printer, or (`printTo`) on
// the printer named `printerName`, or into that file when it ends in ".pdf".
// False with the reason when there is no such printer or printing failed.
bool PrintReportAsRequested(bool printTo, const QString& printerName, const QString& docName,
                            const GraphState& state, const MeasurementRecord& record,
                            QString* error = nullptr);

// Called by main() before anything else. Without a print switch it does nothing
// and leaves `handled` false. With one it prints, sets `handled` and returns the
// exit status: 0 when printed, 1 with a message on stderr otherwise.
int RunDirectPrint(int argc, char** argv, bool& handled);

}  // namespace mivora::ui
