// The stand-in mail program of the window tests: while a MailCatcher lives,
// the prefix's "mailto" links start mail_catcher.exe (beside the test),
// which writes the link it was given to loom_mail.txt in the temporary
// folder.  The previous mail command comes back afterwards.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "win_test_util.h"

namespace testsupport {

class MailCatcher {
public:
    // `command` replaces the catcher when given, e.g. a program that is not there.
    explicit MailCatcher(const std::string &command = "\"" + InBin("mail_catcher.exe") + "\" \"%1\"")
    {
        char old[MAX_PATH] = "";
        LONG size = sizeof old;
        hadCommand_ = RegQueryValueA(HKEY_CLASSES_ROOT, kCommandKey, old, &size) == ERROR_SUCCESS;
        oldCommand_ = old;
        DeleteFileA(Record().c_str());
        SetCommand(command);
    }
    ~MailCatcher()
    {
        if (hadCommand_)
            SetCommand(oldCommand_);
        else
            RegDeleteKeyA(HKEY_CLASSES_ROOT, kCommandKey);
        DeleteFileA(Record().c_str());
    }
    MailCatcher(const MailCatcher &) = delete;
    MailCatcher &operator=(const MailCatcher &) = delete;

    // The link the mail program got, once it has written it, waiting up to
    // `waitMs` for it; empty when it never came.
    std::string Link(int waitMs = 20000) const
    {
        for (int waited = 0;; waited += 50) {
            std::ifstream in(Record(), std::ios::binary);
            std::string link(std::istreambuf_iterator<char>(in), {});
            if (!link.empty() || waited >= waitMs)
                return link;
            Sleep(50);
        }
    }

private:
    static constexpr char kCommandKey[] = "mailto\\shell\\open\\command";

    static std::string Record()
    {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        return std::string(dir) + "loom_mail.txt";
    }
    static void SetCommand(const std::string &command)
    {
        RegSetValueA(HKEY_CLASSES_ROOT, kCommandKey, REG_SZ, command.c_str(),
                     static_cast<DWORD>(command.size()));
    }

    bool hadCommand_ = false;
    std::string oldCommand_;
};

} // namespace testsupport
