// Writes the crafted seeds of the examination's fuzz target into a folder:
// one image of every format and feature the walks know.  Real executables
// (the mingw-built fixtures) are seeded from their own folder.
#include "exe_builder.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

void Write(const std::string &dir, const char *name, const exefix::Image &m)
{
    std::ofstream out(dir + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(m.bytes.data()),
              static_cast<std::streamsize>(m.bytes.size()));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: version_exe_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    using namespace exefix;

    Image dos = Dos();
    dos.U16(24, 0x1C);
    Write(dir, "dos.exe", dos);
    Write(dir, "zm.exe", Dos("ZM"));
    Image sfx = Dos();
    sfx.U16(24, 0x1C);
    sfx.Text(28, "LZ");
    sfx.Text(36, "LHA's SFX ");
    Write(dir, "sfx.exe", sfx);
    Image lharc = Dos();
    lharc.Text(37, "LHarc's SFX ");
    Write(dir, "lharc.exe", lharc);

    NeShape ne;
    ne.modules = {"KERNEL", "USER", "GDI", "KEYBOARD", "VBRUN100", "COMMDLG"};
    ne.resident = {"NEAPP", "WEP", "EXPORTED"};
    ne.nonResident = {"An NE program", "OTHER"};
    Write(dir, "ne.exe", Ne(ne));

    for (bool wide : {false, true}) {
        PeShape pe;
        pe.wide = wide;
        pe.machine = wide ? 0x8664 : 0x14C;
        pe.extraSections = {"CODE", "AUTO"};
        pe.imports = {{"KERNEL32.dll", {"Sleep", "#17", "GetTickCount"}},
                      {"msvcrt.dll", {"printf"}},
                      {"vcl60.bpl", {"f"}},
                      {"api-ms-win-core-synch-l1-2-0.dll", {"WaitOnAddress"}}};
        pe.exportName = wide ? "seed64.dll" : "seed32.dll";
        pe.exports = {"DllCanUnloadNow", "DllGetClassObject", "Export1"};
        pe.trailer = std::string("plugin.dll ab.dll \0h\0e\0l\0p\0.\0d\0l\0l\0\xff", 36);
        Write(dir, wide ? "pe64.dll" : "pe32.dll", Pe(pe));
    }
    PeShape damaged;
    damaged.imports = {{"kernel32.dll", {"Sleep"}}, {"a.dl", {"f"}}};
    Write(dir, "damaged.dll", Pe(damaged));
    return 0;
}
