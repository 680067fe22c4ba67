// InvokeFileProperty: the shell's properties window of a file or folder.
// The item is found by walking the shell namespace down from My Computer,
// comparing parsing names in lower case with the path, one level at a time.
// What the shell hands out (item identifier lists, wide names) comes from
// its allocator, the COM task allocator, and goes back there.
#include <windows.h>
#include <shlobj.h>

#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/loomshell.h"
#include "util/mbcs.h"

#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr std::size_t kMaxPath = 255;
// Each level of the walk consumes at least one character of the path, but a
// namespace can hold junctions whose names repeat their parent's; the walk
// never goes deeper than a path can.
constexpr int kMaxDepth = static_cast<int>(kMaxPath);
constexpr SHCONTF kItems = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
constexpr HRESULT kNotFound = -1;

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(CMINVOKECOMMANDINFO) == 36, "the command record is 36 bytes");
#endif

// The item's parsing name in the ANSI code page and in lower case.
std::string ParsingName(IShellFolder *folder, LPCITEMIDLIST item)
{
    STRRET name = {};
    if (FAILED(folder->GetDisplayNameOf(item, SHGDN_FORPARSING, &name)))
        return std::string();
    std::string text;
    switch (name.uType) {
    case STRRET_WSTR: {
        loom::TaskMem<WCHAR> wide(name.pOleStr);
        int need = WideCharToMultiByte(CP_ACP, 0, wide.get(), -1, nullptr, 0, nullptr, nullptr);
        if (need > 1) {
            text.resize(need);
            WideCharToMultiByte(CP_ACP, 0, wide.get(), -1, &text[0], need, nullptr, nullptr);
            text.resize(need - 1);
        }
        break;
    }
    case STRRET_OFFSET:
        text = reinterpret_cast<const char *>(item) + name.uOffset;
        break;
    case STRRET_CSTR:
        text.assign(name.cStr, strnlen(name.cStr, sizeof name.cStr));
        break;
    }
    loom::LowerAscii(text, loom::SystemLeadByte);
    return text;
}

// Where the walk found the path: the folder that holds the item.
struct Found {
    loom::ComPtr<IShellFolder> folder;
    loom::TaskMem<ITEMIDLIST> item;
};

// Looks for the path among the items below `item` of `parent`, and below
// the one item whose name the path continues.
HRESULT Search(IShellFolder *parent, LPCITEMIDLIST item, const std::string &path, HWND owner,
               int depth, Found *found)
{
    if (depth > kMaxDepth)
        return kNotFound;
    loom::ComPtr<IShellFolder> folder;
    HRESULT hr = parent->BindToObject(item, nullptr, IID_IShellFolder,
                                      reinterpret_cast<void **>(folder.out()));
    if (FAILED(hr))
        return hr;
    loom::ComPtr<IEnumIDList> items;
    hr = folder.get()->EnumObjects(owner, kItems, items.out());
    if (FAILED(hr))
        return hr;
    if (!items.valid())
        return kNotFound;
    for (;;) {
        loom::TaskMem<ITEMIDLIST> child;
        ULONG got = 0;
        if (items.get()->Next(1, child.out(), &got) != S_OK || got != 1)
            return kNotFound;
        std::string name = ParsingName(folder.get(), child.get());
        if (name.empty())
            continue;
        if (name == path) {
            found->folder = std::move(folder);
            found->item = std::move(child);
            return S_OK;
        }
        bool below = path.compare(0, name.size(), name) == 0 && path.size() > name.size() &&
                     (path[name.size()] == '\\' || name.back() == '\\');
        if (below)
            return Search(folder.get(), child.get(), path, owner, depth + 1, found);
    }
}

HRESULT ShowProperties(HWND owner, char *path)
{
    std::string lower(path, strnlen(path, kMaxPath));
    loom::LowerAscii(lower, loom::SystemLeadByte);
    std::memcpy(path, lower.data(), lower.size());

    loom::ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(desktop.out());
    if (FAILED(hr))
        return hr;
    loom::TaskMem<ITEMIDLIST> drives;
    hr = SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, drives.out());
    if (FAILED(hr))
        return hr;
    Found found;
    hr = Search(desktop.get(), drives.get(), lower, owner, 0, &found);
    if (hr != S_OK)
        return hr;

    loom::ComPtr<IContextMenu> menu;
    LPCITEMIDLIST item = found.item.get();
    hr = found.folder.get()->GetUIObjectOf(owner, 1, &item, IID_IContextMenu, nullptr,
                                           reinterpret_cast<void **>(menu.out()));
    if (FAILED(hr))
        return hr;
    CMINVOKECOMMANDINFO command = {};
    command.cbSize = sizeof command;
    command.hwnd = owner;
    command.lpVerb = "properties";
    command.nShow = SW_SHOWNORMAL;
    return menu.get()->InvokeCommand(&command);
}

} // namespace

extern "C" int __cdecl InvokeFileProperty(HWND owner, char *path)
{
    if (!path)
        return kNotFound;
    return loom::CallGuarded(static_cast<int>(E_OUTOFMEMORY),
                             [&] { return static_cast<int>(ShowProperties(owner, path)); });
}
