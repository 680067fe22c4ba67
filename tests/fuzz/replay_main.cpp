// Replays fuzz inputs without libFuzzer: every file named on the command
// line, and every file inside a folder named there, goes once through the
// target's entry point.  Built with the sanitizers of the native build, so a
// recorded finding is rerun on every test run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

bool Replay(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", file.string().c_str());
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    int files = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        std::error_code error;
        if (fs::is_directory(arg, error)) {
            std::vector<fs::path> inside;
            for (const auto &entry : fs::directory_iterator(arg))
                if (entry.is_regular_file())
                    inside.push_back(entry.path());
            std::sort(inside.begin(), inside.end());
            for (const auto &file : inside) {
                ok = Replay(file) && ok;
                ++files;
            }
        } else {
            ok = Replay(arg) && ok;
            ++files;
        }
    }
    std::printf("replay: %d inputs\n", files);
    return ok ? 0 : 1;
}
