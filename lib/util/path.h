// Path texts and the walk that creates a directory with its missing parents,
// independent of the platform.  Separators are found byte by byte: the second
// byte of a double-byte character counts when it is 0x5C.
#pragma once

#include <string>

namespace loom {

// The text after the last backslash, or the whole path without one.
const char *ExtractFileName(const char *path);
// The text after the last ".", or the empty text at the path's end.
const char *ExtractFileExt(const char *path);
// Cuts the path at its last backslash (removing it); unchanged without one.
char *ExtractFileDir(char *path);
// Appends a backslash, unless the path is empty or ends with one, and the
// component.  The caller's buffer must hold the result.
char *CatPath(char *path, const char *component);
// The same join on owned texts.
std::string JoinPath(const std::string &path, const std::string &component);

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
int CreateDirectoryWalk(const char *path, MkdirFn mkdir, void *context);

} // namespace loom
