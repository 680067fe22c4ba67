// Calls GetFileVerInfo on each path of its command line and appends, per
// path, the platform identifier it runs on, the result and the 2,805-byte
// record to the file named first:
//   version_probe OUTPUT PATH...
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "version/loomver.h"

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out)
        return 3;
    OSVERSIONINFOA os = {};
    os.dwOSVersionInfoSize = sizeof os;
    GetVersionExA(&os);
    for (int i = 2; i < argc; ++i) {
        FileVerInfo info;
        std::memset(&info, 0xCD, sizeof info);
        int platform = static_cast<int>(os.dwPlatformId);
        int result = GetFileVerInfo(argv[i], &info);
        std::fwrite(&platform, sizeof platform, 1, out);
        std::fwrite(&result, sizeof result, 1, out);
        std::fwrite(&info, sizeof info, 1, out);
    }
    return std::fclose(out) == 0 ? 0 : 4;
}
