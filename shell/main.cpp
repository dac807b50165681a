// PDF Lumerra: gets the drawing commands out of a PDF file.
#include "shell/Program.h"

int main(int argc, char** argv) { return lumerra::ProgramMain(argc, argv); }
