#include "orderform/letter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/testutil/lettertext.h"

namespace tendra {
namespace {

OrderData FullOrder() {
    OrderData d;
    d.name = L"Jan Kowalski";
    d.organisation = L"Firma Łódź Sp. z o.o.";
    d.street = L"ul. Długa 5";
    d.postcode = L"90-001";
    d.city = L"Łódź";
    d.nip = L"123-456-78-90";
    d.phone = L"42 123 45 67";
    d.email = L"jan@example.pl";
    d.remarks = L"Proszę o szybką wysyłkę";
    d.delivery = L"Internetem, zapłata przelewem (+4zł)";
    d.invoice = 0;
    d.programs = {L"Tamsin - na 12  stanowisk(o)", L"Quella", L"Glimmerbox - na 3  stanowisk(o)"};
    d.date = L"2026-12-07";
    return d;
}

std::size_t Find(const Letter& l, const std::wstring& text) {
    auto it = std::find_if(l.begin(), l.end(), [&](const Paragraph& p) { return p.text == text; });
    return static_cast<std::size_t>(it - l.begin());
}

// The expected letter for FullOrder, paragraph by paragraph.
TEST(OrderLetter, FullOrderGivesEveryParagraphInOrderWithItsFormat) {
    const Letter l = BuildOrderLetter(FullOrder());
    struct Want {
        std::wstring text;
        Align align;
        bool bold, italic, underline, bullet;
        int size;
    };
    const Align L = Align::Left, R = Align::Right, C = Align::Centre;
    const std::vector<Want> want = {
        {L"", R, 0, 0, 0, 0, 0},
        {L"", R, 0, 0, 0, 0, 0},
        {L"Łódź, 2026-12-07", R, 0, 0, 0, 0, 0},
        {L"", L, 0, 0, 0, 0, 0},
        {L"", L, 0, 0, 0, 0, 0},
        {L"Zamawiający: ", L, 0, 0, 0, 0, 0},
        {L"Jan Kowalski", L, 1, 0, 0, 0, 0},
        {L"Firma Łódź Sp. z o.o.", L, 1, 0, 0, 0, 0},
        {L"ul. Długa 5", L, 1, 0, 0, 0, 0},
        {L"90-001 Łódź", L, 1, 0, 0, 0, 0},
        {L"Tel/fax: 42 123 45 67", L, 1, 0, 0, 0, 0},
        {L"E-mail: jan@example.pl", L, 1, 0, 0, 0, 0},
        {L"NIP: 123-456-78-90", L, 1, 0, 0, 0, 0},
        {L"", R, 0, 0, 0, 0, 0},
        {L"Dla: ", R, 0, 0, 0, 0, 0},
        {kSellerLines[0], R, 1, 0, 0, 0, 0},
        {kSellerLines[1], R, 1, 0, 0, 0, 0},
        {kSellerLines[2], R, 1, 0, 0, 0, 0},
        {kSellerLines[3], R, 1, 0, 0, 0, 0},
        {L"", R, 1, 0, 0, 0, 0},
        {L"", R, 1, 0, 0, 0, 0},
        {L"", R, 1, 0, 0, 0, 0},
        {L"Zamówienie programów Kestrin Software", C, 1, 0, 1, 0, 4},
        {L"", L, 0, 0, 0, 0, 0},
        {L"", L, 0, 0, 0, 0, 0},
        {L"", L, 0, 0, 0, 0, 0},
        {L"Na podstawie cennika programów Kestrin Software z dnia 2026-12-07, z którym zapoznałem się "
         L"używając programu do zamówień, zamawiam wymienione niżej programy w podanej liczbie i typie licencji:",
         L, 0, 0, 0, 0, 0},
        {L"", L, 0, 0, 0, 0, 0},
        {L"Tamsin - na 12  stanowisk(o)", L, 0, 0, 0, 1, 0},
        {L"Quella", L, 0, 0, 0, 1, 0},
        {L"Glimmerbox - na 3  stanowisk(o)", L, 0, 0, 0, 1, 0},
        {L"", L, 0, 0, 0, 0, 0},
        {L"Zamówione programy proszę dostarczyć Internetem, zapłata przelewem (+4zł) Na zamawiane programy "
         L"chciałbym otrzymać rachunek uproszczony. ",
         L, 0, 0, 0, 0, 0},
        {L"", L, 0, 0, 0, 0, 0},
        {L"", L, 0, 0, 0, 0, 0},
        {L"Prawdziwość powyższych danych potwierdzam własnoręcznym podpisem i (ew.) pieczęcią", L, 0, 0, 0, 0, 0},
        {L"", L, 0, 0, 0, 0, 0}, {L"", L, 0, 0, 0, 0, 0}, {L"", L, 0, 0, 0, 0, 0},
        {L"", L, 0, 0, 0, 0, 0}, {L"", L, 0, 0, 0, 0, 0}, {L"", L, 0, 0, 0, 0, 0},
        {std::wstring(58, L'.'), C, 0, 0, 0, 0, 0},
        {L"własnoręczny podpis i ew. pieczęć", C, 0, 0, 0, 0, 0},
        {L"", C, 0, 0, 0, 0, 0},
        {L"", C, 0, 0, 0, 0, 0},
        {L"Uwagi dotyczące zamówienia:", L, 0, 1, 0, 0, 0},
        {L"Proszę o szybką wysyłkę", L, 0, 1, 0, 0, 0},
    };
    ASSERT_EQ(l.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(l[i].text, want[i].text);
        EXPECT_EQ(l[i].align, want[i].align);
        EXPECT_EQ(l[i].bold, want[i].bold);
        EXPECT_EQ(l[i].italic, want[i].italic);
        EXPECT_EQ(l[i].underline, want[i].underline);
        EXPECT_EQ(l[i].bullet, want[i].bullet);
        EXPECT_EQ(l[i].sizeDelta, want[i].size);
    }
    EXPECT_EQ(l[Find(l, std::wstring(58, L'.'))].text.size(), 58u);
}

TEST(OrderLetter, OptionalCustomerLinesOnlyWhenFilled) {
    OrderData d = FullOrder();
    d.organisation.clear();
    d.phone.clear();
    d.nip.clear();
    Letter l = BuildOrderLetter(d);
    // The bold customer block: name, street, postcode with city, e-mail.
    std::vector<std::wstring> bold;
    for (const Paragraph& p : l)
        if (p.bold && p.align == Align::Left) bold.push_back(p.text);
    EXPECT_EQ(bold, (std::vector<std::wstring>{L"Jan Kowalski", L"ul. Długa 5", L"90-001 Łódź",
                                                L"E-mail: jan@example.pl"}));
    for (const Paragraph& p : l) {
        EXPECT_NE(p.text.rfind(L"Tel/fax:", 0), 0u);
        EXPECT_NE(p.text.rfind(L"NIP:", 0), 0u);
    }
    d.email.clear();
    l = BuildOrderLetter(d);
    EXPECT_EQ(Find(l, L"E-mail: "), l.size());
    EXPECT_EQ(BuildOrderLetter(FullOrder()).size() - 4, l.size());
}

TEST(OrderLetter, EmptyRemarksStillGiveTheHeadingAndMultilineRemarksStayOneParagraph) {
    OrderData d = FullOrder();
    d.remarks.clear();
    Letter l = BuildOrderLetter(d);
    ASSERT_GE(l.size(), 2u);
    EXPECT_EQ(l[l.size() - 2].text, L"Uwagi dotyczące zamówienia:");
    EXPECT_TRUE(l.back().italic);
    EXPECT_EQ(l.back().text, L"");
    d.remarks = L"linia 1\r\nlinia 2";
    l = BuildOrderLetter(d);
    EXPECT_EQ(l.back().text, L"linia 1\r\nlinia 2");
}

TEST(OrderLetter, InvoiceChoiceAndDeliveryText) {
    OrderData d = FullOrder();
    d.delivery = L"na CD-ROM (+15 zł), zapłata za pobraniem (+10zł) = +25 zł";
    d.invoice = 1;
    Letter l = BuildOrderLetter(d);
    const std::wstring want = L"Zamówione programy proszę dostarczyć na CD-ROM (+15 zł), zapłata za pobraniem (+10zł) "
                              L"= +25 zł Na zamawiane programy nie potrzebuję rachunku. ";
    EXPECT_LT(Find(l, want), l.size());
    // An index outside the list names no invoice at all rather than a wrong one.
    d.invoice = -1;
    l = BuildOrderLetter(d);
    EXPECT_LT(Find(l, L"Zamówione programy proszę dostarczyć na CD-ROM (+15 zł), zapłata za pobraniem (+10zł) = +25 zł "),
              l.size());
}

TEST(OrderLetter, ProgramsAreBulletedInOrderAndNothingElseIs) {
    OrderData d = FullOrder();
    d.programs = {L"B", L"A", L"C", L"A"};
    Letter l = BuildOrderLetter(d);
    std::vector<std::wstring> bullets;
    for (const Paragraph& p : l)
        if (p.bullet) bullets.push_back(p.text);
    EXPECT_EQ(bullets, d.programs);
    d.programs.clear();
    l = BuildOrderLetter(d);
    EXPECT_TRUE(std::none_of(l.begin(), l.end(), [](const Paragraph& p) { return p.bullet; }));
}

TEST(OrderLetter, DateAppearsInThePlaceLineAndThePriceListSentence) {
    OrderData d = FullOrder();
    d.date = L"07.12.2026";
    const Letter l = BuildOrderLetter(d);
    EXPECT_EQ(l[2].text, L"Łódź, 07.12.2026");
    const std::wstring plain = gmbx::testutil::LetterPlainText(l, L"\n");
    EXPECT_NE(plain.find(L"z dnia 07.12.2026, z którym"), std::wstring::npos);
    EXPECT_EQ(plain.substr(0, 2), L"\n\n");
}

}  // namespace
}  // namespace tendra
