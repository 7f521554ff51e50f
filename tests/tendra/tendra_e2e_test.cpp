// End-to-end: the real tendra.exe, its requests going to a server of the
// test's own, driven page by page as a user would.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>

#include "orderform/cp1250.h"
#include "orderform/customer.h"
#include "orderform/res/resource.h"
#include "orderform/scrambler.h"
#include "tests/tendra/http_test_server.h"
#include "tests/tendra/tendra_driver.h"
#include "tests/tendra/test_printer.h"
#include "tests/testutil/tempdir.h"

namespace tendra::e2e {
namespace {

using gmbx::e2e::PressKey;
using gmbx::testutil::TempDir;
using test::TestHttpServer;

const char kQuestionConnected[] = u8"Czy jesteś podłączony(a) do sieci Internet?";
const char kInformacja[] = "Informacja";
const char kDownloadError[] = u8"Błąd podczas próby ściągnięcia aktualnego cennika!";

std::string ReadFile(const std::string& path) {
    std::vector<uint8_t> b = gmbx::testutil::ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    gmbx::testutil::WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// Serves whatever the test puts into `reply`.
struct Server {
    std::mutex lock;
    std::string reply = test::Reply(200, "OK", "dziekujemy");
    TestHttpServer http{[this](const std::string&) {
        std::lock_guard<std::mutex> g(lock);
        return reply;
    }};
    void Set(const std::string& r) {
        std::lock_guard<std::mutex> g(lock);
        reply = r;
    }
};

class TendraE2e : public ::testing::Test {
protected:
    void SetUp() override { ClearCustomerKey(); }
    void TearDown() override { ClearCustomerKey(); }
    std::string InfoTxt() const { return dir.File("info.txt"); }

    TempDir dir;
    Server server;
};

// A filled-in form, stored as by an earlier run.
void StoreKowalski() {
    SetCustomerValue(stored::kName, L"Jan Kowalski");
    SetCustomerValue(stored::kStreet, L"Piotrkowska 1");
    SetCustomerValue(stored::kPostcode, L"90-001");
    SetCustomerValue(stored::kCity, L"\u0141\u00f3d\u017a");
    SetCustomerValue(stored::kEmail, L"brak@brak");
}

TEST_F(TendraE2e, PagesValidationSeatCountsAndClosing) {
    TendraApp app(dir.Path().string(), server.http.BaseUrl());
    ASSERT_NE(app.Main(), nullptr);
    EXPECT_TRUE(app.Visible(IDC_TAB_1));
    EXPECT_FALSE(app.Enabled(IDC_BTN_WSTECZ));
    EXPECT_FALSE(app.Visible(IDC_BTN_AKCEPT));
    EXPECT_EQ(app.ProgramLines().size(), 5u);  // the built-in list

    app.Click(IDC_BTN_DALEJ);
    ASSERT_TRUE(app.WaitForPage(IDC_TAB_2));
    EXPECT_TRUE(app.Enabled(IDC_BTN_WSTECZ));

    // Each missing field stops the page with its message, in this order.
    struct Step {
        int fill;
        const wchar_t* value;
        const char* message;
    };
    const Step steps[] = {
        {0, nullptr, u8"Proszę podać imię i nazwisko zamawiającego!"},
        {IDC_EDT_NAZWISKO, L"Jan Kowalski", "Prosz\xc4\x99 poda\xc4\x87 kod pocztowy!"},
        {IDC_EDT_KOD, L"90-001", u8"Proszę podać dokładny adres!"},
        {IDC_EDT_ULICA, L"Piotrkowska 1", u8"Proszę podać dokładny adres!"},
        {IDC_EDT_MIASTO, L"\u0141\u00f3d\u017a",
         u8"Proszę podać adres e-mail lub wpisać 'brak@brak' w przypadku nieposiadania!"},
        {IDC_EDT_EMAIL, L"brak@brak", u8"Proszę wybrać nazwę zamawianego programu"},
    };
    for (const Step& s : steps) {
        if (s.fill) app.SetText(s.fill, s.value);
        app.Click(IDC_BTN_DALEJ);
        auto boxes = app.Boxes(1, AnswerYes);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, s.message);
        EXPECT_EQ(boxes[0].caption, kInformacja);
        EXPECT_TRUE(app.Visible(IDC_TAB_2));
    }

    // Checking "Tamsin" asks for the seats; 3, then again 5: one suffix.
    ASSERT_EQ(app.ProgramLines()[3], L"Tamsin");
    for (const wchar_t* seats : {L"3", L"5"}) {
        app.ClickCheckBox(3);
        HWND dlg = app.WaitForDialog(L"Ilo\u015b\u0107 zamawianych licencji");
        ASSERT_NE(dlg, nullptr);
        wchar_t initial[16] = L"";
        GetDlgItemTextW(dlg, IDC_LIC_COUNT, initial, 16);
        EXPECT_STREQ(initial, L"1");
        SendDlgItemMessageW(dlg, IDC_LIC_COUNT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(seats));
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        app.WaitGone(dlg);
        EXPECT_EQ(app.ProgramLines()[3], std::wstring(L"Tamsin - na ") + seats + L"  stanowisk(o)");
        EXPECT_TRUE(app.Checked(3));
        if (seats[0] == L'3') {
            // Unchecking asks nothing and keeps the count.
            app.ClickCheckBox(3);
            app.Idle(400);
            EXPECT_FALSE(app.Checked(3));
            EXPECT_EQ(app.ProgramLines()[3], L"Tamsin - na 3  stanowisk(o)");
        }
    }
    // Cancelling leaves the line checked, without a count.
    app.ClickCheckBox(2);
    HWND dlg = app.WaitForDialog(L"Ilo\u015b\u0107 zamawianych licencji");
    ASSERT_NE(dlg, nullptr);
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    app.WaitGone(dlg);
    EXPECT_EQ(app.ProgramLines()[2], L"Brixo");
    EXPECT_TRUE(app.Checked(2));

    // The summary: the letter is there, "Dalej" is off, "Akceptuję" shown.
    app.Click(IDC_BTN_DALEJ);
    ASSERT_TRUE(app.WaitForPage(IDC_TAB_3));
    EXPECT_FALSE(app.Enabled(IDC_BTN_DALEJ));
    EXPECT_TRUE(app.Visible(IDC_BTN_AKCEPT));
    std::wstring letter = app.Text(IDC_MEM_TENDRA);
    EXPECT_NE(letter.find(L"Jan Kowalski"), std::wstring::npos);
    EXPECT_NE(letter.find(L"Tamsin - na 5  stanowisk(o)"), std::wstring::npos);
    EXPECT_NE(letter.find(L"\u0141\u00f3d\u017a, "), std::wstring::npos);
    app.Click(IDC_BTN_WSTECZ);
    EXPECT_TRUE(app.WaitForPage(IDC_TAB_2));
    EXPECT_TRUE(app.Enabled(IDC_BTN_DALEJ));
    EXPECT_FALSE(app.Visible(IDC_BTN_AKCEPT));

    // No keeps the window and stores nothing.
    EXPECT_FALSE(app.Close(false));
    app.Idle(300);
    EXPECT_TRUE(app.Running());
    EXPECT_FALSE(CustomerKeyExists());
    EXPECT_FALSE(std::filesystem::exists(InfoTxt()));

    // Yes stores the form and the list (with the counts, scrambled).
    ASSERT_TRUE(app.Close(true));
    EXPECT_EQ(CustomerValue(stored::kName), L"Jan Kowalski");
    EXPECT_EQ(CustomerValue(stored::kCity), L"\u0141\u00f3d\u017a");
    EXPECT_EQ(CustomerValue(stored::kDelivery), L"3");
    EXPECT_EQ(CustomerValue(stored::kInvoice), L"0");
    EXPECT_EQ(CustomerValue(stored::kProforma), L"1");
    EXPECT_EQ(CustomerValue(stored::kOrganisation), L"");
    std::string stored = ReadFile(InfoTxt());
    EXPECT_EQ(Unscramble(stored),
              "Orvel 2000 PRO\r\nOrvel aktualizacja (upgrade) do 2000 PRO\r\nBrixo\r\n"
              "Tamsin - na 5  stanowisk(o)\r\nGlimmerbox");
    EXPECT_NE(stored, Unscramble(stored));
}

TEST_F(TendraE2e, OrdersGoToBothServersAndThroughAProxy) {
    StoreKowalski();
    SetCustomerValue(stored::kDelivery, L"0x1");
    SetCustomerValue(stored::kInvoice, L"zero");  // unreadable: the default
    WriteFile(InfoTxt(), Scramble("Tamsin\r\nBrixo"));
    TendraApp app(dir.Path().string(), server.http.BaseUrl());
    ASSERT_NE(app.Main(), nullptr);
    EXPECT_EQ(app.ProgramLines(), (std::vector<std::wstring>{L"Tamsin", L"Brixo"}));
    EXPECT_EQ(app.Text(IDC_EDT_MIASTO), L"\u0141\u00f3d\u017a");
    EXPECT_EQ(app.Text(IDC_LST_DOSTAWA), L"Internetem, zap\u0142ata za pobraniem (+6z\u0142)");
    EXPECT_EQ(app.Text(IDC_EDT_RACHUNEK), L"rachunek uproszcz.");

    app.Click(IDC_BTN_DALEJ);
    ASSERT_TRUE(app.WaitForPage(IDC_TAB_2));
    app.ClickCheckBox(0);
    HWND dlg = app.WaitForDialog(L"Ilo\u015b\u0107 zamawianych licencji");
    ASSERT_NE(dlg, nullptr);
    SendDlgItemMessageW(dlg, IDC_LIC_COUNT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"12"));
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    app.WaitGone(dlg);
    app.Click(IDC_BTN_DALEJ);
    ASSERT_TRUE(app.WaitForPage(IDC_TAB_3));

    const std::string body =
        "CHK_Tam=Tamsin&Liczba_licencji_Tamsin=12&Imie_nazwisko=Jan+Kowalski&Ulica=Piotrkowska+1&Kod=90-001"
        "&Miejscowosc=Lodz&e-mail=brak@brak&Zakup_na=rachunek+uproszcz."
        "&dostawa=Internetem,+zaplata+za+pobraniem+(+6zl)&Uwagi=\r\n--\r\nKS+Obsluga+zamowien+v3.0+przez+serwer+";

    // Not connected: a warning, no request.
    app.Command(IDM_PMNU_INET1);
    auto boxes = app.Boxes(2, AnswerNo);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, kQuestionConnected);
    EXPECT_EQ(boxes[1].text, u8"Podłącz się do sieci i ponownie wciśnij przycisk \"AKCEPTUJĘ\"\r\nlub wybierz inna formę zamówienia!");
    EXPECT_EQ(server.http.RequestCount(), 0u);

    // Server 1 and server 2.
    for (int tag : {1, 2}) {
        app.Command(tag == 1 ? IDM_PMNU_INET1 : IDM_PPMNU_INET2);
        boxes = app.Boxes(2, AnswerYes);
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].caption, u8"Podziękowanie!");
        EXPECT_EQ(boxes[1].text, u8"Zamówienie zostało poprawnie wysłane! Dziękujemy!\r\nWkrótce prześlemy potwierdzenie złożonego zamówienia!");
        ASSERT_EQ(server.http.RequestCount(), static_cast<size_t>(tag));
        std::string request = server.http.Requests().back();
        EXPECT_EQ(test::RequestLine(request), tag == 1 ? "POST /cgi-bin/cgiwrap/~kestrin/tendra.pl HTTP/1.0"
                                                       : "POST /cgi-local/tendra.pl HTTP/1.0");
        EXPECT_NE(request.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
        EXPECT_EQ(test::RequestBody(request), body + (tag == 1 ? "zamowienia.kestrin.pl" : "www.kestrin.pl"));
        EXPECT_TRUE(app.Enabled(IDC_BTN_AKCEPT));
    }

    // A refusing server gives the error box.
    server.Set(test::Reply(404, "Not Found", "nie ma"));
    app.Command(IDM_PMNU_INET1);
    boxes = app.Boxes(2, AnswerYes);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].caption, u8"Błąd!");
    EXPECT_EQ(boxes[1].text.rfind(u8"Nie udało się wysłać zamówienia! Jeśli jesteś za firewall'em, określ ustawienia PROXY.\r\n", 0), 0u);
    EXPECT_TRUE(app.Enabled(IDC_BTN_AKCEPT));
    server.Set(test::Reply(200, "OK", "ok"));

    // The proxy box without an address is unchecked; the post goes direct.
    PostMessageW(app.Control(IDC_CHK_PROXY), BM_SETCHECK, BST_CHECKED, 0);
    PostMessageW(app.Control(IDC_CHK_NOCACHE), BM_SETCHECK, BST_UNCHECKED, 0);
    app.Command(IDM_PMNU_INET1);
    boxes = app.Boxes(2, AnswerYes);
    EXPECT_EQ(SendMessageW(app.Control(IDC_CHK_PROXY), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    std::string request = server.http.Requests().back();
    EXPECT_EQ(test::RequestLine(request), "POST /cgi-bin/cgiwrap/~kestrin/tendra.pl HTTP/1.0");
    EXPECT_EQ(request.find("Pragma: no-cache"), std::string::npos);

    // With an address the request goes to the proxy with the absolute URL.
    PostMessageW(app.Control(IDC_CHK_PROXY), BM_SETCHECK, BST_CHECKED, 0);
    app.SetText(IDC_EDT_PROXY, L"127.0.0.1:" + std::to_wstring(server.http.Port()));
    app.Command(IDM_PPMNU_INET2);
    boxes = app.Boxes(2, AnswerYes);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].caption, u8"Podziękowanie!");
    request = server.http.Requests().back();
    EXPECT_EQ(test::RequestLine(request), "POST http://127.0.0.1/cgi-local/tendra.pl HTTP/1.0");

    // Declining to print gives the warning; declining the shop does nothing.
    app.Command(IDM_PMNU_DRUK);
    boxes = app.Boxes(2, AnswerNo);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, u8"Wybrałeś opcję wydruku!Zamówienie zostanie teraz wydrukowane. Po wydrukowaniu należy przesłać je na adres wskazany na wydruku. Wydrukować teraz?");
    EXPECT_EQ(boxes[1].caption, "Uwaga!");
    EXPECT_EQ(boxes[1].text, u8"Zamówienie nie zostało wydrukowane!\r\nWybierz inna formę zakupu lub spróbuj ponownie wydrukować zamówienie!");
    app.Command(IDM_PMNU_SKLEP);
    boxes = app.Boxes(1, AnswerNo);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Pytanie");
    app.Idle(300);
    EXPECT_EQ(app.BoxCount(), 15u);  // nothing more came up

    // Printing: Yes, then OK in the print dialog; the letter arrives at the
    // printer under its document name; No to leaving keeps the program.
    std::wstring printer;
    std::string output;
    ASSERT_TRUE(test::EnsureTestPrinter(&printer, &output));
    test::ClearTestPrinterOutput();
    app.Command(IDM_PMNU_DRUK);
    boxes = app.Boxes(1, AnswerYes);
    ASSERT_EQ(boxes.size(), 1u);
    HWND print = app.WaitForDialog(L"Print");
    ASSERT_NE(print, nullptr);
    PostMessageW(print, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(print, IDOK)));
    boxes = app.Boxes(1, AnswerNo, 30000);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Informacja!");
    EXPECT_EQ(boxes[0].text, u8"Zamówienie zostało wydrukowane! Dziękujemy!\r\nCzy chcesz opuścić program do zamówień?");
    const std::string ps = test::WaitForTestPrinterOutput(10000);
    ASSERT_FALSE(ps.empty()) << "nothing arrived in " << output;
    EXPECT_GE(test::PostScriptPageCount(ps), 1);
    char title[256] = "";
    WideCharToMultiByte(CP_ACP, 0, L"Zam\u00f3wienie programu(\u00f3w) Kestrin Software)", -1, title, sizeof title,
                        nullptr, nullptr);
    EXPECT_EQ(test::PostScriptTitle(ps), title);
    app.Idle(300);
    EXPECT_TRUE(app.Running());

    ASSERT_TRUE(app.Close(true));
    EXPECT_EQ(CustomerValue(stored::kDelivery), L"1");
    EXPECT_EQ(CustomerValue(stored::kInvoice), L"0");
    EXPECT_EQ(Unscramble(ReadFile(InfoTxt())), "Tamsin - na 12  stanowisk(o)\r\nBrixo");
}

TEST_F(TendraE2e, ProgramListAndPriceListDownloads) {
    TendraApp app(dir.Path().string(), server.http.BaseUrl());
    ASSERT_NE(app.Main(), nullptr);
    app.Click(IDC_BTN_DALEJ);
    ASSERT_TRUE(app.WaitForPage(IDC_TAB_2));

    // A new list replaces the old one and is stored.
    const std::string list = "Quella 2\r\nZa\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\nTamsin\r\n";
    server.Set(test::Reply(200, "OK", list));
    app.Click(IDC_BTN_LOAD_PRODUCTS);
    auto boxes = app.Boxes(2, AnswerYes);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, kQuestionConnected);
    EXPECT_EQ(boxes[1].text, u8"Aktualizacja listy produktów została przeprowadzona pomyślnie!");
    EXPECT_EQ(boxes[1].caption, kInformacja);
    EXPECT_EQ(test::RequestLine(server.http.Requests().back()), "GET /cennik/produkty.txt HTTP/1.0");
    const std::vector<std::wstring> lines = {L"Quella 2", L"Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144",
                                             L"Tamsin"};
    EXPECT_EQ(app.ProgramLines(), lines);
    std::string stored = ReadFile(InfoTxt());
    EXPECT_EQ(Unscramble(stored), "Quella 2\r\nZa\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\nTamsin");

    // A failed download changes neither the list nor the file.
    server.Set(test::Reply(404, "Not Found", "brak"));
    app.Click(IDC_BTN_LOAD_PRODUCTS);
    boxes = app.Boxes(2, AnswerYes);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, kDownloadError);
    EXPECT_EQ(boxes[1].caption, u8"Błąd!");
    EXPECT_EQ(app.ProgramLines(), lines);
    EXPECT_EQ(ReadFile(InfoTxt()), stored);

    // A document without a single line is no list either.
    server.Set(test::Reply(200, "OK", "\r\n\r\n"));
    app.Click(IDC_BTN_LOAD_PRODUCTS);
    boxes = app.Boxes(2, AnswerYes);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, kDownloadError);
    EXPECT_EQ(app.ProgramLines(), lines);
    EXPECT_EQ(ReadFile(InfoTxt()), stored);

    // Declined: a warning and no request.
    size_t requests = server.http.RequestCount();
    app.Click(IDC_BTN_CENNIK);
    boxes = app.Boxes(2, AnswerNo);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, u8"Podłącz się do sieci i spróbuj ponownie obejrzeć aktualny cennik!");
    EXPECT_EQ(server.http.RequestCount(), requests);

    // The price list is shown in its dialog.
    server.Set(test::Reply(200, "OK", "Tamsin      99 z\xB3\r\nBrixo      120 z\xB3"));
    app.Click(IDC_BTN_CENNIK);
    boxes = app.Boxes(1, AnswerYes);
    HWND dlg = app.WaitForDialog(L"Aktualny cennik");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(test::RequestLine(server.http.Requests().back()), "GET /cennik/cennik.txt HTTP/1.0");
    wchar_t text[256] = L"";
    GetDlgItemTextW(dlg, IDC_MEM_CENNIK, text, 256);
    EXPECT_STREQ(text, L"Tamsin      99 z\u0142\r\nBrixo      120 z\u0142");
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    app.WaitGone(dlg);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(app.ProgramLines(), lines);

    ASSERT_TRUE(app.Close(true));
}

BOOL CALLBACK CollectText(HWND w, LPARAM lp) {
    wchar_t text[2048] = L"";
    GetWindowTextW(w, text, 2048);
    reinterpret_cast<std::set<std::wstring>*>(lp)->insert(text);
    return TRUE;
}

// The texts come from the program's resource script, all of them there,
// and the window shows them as they stand.
TEST_F(TendraE2e, TextsOfTheWindow) {
    HMODULE exe = LoadLibraryExA((gmbx::e2e::BuildDir() + "\\tendra.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    for (UINT id = IDS_TEXT_FIRST; id <= IDS_TEXT_LAST; ++id) {
        const wchar_t* text = nullptr;
        EXPECT_GT(LoadStringW(exe, id, reinterpret_cast<LPWSTR>(&text), 0), 0) << "no text " << id;
    }
    FreeLibrary(exe);

    TendraApp app(dir.Path().string(), server.http.BaseUrl());
    ASSERT_NE(app.Main(), nullptr);
    wchar_t caption[64] = L"";
    GetWindowTextW(app.Main(), caption, 64);
    EXPECT_STREQ(caption, L"KS Obs\u0142uga zam\u00f3wie\u0144");
    std::set<std::wstring> shown;
    EnumChildWindows(app.Main(), CollectText, reinterpret_cast<LPARAM>(&shown));
    const wchar_t* const expected[] = {
        L"KS Obs\u0142uga zam\u00f3wie\u0144 v3.0",
        L"&Pomoc", L"&Wstecz", L"&Dalej", L"&Akceptuj\u0119",
        L" Dane zamawiaj\u0105cego ", L"&Imi\u0119 i nazwisko:", L"&Organizacja (firma):", L"U&lica (adres):",
        L"&Kod pocztowy:", L"&Miejscowo\u015b\u0107:", L"NI&P:", L"&Tel/fax:", L"&E-Mail:", L"&Uwagi:",
        L"&Rachunek:", L"Spos\u00f3b d&ostawy:", L"&Zamawiam program(y):",
        L"Aktualizuj list\u0119 program\u00f3w", L"\u015aci\u0105gnij aktualny cennik",
        L"Kliknij tutaj, aby dowiedzie\u0107 si\u0119 wi\u0119cej na temat aktualizacji (upgrade)",
        L"Prosz\u0119 o &faktur\u0119 proforma",
        L" Ustawienia PROXY (je\u015bli jeste\u015b za firewall'em) ", L"U\u017cywaj serwera pro&xy", L"Adr&es:",
        L"Po&rt:", L"Nie u\u017cywaj pami\u0119ci podr\u0119cznej serwera proxy (no-cache)",
    };
    for (const wchar_t* text : expected) EXPECT_EQ(shown.count(text), 1u) << Utf8(text);
    // The welcome page ends with the seller's address.
    bool welcome = false;
    for (const std::wstring& text : shown)
        welcome |= text.rfind(L"Dzi\u0119kujemy za zainteresowanie", 0) == 0 &&
                   text.find(L"\r\nKestrin Software\r\n") != std::wstring::npos &&
                   text.size() > 30 && text.substr(text.size() - 29) == L"e-mail: zamowienia@kestrin.pl";
    EXPECT_TRUE(welcome);
    ASSERT_TRUE(app.Close(true));
}

// A line that grows with its seat count beyond the list's width can be
// scrolled to; when it shrinks again, so does the scrolling.
TEST_F(TendraE2e, ProgramListScrollsAsFarAsItsWidestLine) {
    TendraApp app(dir.Path().string(), server.http.BaseUrl());
    ASSERT_NE(app.Main(), nullptr);
    app.Click(IDC_BTN_DALEJ);
    ASSERT_TRUE(app.WaitForPage(IDC_TAB_2));
    HWND list = app.Control(IDC_LST_PROGRAMY);
    RECT client;
    GetClientRect(list, &client);
    auto extent = [list] { return static_cast<int>(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0)); };
    auto scrollBar = [list] { return (GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) != 0; };
    const int loaded = extent();
    EXPECT_LE(loaded, client.right);
    EXPECT_FALSE(scrollBar());

    const std::wstring upgrade = L"Orvel aktualizacja (upgrade) do 2000 PRO";
    ASSERT_EQ(app.ProgramLines()[1], upgrade);
    int previous = loaded;
    struct Step {
        const wchar_t* seats;
        bool wider;  // than the line before
    };
    for (Step step : {Step{L"500", true}, Step{L"5", false}}) {
        SCOPED_TRACE(Utf8(step.seats));
        app.ClickCheckBox(1);
        HWND dlg = app.WaitForDialog(L"Ilo\u015b\u0107 zamawianych licencji");
        ASSERT_NE(dlg, nullptr);
        SendDlgItemMessageW(dlg, IDC_LIC_COUNT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.seats));
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        app.WaitGone(dlg);
        ASSERT_EQ(app.ProgramLines()[1], upgrade + L" - na " + step.seats + L"  stanowisk(o)");
        EXPECT_EQ(extent() > previous, step.wider) << extent() << " after " << previous;
        EXPECT_GT(extent(), client.right);
        EXPECT_TRUE(scrollBar());
        previous = extent();
        app.ClickCheckBox(1);  // unchecked: asks nothing, changes nothing
        app.Idle(200);
        EXPECT_EQ(extent(), previous);
    }
    ASSERT_TRUE(app.Close(true));
}

// The keyboard alone: the access key of a label takes the focus to the
// control it names, that of a button presses it; Tab and Shift+Tab go round
// the controls of the page shown and the button row.
TEST_F(TendraE2e, AccessKeysAndTabOrder) {
    StoreKowalski();
    TendraApp app(dir.Path().string(), server.http.BaseUrl());
    ASSERT_NE(app.Main(), nullptr);
    ASSERT_TRUE(app.Activate());
    PressKey('D', {VK_MENU});
    ASSERT_TRUE(app.WaitForPage(IDC_TAB_2));
    ASSERT_EQ(app.WaitForFocus(IDC_EDT_NAZWISKO), IDC_EDT_NAZWISKO);

    struct AccessKey {
        char key;
        int control;
    };
    // A key that two labels share goes on to the next of them: "&Organizacja"
    // and "Sposób d&ostawy", "NI&P" and the button "&Pomoc".
    const AccessKey form[] = {
        {'O', IDC_EDT_ORGANIZACJA}, {'L', IDC_EDT_ULICA},    {'K', IDC_EDT_KOD},      {'M', IDC_EDT_MIASTO},
        {'P', IDC_EDT_NIP},         {'T', IDC_EDT_TELEFON},  {'E', IDC_EDT_EMAIL},    {'U', IDC_EDT_UWAGI},
        {'R', IDC_EDT_RACHUNEK},    {'O', IDC_LST_DOSTAWA},  {'O', IDC_EDT_ORGANIZACJA}, {'Z', IDC_LST_PROGRAMY},
        {'I', IDC_EDT_NAZWISKO}};
    for (const AccessKey& k : form) {
        SCOPED_TRACE(std::string("Alt+") + k.key);
        PressKey(k.key, {VK_MENU});
        EXPECT_EQ(app.WaitForFocus(k.control), k.control);
    }
    // The text of an edit box taken with its key is selected.
    DWORD_PTR selection = 0;
    SendMessageTimeoutW(app.Control(IDC_EDT_NAZWISKO), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
    EXPECT_EQ(selection, MAKELONG(0, 12));
    // "&Pomoc" once the focus is on NIP; after its box the focus is back on
    // the button.
    PressKey('P', {VK_MENU});
    ASSERT_EQ(app.WaitForFocus(IDC_EDT_NIP), IDC_EDT_NIP);
    PressKey('P', {VK_MENU});
    auto boxes = app.Boxes(1, AnswerYes);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("verad.hlp"), std::string::npos);
    EXPECT_EQ(app.WaitForFocus(IDC_BTN_POMOC), IDC_BTN_POMOC);

    const int page2[] = {IDC_EDT_NAZWISKO, IDC_EDT_ORGANIZACJA, IDC_EDT_ULICA, IDC_EDT_KOD, IDC_EDT_MIASTO,
                         IDC_EDT_NIP, IDC_EDT_TELEFON, IDC_EDT_EMAIL, IDC_EDT_UWAGI, IDC_EDT_RACHUNEK,
                         IDC_LST_DOSTAWA, IDC_LST_PROGRAMY, IDC_BTN_LOAD_PRODUCTS, IDC_BTN_CENNIK,
                         IDC_TOOLBARBUTTON971, IDC_BTN_POMOC, IDC_BTN_WSTECZ, IDC_BTN_DALEJ};
    auto goRound = [&app](const int* order, size_t n, int start) {
        size_t at = static_cast<size_t>(std::find(order, order + n, start) - order);
        ASSERT_LT(at, n);
        for (size_t i = 1; i <= n; ++i) {
            int id = order[(at + i) % n];
            PressKey(VK_TAB);
            ASSERT_EQ(app.WaitForFocus(id), id) << "Tab " << i;
        }
        for (size_t i = 1; i <= n; ++i) {
            int id = order[(at + n - i) % n];
            PressKey(VK_TAB, {VK_SHIFT});
            ASSERT_EQ(app.WaitForFocus(id), id) << "Shift+Tab " << i;
        }
    };
    goRound(page2, std::size(page2), IDC_BTN_POMOC);

    // Space checks the first program, Enter takes one seat; Alt+D goes on.
    PressKey('Z', {VK_MENU});
    ASSERT_EQ(app.WaitForFocus(IDC_LST_PROGRAMY), IDC_LST_PROGRAMY);
    PressKey(VK_HOME);
    PressKey(VK_SPACE);
    ASSERT_NE(app.WaitForDialog(L"Ilo\u015b\u0107 zamawianych licencji"), nullptr);
    PressKey(VK_RETURN);
    app.Idle(300);
    EXPECT_EQ(app.ProgramLines()[0], L"Orvel 2000 PRO - na 1  stanowisk(o)");
    EXPECT_TRUE(app.Checked(0));
    EXPECT_EQ(app.WaitForFocus(IDC_LST_PROGRAMY), IDC_LST_PROGRAMY);
    PressKey('D', {VK_MENU});
    ASSERT_TRUE(app.WaitForPage(IDC_TAB_3));

    // The summary: "Adr&es", "Po&rt" and the check box "pro&xy".
    PressKey('E', {VK_MENU});
    EXPECT_EQ(app.WaitForFocus(IDC_EDT_PROXY), IDC_EDT_PROXY);
    PressKey('R', {VK_MENU});
    EXPECT_EQ(app.WaitForFocus(IDC_EDT_PORT), IDC_EDT_PORT);
    PressKey('X', {VK_MENU});
    EXPECT_EQ(app.WaitForFocus(IDC_CHK_PROXY), IDC_CHK_PROXY);
    EXPECT_EQ(SendMessageW(app.Control(IDC_CHK_PROXY), BM_GETCHECK, 0, 0), BST_CHECKED);
    const int page3[] = {IDC_MEM_TENDRA, IDC_CHK_PROXY, IDC_EDT_PROXY, IDC_EDT_PORT, IDC_CHK_NOCACHE,
                         IDC_BTN_POMOC,  IDC_BTN_WSTECZ, IDC_BTN_AKCEPT};
    goRound(page3, std::size(page3), IDC_CHK_PROXY);
    // Escape in the letter leaves the page as it is.
    PressKey(VK_TAB, {VK_SHIFT});
    ASSERT_EQ(app.WaitForFocus(IDC_MEM_TENDRA), IDC_MEM_TENDRA);
    PressKey(VK_ESCAPE);
    app.Idle(300);
    EXPECT_TRUE(app.Visible(IDC_MEM_TENDRA));
    EXPECT_EQ(app.BoxCount(), 1u);

    PressKey('W', {VK_MENU});
    EXPECT_TRUE(app.WaitForPage(IDC_TAB_2));
    ASSERT_TRUE(app.Close(true));
}

TEST_F(TendraE2e, StartsWithDamagedStoredData) {
    SetCustomerDword(stored::kDelivery, 1);  // not a string: the default
    SetCustomerValue(stored::kInvoice, L"0x1");
    SetCustomerValue(stored::kProforma, L"\u017c\u00f3\u0142w");
    SetCustomerValue(stored::kName, std::wstring(3000, L'x'));
    std::mt19937 rng(11);
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>(rng()));
    WriteFile(InfoTxt(), junk);

    TendraApp app(dir.Path().string(), server.http.BaseUrl());
    ASSERT_NE(app.Main(), nullptr);
    EXPECT_EQ(app.Text(IDC_LST_DOSTAWA),
              L"na CD-ROM (+15 z\u0142), zap\u0142ata za pobraniem (+10z\u0142) = +25 z\u0142");
    EXPECT_EQ(app.Text(IDC_EDT_RACHUNEK), L"bez rachunku");
    EXPECT_EQ(app.Text(IDC_EDT_NAZWISKO).size(), 3000u);
    EXPECT_FALSE(app.ProgramLines().empty());
    app.Click(IDC_BTN_DALEJ);
    EXPECT_TRUE(app.WaitForPage(IDC_TAB_2));
    // Help without its file: a notice, not a crash.
    app.Click(IDC_BTN_POMOC);
    auto boxes = app.Boxes(1, AnswerYes);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("verad.hlp"), std::string::npos);
    EXPECT_TRUE(app.Running());
    ASSERT_TRUE(app.Close(true));
    EXPECT_EQ(CustomerValue(stored::kDelivery), L"3");
    EXPECT_EQ(CustomerValue(stored::kInvoice), L"1");
}

}  // namespace
}  // namespace tendra::e2e
