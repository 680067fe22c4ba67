// The settings dialog TOptForm: created once, hidden, and shown modally on
// every press of the main window's "高度な設定(&O)".
#pragma once

#include <windows.h>

#include "settings/settings.h"
#include "settings/optform.h"
#include "ui/dialog_win.h"
#include "ui/numberbox_win.h"

namespace lex {

class OptForm : public DialogOfKind<OptForm> {
public:
    // Creates the dialog (hidden) from its template, owned by `owner`.
    bool Create(HWND owner);

    // Shows the dialog modally with its top-left corner at (x, y), for
    // `settings`; OK copies the edited fields back.  Returns IDOK or
    // IDCANCEL.
    int ShowModal(ExtractionSettings &settings, int x, int y);

    // The controls' values as they stand.
    OptFormValues Values() const;

private:
    void OnInit() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // A click on one of the form's buttons; false for any other control.
    bool OnButtonClicked(int id);
    void Layout();
    void FormShow();
    void ChkSearchKanjiClick();
    void ChkRecurrenceClick();
    void ChkEnglishClick();
    void BtnOKClick();
    bool Checked(int id) const;
    void SetChecked(int id, bool on);

    NumberBox spnRecurrence_;
    ExtractionSettings *settings_ = nullptr;
};

} // namespace lex
