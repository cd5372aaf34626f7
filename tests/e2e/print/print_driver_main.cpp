// Runs the program's direct printing without its window.
#include <cstdio>

#include "ui/DirectPrint.h"

int main(int argc, char** argv) {
    bool handled = false;
    const int status = mivora::ui::RunDirectPrint(argc, argv, handled);
    if (!handled) {
        std::fprintf(stderr, "mivora-print-test-driver: give /p FILE or /pt FILE PRINTER\n");
        return 2;
    }
    return status;
}
