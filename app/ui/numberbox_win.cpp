#include "ui/numberbox_win.h"

#include <string>

#include "ui/numberbox.h"

namespace lex {

void NumberBox::Create(HWND parent, int editId, int spinId, const RECT &r, HFONT font,
                       const IntRange &range)
{
    HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER, r.left,
                                r.top, r.right - r.left, r.bottom - r.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(editId)), inst,
                                nullptr);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    HWND spin = CreateWindowExA(0, UPDOWN_CLASSA, "",
                                WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0,
                                0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(spinId)), inst,
                                nullptr);
    Attach(edit, spin, range);
}

void NumberBox::Attach(HWND edit, HWND spin, const IntRange &range)
{
    edit_ = edit;
    spin_ = spin;
    range_ = range;
    value_ = range.def;
    // Typed letters are refused (a template's box may lack the style).
    SetWindowLongPtrA(edit_, GWL_STYLE, GetWindowLongPtrA(edit_, GWL_STYLE) | ES_NUMBER);
    SendMessageA(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
    SendMessageA(spin_, UDM_SETRANGE32, range_.min, range_.max);
}

void NumberBox::Move(const RECT &r)
{
    MoveWindow(edit_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    // Setting the buddy again puts the up-down control back at its edge.
    SendMessageA(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
}

std::string NumberBox::Text() const
{
    char text[64] = "";
    GetWindowTextA(edit_, text, sizeof text);
    return text;
}

int NumberBox::Value() const
{
    return NumberBoxValue(Text().c_str(), range_, value_);
}

bool NumberBox::HoldsNumber() const
{
    int v;
    return ParseInt(Text().c_str(), &v);
}

void NumberBox::SetValue(int value)
{
    value_ = range_.Clamp(value);
    SetWindowTextA(edit_, std::to_string(value_).c_str());
    SendMessageA(spin_, UDM_SETPOS32, 0, value_);
}

void NumberBox::Enable(bool on)
{
    EnableWindow(edit_, on);
    EnableWindow(spin_, on);
}

void NumberBox::OnKillFocus()
{
    const int v = Value();
    if (std::to_string(v) != Text())
        SetValue(v);
    value_ = v;
}

LRESULT NumberBox::OnDeltaPos(const NMUPDOWN *nm)
{
    SetValue(Value() + nm->iDelta);
    return 1;
}

} // namespace lex
