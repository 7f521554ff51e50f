// The form text of an order post.
#include "orderform/ordertext.h"

#include <gtest/gtest.h>

namespace tendra {
namespace {

OrderForm Kowalski() {
    OrderForm f;
    f.name = L"Jan Kowalski";
    f.street = L"Piotrkowska 1";
    f.postcode = L"90-001";
    f.city = L"\u0141\u00f3d\u017a";
    f.email = L"brak@brak";
    f.invoice = L"rachunek uproszcz.";
    f.delivery = L"Internetem, zap\u0142ata przelewem (+4z\u0142)";
    return f;
}

TEST(OrderText, ProgramFieldsFollowTheTableOrder) {
    EXPECT_EQ(ProgramFields(L"Tamsin - na 12  stanowisk(o)"), "&CHK_Tam=Tamsin&Liczba_licencji_Tamsin=12");
    EXPECT_EQ(ProgramFields(L"TAMSIN 3.1"), "&CHK_Tam=Tamsin");
    EXPECT_EQ(ProgramFields(L"Orvel aktualizacja (upgrade) do 2000 - na 500  stanowisk(o)"),
              "&CHK_Orv_Upgrade=Orvel-Upgrade&Liczba_licencji_Orvel_Upgrade=500");
    EXPECT_EQ(ProgramFields(L"Brixo aktualizacja (upgrade) do 2000"), "&CHK_Brx_Upgrade=Brixo-Upgrade");
    EXPECT_EQ(ProgramFields(L"Orvel 2000 PRO - na 1  stanowisk(o)"),
              "&CHK_Orv=Orvel-2000-PRO&Liczba_licencji_Orvel=1");
    EXPECT_EQ(ProgramFields(L"Glimmerbox 2"), "&CHK_Glbx=Glimmerbox");
    EXPECT_EQ(ProgramFields(L"Zupe\u0142nie inny program - na 4  stanowisk(o)"), "");
    EXPECT_EQ(ProgramFields(L"Quella - na "), "&CHK_Qel=Quella&Liczba_licencji_Quella=");
}

TEST(OrderText, FieldsInOrderWithPlainLettersAndSignature) {
    OrderForm f = Kowalski();
    f.programs = {L"Tamsin - na 12  stanowisk(o)", L"Nieznany"};
    f.remarks = L"Pilne";
    std::string sig = ServerSignature("www.kestrin.pl");
    EXPECT_EQ(sig, "--\r\nKS Obs\xB3uga zam\xF3wie\xF1 v3.0 przez serwer www.kestrin.pl");
    EXPECT_EQ(BuildOrderPost(f, sig),
              "CHK_Tam=Tamsin&Liczba_licencji_Tamsin=12&Imie_nazwisko=Jan+Kowalski&Ulica=Piotrkowska+1"
              "&Kod=90-001&Miejscowosc=Lodz&e-mail=brak@brak&Zakup_na=rachunek+uproszcz."
              "&dostawa=Internetem,+zaplata+przelewem+(+4zl)&Uwagi=Pilne\r\n--\r\n"
              "KS+Obsluga+zamowien+v3.0+przez+serwer+www.kestrin.pl");
}

TEST(OrderText, OptionalFieldsAndUnescapedRemarks) {
    OrderForm f = Kowalski();
    f.organisation = L"Firma";
    f.nip = L"123";
    f.phone = L"42 100";
    f.remarks = L"a&b=c%d+e\r\nf";
    std::string body = BuildOrderPost(f, "--\r\nS");
    // No program: the leading "&" of the name field is dropped.
    EXPECT_EQ(body.rfind("Imie_nazwisko=Jan+Kowalski&Organizacja=Firma&Ulica=", 0), 0u) << body;
    EXPECT_NE(body.find("&e-mail=brak@brak&NIP=123&Telefon=42+100&Zakup_na="), std::string::npos) << body;
    EXPECT_NE(body.find("&Uwagi=a&b=c%d+e\r\nf\r\n--\r\nS"), std::string::npos) << body;
    EXPECT_EQ(body.size() - body.rfind("\r\n--\r\nS"), 7u);
}

TEST(OrderText, ReplacesEveryPolishLetterAndNothingElse) {
    std::string in = "\x8C\x8F\x9C\x9F\xA3\xA5\xAF\xB3\xB9\xBF\xC6\xCA\xD1\xD3\xE6\xEA\xF1\xF3 \xE9\x80";
    EXPECT_EQ(PlainPostText(in), "SZszLAZlazCENOceno+\xE9\x80");
}

}  // namespace
}  // namespace tendra
