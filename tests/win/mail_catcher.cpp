// Stands in for the mail program in the version dialog's tests: writes the
// link it was started with to loom_mail.txt in the temporary folder.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "loom_mail.txt";
    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (!out)
        return 3;
    std::fputs(argv[1], out);
    return std::fclose(out) == 0 ? 0 : 4;
}
