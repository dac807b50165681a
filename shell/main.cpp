// PDF Lumerra: gets the drawing commands out of a PDF file.
#include <csignal>

#include "shell/Program.h"

int main(int argc, char** argv) {
    // A file-size limit then shows as a write error in the error box, not as
    // the program vanishing in the middle of a run.
    std::signal(SIGXFSZ, SIG_IGN);
    return lumerra::ProgramMain(argc, argv);
}
