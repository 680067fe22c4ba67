/* The member record that the archive readers hand to a caller's callback, the
 * same for cabinets, LHA and ZIP.  It crosses the library boundary by address,
 * so its layout is fixed byte for byte: two 260-byte texts followed by ten
 * unsigned 32-bit words, 560 bytes in all, no padding. */
#ifndef LOOM_ARCHIVE_ARCHIVE_ENTRY_H
#define LOOM_ARCHIVE_ARCHIVE_ENTRY_H

#include <stddef.h>
#include <stdint.h>

#include "util/loomdefs.h"

#ifdef __cplusplus
extern "C" {
#endif

#define ARCHIVE_TEXT_SIZE 260

/* Values of ArchiveEntry.kind. */
#define ARCHIVE_KIND_CABINET 1
#define ARCHIVE_KIND_LHA 2
#define ARCHIVE_KIND_ZIP 3

typedef struct ArchiveEntry {
    char name[ARCHIVE_TEXT_SIZE]; /* the member's name, NUL-terminated, at most 259 bytes */
    char text[ARCHIVE_TEXT_SIZE]; /* a second text, always empty */
    uint32_t packedSize;          /* bytes of packed data (0 for cabinets) */
    uint32_t originalSize;        /* bytes after unpacking */
    uint32_t date;                /* DOS date (local time) in the low 16 bits */
    uint32_t time;                /* DOS time (local time) in the low 16 bits */
    uint32_t attributes;          /* cabinet attribute word, DOS attributes (LHA) or
                                     the general-purpose flag word (ZIP) */
    uint32_t kind;                /* ARCHIVE_KIND_... */
    uint32_t method;              /* LHA method digit, else 0 */
    uint32_t check;               /* LHA: CRC-16 of the member's base header, else 0 */
    uint32_t reserved[2];         /* always 0 */
} ArchiveEntry;

#ifdef __cplusplus
}
#endif

LOOM_STATIC_ASSERT(sizeof(ArchiveEntry) == 560, "ArchiveEntry is 560 bytes");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, text) == 260, "second text at 260");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, packedSize) == 520, "packed size at 520");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, originalSize) == 524, "original size at 524");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, date) == 528, "date at 528");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, time) == 532, "time at 532");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, attributes) == 536, "attributes at 536");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, kind) == 540, "kind at 540");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, method) == 544, "method at 544");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, check) == 548, "check value at 548");
LOOM_STATIC_ASSERT(offsetof(ArchiveEntry, reserved) == 552, "reserved words at 552");

#endif
