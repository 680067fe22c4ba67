// The walk over an LHA archive: from its first header, found anywhere in
// the file, member by member to the first offset that holds no header.
#pragma once

#include "archive/lha_header.h"
#include "archive/member_handler.h"

namespace loom::archive {

// Whether a member is a folder: the method -lhd- (as jlha writes folders,
// with the attribute byte 0x20) or the DOS folder attribute 0x10.
bool IsLhaFolder(const ArchiveEntry &entry);

// False when the file holds no LHA header at all; otherwise every member is
// given to the handler, and true.  A member unpacked is complete only with
// exactly its original size and its stored CRC-16.  A member whose packed
// data would run past the end of the file is passed by and ends the walk.
bool WalkLha(ByteSource &source, const LhaOptions &options, MemberHandler &handler);

} // namespace loom::archive
