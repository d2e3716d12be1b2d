#include "cli/CCommandLineRun.h"

int main(int argc, char** argv) {
    return quillmarch::CCommandLineRun::Main(argc, argv);
}
