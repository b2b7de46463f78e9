// A fuzz target's entry behind a plain main, for the ordinary build: runs every file
// named, or every file of a folder named, once, as libFuzzer runs a crash file. The
// committed corpus and every input that once failed so stay tests without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void
Run(const std::filesystem::path& file)
{
    std::ifstream        in(file, std::ios::binary);
    std::vector<uint8_t> bytes(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fprintf(stderr, "running %s (%zu bytes)\n", file.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}   // namespace


int
main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (int i = 1; i < argc; i++) {
        std::filesystem::path path(argv[i]);
        if (!std::filesystem::is_directory(path)) {
            Run(path);
            inputs++;
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (entry.is_regular_file()) {
                Run(entry.path());
                inputs++;
            }
        }
    }
    fprintf(stderr, "%d inputs, no failure\n", inputs);
    return inputs > 0 ? 0 : 1;
}
