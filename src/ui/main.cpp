#include <QApplication>

#include "ui/CMivoraApp.h"
#include "ui/DirectPrint.h"

int main(int argc, char* argv[]) {
    // Direct printing needs no window and no display.
    bool handled = false;
    const int status = mivora::ui::RunDirectPrint(argc, argv, handled);
    if (handled) return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mivora");
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    mivora::ui::CMivoraApp mivoraApp;
    if (!mivoraApp.InitInstance(arguments)) return 1;
    return QApplication::exec();
}
