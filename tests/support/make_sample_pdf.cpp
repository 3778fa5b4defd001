// Writes the project's sample PDF to the path given.
#include "tests/support/sample_document.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-pdf OUTPUT.pdf\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << testpdf::SampleDocument();
    return out ? 0 : 1;
}
