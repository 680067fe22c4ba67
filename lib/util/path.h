// Path texts, the walk that creates a directory with its missing parents and
// the walk that deletes a directory tree, independent of the platform.
//
// Paths are ANSI texts with "\" as separator.  They are walked character by
// character under the caller's lead-byte rule: the second byte of a
// double-byte character is never a separator, although in Shift-JIS many
// common characters (ソ 83 5C, 表 95 5C, 能 94 5C) have the backslash's code
// 0x5C there.
#pragma once

#include <string>
#include <vector>

#include "util/mbcs.h"

namespace loom {

// The text after the last backslash, or the whole path without one.
const char *ExtractFileName(const char *path, LeadByteFn isLead);
// The text after the last ".", or the empty text at the path's end.
const char *ExtractFileExt(const char *path, LeadByteFn isLead);
// Cuts the path at its last backslash (removing it); unchanged without one.
char *ExtractFileDir(char *path, LeadByteFn isLead);
// Appends a backslash, unless the path is empty or ends with one, and the
// component.  The caller's buffer must hold the result.
char *CatPath(char *path, const char *component, LeadByteFn isLead);
// The same join on owned texts.
std::string JoinPath(const std::string &path, const std::string &component, LeadByteFn isLead);

// Whether the path names no folder below a root: the empty text, a bare
// drive ("C:", the current folder of that drive), the root of a drive
// ("C:\", "\", "/") or of a share ("\\server\share", "\\server").  "\" and
// "/" both separate here, as they do for the file system.
bool IsRootPath(const char *path, LeadByteFn isLead);

// Outcome of one attempt to create a directory.
enum class MkdirResult { Created, AlreadyExists, PathNotFound, Failed };
using MkdirFn = MkdirResult (*)(const std::string &path, void *context);

// The longest path the walk accepts, in bytes without the terminating NUL:
// what the ANSI file functions take.
constexpr std::size_t kMaxDirPath = 259;

// Creates the directory and its missing parents with mkdir.  The path must
// be absolute: "\\" or a letter, ":" and "\" first; otherwise, and for a
// path longer than kMaxDirPath, nothing is tried.  1 when the directory
// exists at the end, else 0.
int CreateDirectoryWalk(const char *path, MkdirFn mkdir, void *context, LeadByteFn isLead);

// The file system as the tree deletion sees it.
class TreeOps {
public:
    struct Entry {
        std::string name;
        bool folder;
        bool link;  // a folder that is a link to another place
    };
    virtual ~TreeOps() = default;
    // The path with the current folder, "." and ".." resolved; empty when
    // that cannot be done.
    virtual std::string FullPath(const std::string &path) = 0;
    // Whether `path` is a link to a folder elsewhere.
    virtual bool IsFolderLink(const std::string &path) = 0;
    // The entries that the search `pattern` matches, "." and ".." left out.
    virtual std::vector<Entry> List(const std::string &pattern) = 0;
    virtual bool RemoveFolder(const std::string &path) = 0;
    virtual bool RemoveFile(const std::string &path) = 0;
};

// Deletes the folder `path` with everything below it: files, and folders
// by the same walk.  A folder link, the path itself included, is removed as
// a link and never followed.  Read-only files are not made writable, so they
// stay, with their folders.  A path that names no folder below a root, in
// its text or once resolved, is refused before anything is searched.
// 1 when everything and the folder itself are gone, else 0.
int DeleteTree(const char *path, TreeOps &ops, LeadByteFn isLead);

} // namespace loom
