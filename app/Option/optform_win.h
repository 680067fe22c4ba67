// The settings dialog TOptForm: created once, hidden, and shown modally on
// every press of the main window's "高度な設定(&O)".
#pragma once

#include <windows.h>

#include <functional>

#include "Check/settings.h"
#include "Option/optform.h"
#include "util/handles_win.h"
#include "Win/numberbox_win.h"

namespace lex {

class OptForm {
public:
    OptForm() = default;
    OptForm(const OptForm &) = delete;
    OptForm &operator=(const OptForm &) = delete;
    ~OptForm();

    // Creates the dialog (hidden) from its template, owned by `owner`.
    bool Create(HWND owner);
    HWND hwnd() const { return hwnd_; }

    // Shows the dialog modally with its top-left corner at (x, y), for
    // `settings`; OK copies the edited fields back.  Returns IDOK or
    // IDCANCEL.
    int ShowModal(ExtractionSettings &settings, int x, int y);

    // The controls' values as they stand.
    OptFormValues Values() const;

    // Tests: runs once the dialog is on screen, inside ShowModal, with the
    // dialog's window; it ends the dialog by pressing one of its buttons.
    using ShowHook = std::function<void(HWND dialog)>;
    static void SetShowHook(ShowHook hook);

private:
    static INT_PTR CALLBACK DlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR Dispatch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Layout();
    void FormShow();
    void ChkRecurrenceClick();
    void ChkEnglishClick();
    void BtnOKClick();
    void Close(int result);
    bool Checked(int id) const;
    void SetChecked(int id, bool on);

    HWND hwnd_ = nullptr;
    loom::FontHandle font_;
    NumberBox spnRecurrence_;
    ExtractionSettings *settings_ = nullptr;
    bool done_ = true;
    int result_ = IDCANCEL;
};

} // namespace lex
