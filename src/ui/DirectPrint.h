#pragma once
// Printing from the command line, without a window:
//   mivora /p FILE              on the default printer
//   mivora /pt FILE PRINTER     on the named printer, or into PRINTER when it ends in ".pdf"
// Switches also start with '-' and are matched without regard to case; any other
// argument starting with '/' is a path.
#include <QString>
#include <QStringList>

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

// Called by main() before anything else. Without a print switch it does nothing
// and leaves `handled` false. With one it prints, sets `handled` and returns the
// exit status: 0 when printed, 1 with a message on stderr otherwise.
int RunDirectPrint(int argc, char** argv, bool& handled);

}  // namespace mivora::ui
