// The main window TMainForm: file name, minimum length, start/stop, the
// settings dialog and the results list.  The window starts the scan run
// (mainwindow/scansession_win.h), shows its progress and takes its rows.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/animwnd_win.h"
#include "about/about_win.h"
#include "mainwindow/scansession_win.h"
#include "words/dictionary.h"
#include "settings/settings.h"
#include "results/resultslist_win.h"
#include "settings/optform_win.h"
#include "util/handles_win.h"
#include "ui/application_win.h"
#include "ui/menubar_win.h"
#include "ui/numberbox_win.h"
#include "ui/window_win.h"

namespace lex {

class MainForm : public Form, public Window, private ScanWindow {
public:
    struct Options {
        // Time between two message pumps while a scan runs.
        DWORD pumpIntervalMs = 15;
        // Least time between two moves of the progress bar: each move
        // repaints the bar at once, which costs milliseconds under Wine.
        DWORD progressIntervalMs = 100;
        // English.dic; empty: beside the executable.
        std::string dictionaryPath;
        // The program ends when the window is destroyed.
        bool quitOnDestroy = true;
        // The most memory the results list's rows may take (tests make a
        // scan run out of memory with it).
        size_t rowMemoryLimit = RowStore::kNoMemoryLimit;
    };

    // Top-level entries of the menu bar, in their order.
    enum MenuEntry { FileItem, EditItem, ShowItem, HelpItem, MesItem };

    MainForm() = default;
    MainForm(const MainForm &) = delete;
    MainForm &operator=(const MainForm &) = delete;
    ~MainForm() override;

    // Creates the window (not yet shown) owned by the application window,
    // with its animation component, runs FormCreate (settings, dictionary),
    // creates the settings and version dialogs and registers the window as
    // the program's main window.  A second animation component on the form
    // raises AnimateWindowError.
    bool Create(HINSTANCE instance, const Options &options);
    HWND hwnd() const override { return hwnd_; }
    // Shows the window as `command` (ShowWindow) asks; a window that was
    // maximised when it last closed comes back maximised, unless `command`
    // asks for a state of its own (minimised, maximised, hidden).
    void Show(int command);

    // A file named on the command line or dropped on the window: its name
    // goes into FileName, and with `startScan` a scan starts as soon as the
    // message loop runs.  Ignored while a scan runs (FileName is locked).
    void OpenFile(const std::string &path, bool startScan);
    bool Destroyed() const { return destroyed_; }

    // For the message loops (the program's and the scan's): dialog
    // navigation, the list's shortcuts and the find dialog.  True when the
    // message was dealt with.
    bool PreTranslate(MSG *msg) override;

    // Lays out the top panel for width `width`: the right-hand buttons keep
    // to the right edge; from 400 pixels on, the browse button and the file
    // name box follow too.
    void PanelResize(int width);

    // State, for the tests.
    int AbortFlag() const { return scan_.AbortFlag(); }
    bool Scanning() const { return scan_.Scanning(); }
    const ExtractionSettings &settings() const { return settings_; }
    const WordDictionary &dictionary() const { return dict_; }
    ResultsList &list() { return list_; }
    OptForm &optForm() { return optForm_; }
    AboutDlg &aboutDlg() { return aboutDlg_; }
    TAnimateWindow &animateWindow1() { return *animateWindow1_; }
    // Runs after every message pump during a scan (tests press buttons here).
    void SetPumpHook(std::function<void()> hook) { scan_.SetPumpHook(std::move(hook)); }
    // Tests answer the open dialog instead of a user: the hook sees the
    // dialog's description and returns what GetOpenFileNameA would.
    using OpenDialogHook = std::function<BOOL(OPENFILENAMEA &ofn)>;
    static void SetOpenDialogHook(OpenDialogHook hook);

private:
    // StartBtn's captions, as the start and as the stop button.
    static const char kStartCaption[];
    static const char kStopCaption[];
    // While the list is hidden the client area above the status line is
    // 100 pixels high.
    static constexpr int kIdleClientHeight = 100;
    // The window is never narrower than 450 pixels, and once the list shows
    // it holds at least 100 pixels of list.
    static constexpr int kMinWidth = 450;
    static constexpr int kMinListHeight = 100;
    // The strip of the filter box between the panel and the list.
    static constexpr int kFilterHeight = 27;

    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnCommand(int id, int code);
    bool OnButtonClicked(int id);
    LRESULT OnNotify(const NMHDR *hdr);
    bool OnContextMenu(HWND wnd, LPARAM lp);
    void OnInitMenuPopup(HMENU popup);
    HBRUSH OnCtlColor(HDC dc, HWND control);
    void OnSize(WPARAM kind);
    void OnGetMinMaxInfo(MINMAXINFO *info) const;
    void OnPaint();
    bool OnActivate(WPARAM wp);
    void OnStartScan();
    void OnClose();
    void OnDestroy();
    void CreateControls();
    void Layout();
    void SetClientHeight(int height);
    int IdleClientHeight() const;
    // The window's height for a client area `clientHeight` high, and the
    // least height of the window with its list.
    int WindowHeightFor(int clientHeight) const;
    int MinListWindowHeight() const;
    bool ListShown() const;
    void SetFileNameText(const std::string &path);
    void BackFromDialog();

    // The keyboard (mainform_keys_win.cpp): Enter, Tab and the arrows,
    // the list's shortcuts.
    LRESULT OnGetDefId();
    void OnNextDlgCtl(WPARAM wp, LPARAM lp);
    int EnterButton(HWND focus) const;
    bool OnShortcut(const MSG *msg);

    // ScanWindow
    void ShowBusyNotice(bool shown) override;
    void ShowScanStarted() override;
    void ShowProgress(int percent) override;

    // The filter box above the list and the "表示(&V)" menu's filter
    // entries that are the window's (mainform_filter_win.cpp).
    void ShowFilterBar(bool shown);
    void FilterBoxChange();
    bool OnFilterCommand(int id);
    bool OnFilterKey(const MSG *msg);

    // The title and the status line (mainform_status_win.cpp).
    void CreateStatusBar();
    void ShowTitle();
    void ShowStatus();

    // Handlers.
    void FormCreate();
    void FileNameChange();
    void BrowseBtnClick();
    void OptBtnClick();
    void StartBtnClick();
    void CloseBtnClick();
    void FormClose();
    void FormResize();
    void EditItemClick();
    void ShowReadMeitemClick();
    void VerItemClick();
    void FormDropFiles(HDROP drop);
    void SaveItemClick(bool onlyWithRows);
    void PrepareScan();
    void EndScan(ScanOutcome outcome);
    void ShowResults();
    void SizeForList();
    void FinishScan();
    void RestoreControls();
    void EnableInputs(bool on);
    void ReleaseDictionary();
    // The window's place, its maximised state and the list's column widths
    // from the last session, and stored for the next (mainform_layout_win.cpp).
    void RestoreLayout();
    void StoreLayout();

    Options options_;
    HWND fileName_ = nullptr;
    HWND browseBtn_ = nullptr;
    HWND startBtn_ = nullptr;
    HWND optBtn_ = nullptr;
    HWND closeBtn_ = nullptr;
    HWND progressBar_ = nullptr;
    HWND statusBar_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND fileLabel_ = nullptr;
    HWND asciiLabel_ = nullptr;
    HWND filterLabel_ = nullptr;
    HWND filterBox_ = nullptr;
    NumberBox ascii_;
    loom::FontHandle font_;
    MenuBar menu_;
    ResultsList list_;
    ScanSession scan_{*this, list_};
    OptForm optForm_;
    AboutDlg aboutDlg_;
    std::unique_ptr<TAnimateWindow> animateWindow1_;

    ExtractionSettings settings_;
    WordDictionary dict_;
    EnglishWordMarker marker_{dict_, settings_};

    // The caption without a file: the program's title, with the debug
    // notice in debug mode.
    std::string baseTitle_ = "Lexprobe";
    // How the scan whose rows the list holds ended, and how far it got.
    ScanOutcome listOutcome_ = ScanOutcome::NotOpened;
    int listPercent_ = 0;
    // A list command's notice, shown in the status line in place of how
    // the scan ended until a scan starts.
    std::string notice_;
    DWORD lastListSync_ = 0;  // when a scan last told the list on screen its count
    HWND focusBeforeScan_ = nullptr;  // the control the scan took the focus from

    // From the stored layout: the window's height once the list first shows
    // (the window is only as high as its panel until then; 0: half the
    // screen), and whether it opens maximised.
    int listHeight_ = 0;
    bool startMaximized_ = false;

    bool destroyed_ = false;
    bool inResize_ = false;
    bool inputsWindowColor_ = true;  // FileName and Ascii in the window colour
};

// The program's event loop: runs until the main window has closed.
int RunMessageLoop(MainForm &form);

} // namespace lex
