// Writes the band-limited step's table as C++ to the file named by its argument. Floats
// are written in hexadecimal, so the compiled table is the designed one bit for bit.
#include <cstdio>
#include <memory>

#include "mixer/PaulaStepDesign.h"

namespace {

void
PrintRows(FILE* out, const char* name, const float* values, int rows)
{
    fprintf(out, "    // %s\n    {\n", name);
    for (int row = 0; row < rows; row++) {
        fprintf(out, "        {");
        for (int j = 0; j < paulasteps::kTaps; j++)
            fprintf(out, "%s%af", j == 0 ? " " : ", ", double(values[row * paulasteps::kTaps + j]));
        fprintf(out, " },\n");
    }
    fprintf(out, "    },\n");
}

}   // namespace

int
main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUTPUT.inc\n", argv[0]);
        return 2;
    }
    auto table = std::make_unique<paulasteps::Table>();
    table->Design();
    FILE* out = fopen(argv[1], "w");
    if (out == nullptr) {
        perror(argv[1]);
        return 1;
    }
    fprintf(out, "// Written by MakePaulaSteps at build time: do not edit.\n");
    fprintf(out, "const paulasteps::Table paulasteps::kTable = {\n");
    PrintRows(out, "residual", &table->residual[0][0], paulasteps::kPhases + 1);
    PrintRows(out, "slope", &table->slope[0][0], paulasteps::kPhases);
    fprintf(out, "};\n");
    return fclose(out) == 0 ? 0 : 1;
}
