// Replays inputs through a fuzz target without libFuzzer, so that the ordinary build (and
// ctest) runs every target over its seed corpus and every crash input found so far.
//
//   fuzz_<target> PATH...   each PATH a file or a folder of files (names starting with "." are
//                           skipped); exits non-zero when a PATH is missing or holds no input.
// A failing input stops the process (abort) with the target's message; the file being run is
// printed first, so the log names it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

bool Hidden(const fs::path& p) {
    return p.filename().string().starts_with('.');
}

int Run(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "running %s (%zu bytes)\n", file.c_str(), bytes.size());
    // A copy of exactly the input's size, so that a read past its end is seen by the
    // sanitizers as it would be under libFuzzer.
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    int failures = 0;
    size_t inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        std::error_code ec;
        if (fs::is_regular_file(arg, ec)) {
            failures += Run(arg);
            ++inputs;
            continue;
        }
        if (!fs::is_directory(arg, ec)) {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            ++failures;
            continue;
        }
        std::vector<fs::path> files;
        for (const fs::directory_entry& e : fs::directory_iterator(arg, ec))
            if (e.is_regular_file() && !Hidden(e.path())) files.push_back(e.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& f : files)
            failures += Run(f);
        inputs += files.size();
    }
    if (inputs == 0) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    std::fprintf(stderr, "%zu inputs replayed\n", inputs);
    return failures ? 1 : 0;
}
