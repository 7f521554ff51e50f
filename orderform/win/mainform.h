// TKS_Zamawiacz: the order form's main window, a three-page wizard
// (welcome, the customer's form, the summary with the order letter).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "orderform/endpoints.h"
#include "orderform/letter.h"
#include "orderform/win/httpcli.h"

namespace tendra {

class TKS_Zamawiacz {
public:
    explicit TKS_Zamawiacz(HINSTANCE instance);
    ~TKS_Zamawiacz();
    // Creates and shows the window; false when it could not be created.
    bool Create(int show);
    // The message loop of the program; returns the exit code.
    int Run();

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

    // Building the window.
    void FormCreate();
    HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id,
               DWORD exStyle = 0);
    // The same with a text of the resource script (IDS_...).
    HWND Child(HWND parent, const wchar_t* cls, UINT text, DWORD style, int x, int y, int w, int h, int id,
               DWORD exStyle = 0);
    HWND Label(HWND parent, const wchar_t* text, int x, int y, int w, int h, DWORD style = SS_LEFT);
    HWND Label(HWND parent, UINT text, int x, int y, int w, int h, DWORD style = SS_LEFT);
    void CreatePage1();
    void CreatePage2();
    void CreatePage3();
    void AddHint(HWND control, UINT textId);
    HWND Item(int id) const;
    // WM_NEXTDLGCTL, which the dialog-message handling of the message loop
    // sends for the access key of a label (focus to the label, then on to
    // the next control) and a rich-edit box sends for Tab: LOWORD(lp) set:
    // focus to the control wp; else to the next (wp 0) or previous tab stop.
    void NextDlgCtl(WPARAM wp, LPARAM lp);

    // Pages.
    void BTN_DalejClick();
    void BTN_WsteczClick();
    void ShowPage(int page);
    void NextButton();
    bool ValidateForm();
    OrderData CollectOrderData();

    // The program list.
    std::vector<std::wstring> ProgramLines() const;
    std::vector<std::wstring> CheckedPrograms() const;
    void SetProgramLines(const std::vector<std::wstring>& lines);
    // The list scrolls sideways as far as its widest line (the list's lines).
    void UpdateProgramListExtent(const std::vector<std::wstring>& lines);
    void LST_ProgramyClickCheck(int index);
    void ShowProgramCheckmark(int index, bool checked);

    // Storage.
    void LoadStoredData();
    void SaveStoredData();
    bool FormCloseQuery();

    // Commands.
    void BTN_AkceptClick();
    void PMNU_DrukClick();
    void PMNU_Inet1Click(int tag);
    void PMNU_SklepClick();
    void BTN_Load_ProductsClick();
    void BTN_CennikClick();
    void Download(const std::string& url);
    void ApplyProxySettings();
    void httpcDocData(const char* data, size_t len);
    void httpcDocEnd();
    void FinishDownload();
    void DefaultErrorHandler(const std::exception& e);

    // Help.
    void BTN_PomocClick();
    void ToolbarButton971Click();
    void Pomocy(DWORD topic);
    void ContextHelp(const HELPINFO* info);
    bool HelpFileMissing();
    std::string HelpFile() const;

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HWND pages_[3] = {};
    HWND tooltip_ = nullptr;
    HFONT font_ = nullptr, boldFont_ = nullptr, titleFont_ = nullptr;
    HMENU serverMenu_ = nullptr;  // PMNU_Server
    HMODULE richEditLib_ = nullptr;
    HWND lastFocus_ = nullptr;  // the focused control while the window is inactive
    int page_ = 0;
    int nextLabelId_ = 0;
    bool helpUsed_ = false;

    Endpoints endpoints_;
    THttpCli httpc_;
    bool requestRunning_ = false;
    bool closeAfterRequest_ = false;
    std::vector<std::string> collected_;  // document blocks of the current download
    bool documentEnded_ = false;
    std::string document_;
    Letter letter_;
};

// Runs the order form; returns the exit code.
int RunTendra(HINSTANCE instance, int show);

}  // namespace tendra
