// Small helpers of the Windows test programs: where the build's programs
// are, the temporary and scratch folders, whole files read and written,
// running a program to its end, the library's own messages, and the lines
// of a CR LF text.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

inline std::string BinDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.rfind('\\'));
}

inline std::string InBin(const std::string &name)
{
    return BinDir() + "\\" + name;
}

// The temporary folder, with its closing backslash.
inline std::string TempDir()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

// A folder under the temporary folder, made when it is missing.
inline std::string ScratchDir(const std::string &name)
{
    std::string dir = TempDir() + name;
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

inline bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The whole file, or "<missing>" when it cannot be opened.
inline std::string ReadAll(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char block[65536];
    DWORD n = 0;
    while (ReadFile(file, block, sizeof block, &n, nullptr) && n > 0)
        bytes.append(block, n);
    CloseHandle(file);
    return bytes;
}

// Replaces the file with `bytes`; false when it cannot be written whole.
inline bool WriteAll(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = bytes.empty() ||
                    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// Runs a command line to its end; the exit code, or -1 when it cannot start.
inline long RunProgram(const std::string &commandLine)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<long>(code);
}

// Message `id` of loomlib.dll's string table, as the library loads it.
inline std::string LibMessage(unsigned id)
{
    char text[1024] = "";
    LoadStringA(GetModuleHandleA("loomlib.dll"), id, text, sizeof text);
    return text;
}

// Sets the Windows version Wine reports to one program, by its file name
// ("win95", "nt40", ...); an empty version removes the setting.
inline bool SetProgramWindowsVersion(const std::string &exe, const std::string &version)
{
    const std::string key = "Software\\Wine\\AppDefaults\\" + exe;
    if (version.empty())
        return RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str()) == ERROR_SUCCESS;
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(handle, "Version", 0, REG_SZ,
                             reinterpret_cast<const BYTE *>(version.c_str()),
                             static_cast<DWORD>(version.size() + 1));
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}

// The lines of a text whose lines end in CR LF; the text after the last
// CR LF is the last line (empty when the text ends with one).
inline std::vector<std::string> CrLfLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t from = 0, at;
    while ((at = text.find("\r\n", from)) != std::string::npos) {
        lines.push_back(text.substr(from, at - from));
        from = at + 2;
    }
    lines.push_back(text.substr(from));
    return lines;
}

} // namespace testsupport
