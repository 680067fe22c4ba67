// The fixture of the window tests: Lexprobe's main window created for real
// in this process and driven with the messages that a user's actions
// produce.  Message boxes are watched through the program's hook; the
// settings go through the Wine prefix's registry.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/commands.h"
#include "mainwindow/mainform_win.h"
#include "settings/optform.h"
#include "settings/optform_ids.h"
#include "settings/settings_win.h"
#include "ui/msgbox_win.h"
#include "win_layout.h"

namespace apptest {

using lex::MainForm;

struct Box {
    std::string text, caption;
    UINT type;
    bool mainVisible;  // a main window was on screen when the box came
};

inline std::string Text(HWND wnd)
{
    char buf[1024] = "";
    GetWindowTextA(wnd, buf, sizeof buf);
    return buf;
}

// A message's first line: what went wrong, before the file and the reason.
inline std::string FirstLine(const std::string &text)
{
    return text.substr(0, text.find('\n'));
}

inline int ClientHeight(HWND wnd)
{
    RECT r;
    GetClientRect(wnd, &r);
    return r.bottom - r.top;
}

// The client height above the status line along the bottom edge.
inline int HeightAboveStatus(HWND wnd)
{
    RECT status = {};
    GetWindowRect(GetDlgItem(wnd, IDC_STATUSBAR), &status);
    return ClientHeight(wnd) - (status.bottom - status.top);
}

inline RECT ChildRect(HWND parent, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

inline std::vector<std::string> MenuBarCaptions(HWND wnd)
{
    std::vector<std::string> out;
    HMENU bar = GetMenu(wnd);
    for (int i = 0; i < GetMenuItemCount(bar); i++) {
        char buf[256] = "";
        GetMenuStringA(bar, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
        out.push_back(buf);
    }
    return out;
}

inline bool SaveItemEnabled(HWND wnd)
{
    HMENU file = GetSubMenu(GetMenu(wnd), 0);
    return !(GetMenuState(file, IDM_SAVE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

// The colour that a control's parent paints it with.
inline COLORREF BackgroundOf(HWND parent, HWND control)
{
    HDC dc = CreateCompatibleDC(nullptr);
    UINT msg = IsWindowEnabled(control) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
    LRESULT brush = SendMessageA(parent, msg, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(control));
    LOGBRUSH lb = {};
    if (brush)
        GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb);
    DeleteDC(dc);
    return brush ? lb.lbColor : CLR_INVALID;
}

inline LOGFONTA FontOf(HWND control)
{
    LOGFONTA lf = {};
    HFONT f = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (f)
        GetObjectA(f, sizeof lf, &lf);
    return lf;
}

inline void Click(HWND button)
{
    SendMessageA(button, BM_CLICK, 0, 0);
}

inline void Pump()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// The program's registry key.
struct Registry {
    static void Delete() { RegDeleteKeyA(HKEY_CURRENT_USER, lex::kSettingsKey); }

    static void Put(const char *name, DWORD type, const void *data, DWORD size)
    {
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, lex::kSettingsKey, 0,
                                                 nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                                                 nullptr));
        RegSetValueExA(k, name, 0, type, static_cast<const BYTE *>(data), size);
        RegCloseKey(k);
    }
    static void PutString(const char *name, const std::string &v, DWORD type = REG_SZ)
    {
        Put(name, type, v.c_str(), static_cast<DWORD>(v.size() + 1));
    }

    // The value's text, or "<missing>", or "<type N>" for another type.
    static std::string Get(const char *name)
    {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, lex::kSettingsKey, 0, KEY_QUERY_VALUE, &k))
            return "<no key>";
        char buf[256] = "";
        DWORD size = sizeof buf, type = 0;
        LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE *>(buf),
                                   &size);
        RegCloseKey(k);
        if (rc != ERROR_SUCCESS)
            return "<missing>";
        if (type != REG_SZ)
            return "<type " + std::to_string(type) + ">";
        return buf;
    }

    static DWORD ValueCount()
    {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, lex::kSettingsKey, 0, KEY_QUERY_VALUE, &k))
            return 0;
        DWORD n = 0;
        RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(k);
        return n;
    }
};

class App : public ::testing::Test {
protected:
    void SetUp() override
    {
        Registry::Delete();
        char tmp[MAX_PATH];
        GetTempPathA(sizeof tmp, tmp);
        dir_ = std::string(tmp) + "lexprobe_app_test\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        dict_ = Write("English.dic", "hello\r\nworld\r\nzebra\r\n");
        lex::SetMessageBoxHook([this](const std::string &text, const std::string &caption,
                                      UINT type) {
            HWND main = FindWindowA("TMainForm", nullptr);
            boxes_.push_back({text, caption, type, main && IsWindowVisible(main)});
            return IDOK;
        });
    }

    void TearDown() override
    {
        form_.reset();
        lex::SetMessageBoxHook(nullptr);
        lex::OptForm::SetShowHook(nullptr);
        Pump();
        Registry::Delete();
    }

    std::string Write(const std::string &name, const std::string &bytes)
    {
        std::string path = dir_ + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    MainForm &Start(DWORD pumpInterval = 0, size_t rowMemoryLimit = lex::RowStore::kNoMemoryLimit,
                    DWORD progressInterval = MainForm::Options().progressIntervalMs)
    {
        MainForm::Options o;
        o.pumpIntervalMs = pumpInterval;
        o.progressIntervalMs = progressInterval;
        o.rowMemoryLimit = rowMemoryLimit;
        o.dictionaryPath = dict_;
        o.quitOnDestroy = false;
        form_ = std::make_unique<MainForm>();
        EXPECT_TRUE(form_->Create(GetModuleHandleA(nullptr), o));
        form_->Show(SW_SHOW);
        Pump();
        return *form_;
    }

    HWND Item(int id) const { return GetDlgItem(form_->hwnd(), id); }
    HWND Main() const { return form_->hwnd(); }

    void SetFileName(const std::string &name) { SetWindowTextA(Item(IDC_FILENAME), name.c_str()); }

    // Closes the main window as the close box does.
    void CloseMain()
    {
        SendMessageA(Main(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(form_->Destroyed());
    }

    std::string dir_, dict_;
    std::vector<Box> boxes_;
    std::unique_ptr<MainForm> form_;
};

// A file of `n` ANSI strings "word" + index, separated by zero bytes.
inline std::string ManyStrings(int n)
{
    std::string s;
    for (int i = 0; i < n; i++) {
        s += "string" + std::to_string(100000 + i);
        s.append(3, '\0');
    }
    return s;
}


} // namespace apptest
