// Crafted executables for the examination tests and the fuzz seeds: a DOS
// header, and NE or PE (PE32 and PE32+) images with import and export
// tables, laid out by the rules of the formats.  Every field can be changed
// afterwards through Image, so a test can damage exactly one.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace exefix {

struct Image {
    std::vector<std::uint8_t> bytes;

    void Grow(std::size_t size)
    {
        if (bytes.size() < size)
            bytes.resize(size, 0);
    }
    void U8(std::size_t at, std::uint8_t v)
    {
        Grow(at + 1);
        bytes[at] = v;
    }
    void U16(std::size_t at, std::uint16_t v)
    {
        U8(at, v & 0xFF);
        U8(at + 1, v >> 8);
    }
    void U32(std::size_t at, std::uint32_t v)
    {
        U16(at, v & 0xFFFF);
        U16(at + 2, v >> 16);
    }
    void U64(std::size_t at, std::uint64_t v)
    {
        U32(at, static_cast<std::uint32_t>(v));
        U32(at + 4, static_cast<std::uint32_t>(v >> 32));
    }
    void Text(std::size_t at, const std::string &text)
    {
        Grow(at + text.size());
        std::memcpy(&bytes[at], text.data(), text.size());
    }
    std::uint16_t Get16(std::size_t at) const { return bytes[at] | bytes[at + 1] << 8; }
    std::uint32_t Get32(std::size_t at) const { return Get16(at) | std::uint32_t(Get16(at + 2)) << 16; }
};

constexpr std::size_t kNewHeader = 0x80;

// A DOS header whose relocation table sits at 0x40 (a program with a new
// header) and whose new header is at 0x80.
inline Image Dos(const char *signature = "MZ")
{
    Image m;
    m.Text(0, signature);
    m.U16(10, 2);      // minimum extra paragraphs
    m.U16(12, 0xFFFF); // maximum
    m.U16(24, 0x40);
    m.U32(60, kNewHeader);
    m.Grow(kNewHeader);
    return m;
}

struct Import {
    std::string module;
    // Function names; "#n" imports ordinal n.
    std::vector<std::string> functions;
};

struct PeShape {
    std::uint16_t machine = 0x14C;
    bool wide = false; // PE32+
    std::uint8_t linkerMajor = 6, linkerMinor = 0;
    std::uint16_t subsystem = 2;
    std::uint32_t timeStamp = 0x12345678;
    std::vector<std::string> extraSections; // before the data section, e.g. "CODE"
    std::vector<Import> imports;
    std::string exportName;              // empty: no export directory
    std::vector<std::string> exports;
    std::string trailer;                 // bytes after the data section
    // Where things were put, for tests that damage them.
    std::size_t pe = 0, sectionTable = 0, dataRaw = 0, importTable = 0, exportDir = 0;
    std::uint32_t dataVa = 0;
};

// A PE image: the extra sections (empty), then one data section that holds
// the import directory with its lookup tables and names, and the export
// directory.
inline Image Pe(PeShape &shape)
{
    Image m = Dos();
    const std::size_t pe = kNewHeader, opt = pe + 24;
    const std::uint16_t optSize = shape.wide ? 240 : 224;
    shape.pe = pe;
    m.Text(pe, std::string("PE\0\0", 4));
    m.U16(pe + 4, shape.machine);
    const unsigned sections = static_cast<unsigned>(shape.extraSections.size()) + 1;
    m.U16(pe + 6, static_cast<std::uint16_t>(sections));
    m.U32(pe + 8, shape.timeStamp);
    m.U16(pe + 20, optSize);
    m.U16(pe + 22, 0x2102);
    m.U16(opt, shape.wide ? 0x20B : 0x10B);
    m.U8(opt + 2, shape.linkerMajor);
    m.U8(opt + 3, shape.linkerMinor);
    m.U32(opt + 4, 0x200); // size of code
    m.U16(opt + 40, 4);    // OS 4.0, image 1.2, subsystem 4.0
    m.U16(opt + 44, 1);
    m.U16(opt + 46, 2);
    m.U16(opt + 48, 4);
    m.U16(opt + 68, shape.subsystem);
    const std::size_t dirCount = opt + (shape.wide ? 108 : 92);
    const std::size_t dirs = opt + (shape.wide ? 112 : 96);
    m.U32(dirCount, 16);
    shape.sectionTable = opt + optSize;

    // Sections: extra ones 0x200 raw bytes each from file offset 0x400,
    // virtual addresses from 0x1000; the data section last.
    std::size_t raw = 0x400;
    std::uint32_t va = 0x1000;
    for (std::size_t i = 0; i < shape.extraSections.size(); ++i) {
        std::size_t h = shape.sectionTable + 40 * i;
        m.Text(h, shape.extraSections[i].substr(0, 8));
        m.U32(h + 8, 0x200);
        m.U32(h + 12, va);
        m.U32(h + 16, 0x200);
        m.U32(h + 20, static_cast<std::uint32_t>(raw));
        raw += 0x200;
        va += 0x1000;
    }
    shape.dataRaw = raw;
    shape.dataVa = va;
    Image d; // the data section's bytes
    auto rva = [&](std::size_t offset) { return static_cast<std::uint32_t>(va + offset); };
    const unsigned width = shape.wide ? 8 : 4;

    // Import descriptors (one per module and a zero one), then per module
    // its lookup table, hint/name entries and module name.
    std::size_t at = 0;
    if (!shape.imports.empty()) {
        d.Grow(20 * (shape.imports.size() + 1));
        at = d.bytes.size();
        for (std::size_t i = 0; i < shape.imports.size(); ++i) {
            const Import &imp = shape.imports[i];
            std::size_t lookup = at;
            at += width * (imp.functions.size() + 1);
            d.Grow(at);
            for (std::size_t f = 0; f < imp.functions.size(); ++f) {
                const std::string &fn = imp.functions[f];
                std::uint64_t entry;
                if (!fn.empty() && fn[0] == '#') {
                    std::uint64_t ordinal = std::stoul(fn.substr(1));
                    entry = ordinal | (shape.wide ? std::uint64_t(1) << 63 : 0x80000000u);
                } else {
                    entry = rva(at);
                    d.U16(at, static_cast<std::uint16_t>(f));
                    d.Text(at + 2, fn + std::string(1, '\0'));
                    at += 2 + fn.size() + 1 + ((fn.size() + 1) & 1);
                }
                if (shape.wide)
                    d.U64(lookup + 8 * f, entry);
                else
                    d.U32(lookup + 4 * f, static_cast<std::uint32_t>(entry));
            }
            std::size_t name = at;
            d.Text(name, imp.module + std::string(1, '\0'));
            at += imp.module.size() + 1;
            d.U32(20 * i + 0, rva(lookup));
            d.U32(20 * i + 12, rva(name));
            d.U32(20 * i + 16, rva(lookup));
        }
        m.U32(dirs + 8, rva(0));
        m.U32(dirs + 12, static_cast<std::uint32_t>(20 * (shape.imports.size() + 1)));
        shape.importTable = shape.dataRaw;
    }
    if (!shape.exportName.empty()) {
        at = (at + 3) & ~std::size_t(3);
        std::size_t dir = at;
        at += 40;
        std::size_t names = at;
        at += 4 * shape.exports.size();
        d.Grow(at);
        std::size_t name = at;
        d.Text(name, shape.exportName + std::string(1, '\0'));
        at += shape.exportName.size() + 1;
        for (std::size_t i = 0; i < shape.exports.size(); ++i) {
            d.U32(names + 4 * i, rva(at));
            d.Text(at, shape.exports[i] + std::string(1, '\0'));
            at += shape.exports[i].size() + 1;
        }
        d.U32(dir + 12, rva(name));
        d.U32(dir + 24, static_cast<std::uint32_t>(shape.exports.size()));
        d.U32(dir + 32, rva(names));
        m.U32(dirs, rva(dir));
        m.U32(dirs + 4, 40);
        shape.exportDir = shape.dataRaw + dir;
    }
    d.Grow((at + 0x1FF) & ~std::size_t(0x1FF));
    if (d.bytes.empty())
        d.Grow(0x200);

    std::size_t h = shape.sectionTable + 40 * shape.extraSections.size();
    m.Text(h, ".data");
    m.U32(h + 8, static_cast<std::uint32_t>(d.bytes.size()));
    m.U32(h + 12, va);
    m.U32(h + 16, static_cast<std::uint32_t>(d.bytes.size()));
    m.U32(h + 20, static_cast<std::uint32_t>(raw));
    m.Grow(raw);
    m.bytes.insert(m.bytes.begin() + raw, d.bytes.begin(), d.bytes.end());
    m.bytes.resize(raw + d.bytes.size());
    m.bytes.insert(m.bytes.end(), shape.trailer.begin(), shape.trailer.end());
    return m;
}

inline Image Pe()
{
    PeShape shape;
    return Pe(shape);
}

struct NeShape {
    std::uint8_t linker = 5, revision = 10;
    std::uint8_t windowsMajor = 3, windowsMinor = 10;
    std::vector<std::string> modules;     // module references
    std::vector<std::string> resident;    // the first is the module name
    std::vector<std::string> nonResident; // the first is the description
};

// An NE image: header at 0x80, then its tables one after the other.
inline Image Ne(const NeShape &shape)
{
    Image m = Dos();
    const std::size_t ne = kNewHeader;
    m.Text(ne, "NE");
    m.U8(ne + 2, shape.linker);
    m.U8(ne + 3, shape.revision);
    m.U16(ne + 30, static_cast<std::uint16_t>(shape.modules.size()));
    m.U8(ne + 62, shape.windowsMinor);
    m.U8(ne + 63, shape.windowsMajor);
    std::size_t at = ne + 64;

    auto names = [&](const std::vector<std::string> &list) {
        for (const std::string &n : list) {
            m.U8(at, static_cast<std::uint8_t>(n.size()));
            m.Text(at + 1, n);
            at += 1 + n.size();
            m.U16(at, 1);
            at += 2;
        }
        m.U8(at++, 0);
    };
    m.U16(ne + 38, static_cast<std::uint16_t>(at - ne));
    names(shape.resident);

    m.U16(ne + 40, static_cast<std::uint16_t>(at - ne));
    std::size_t refs = at;
    at += 2 * shape.modules.size();
    m.Grow(at);
    std::size_t imported = at;
    m.U16(ne + 42, static_cast<std::uint16_t>(imported - ne));
    m.U8(at++, 0); // the imported-names table starts with an empty name
    for (std::size_t i = 0; i < shape.modules.size(); ++i) {
        m.U16(refs + 2 * i, static_cast<std::uint16_t>(at - imported));
        m.U8(at, static_cast<std::uint8_t>(shape.modules[i].size()));
        m.Text(at + 1, shape.modules[i]);
        at += 1 + shape.modules[i].size();
    }

    std::size_t nonResident = at;
    m.U32(ne + 44, static_cast<std::uint32_t>(nonResident));
    names(shape.nonResident);
    m.U16(ne + 32, static_cast<std::uint16_t>(at - nonResident));
    return m;
}

} // namespace exefix
