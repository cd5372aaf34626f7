#include <QApplication>

#include "ui/CMivoraApp.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mivora");
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    mivora::ui::CMivoraApp mivoraApp;
    if (!mivoraApp.InitInstance(arguments)) return 1;
    return QApplication::exec();
}
