#include "orderform/letter.h"

namespace tendra {

const wchar_t* const kSellerLines[4] = {
    L"Tomasz Zieliński",
    L"Kestrin Software",
    L"ul. Słoneczna 14",
    L"80-243 Gdańsk",
};

namespace {

// Appends paragraphs that share one format.
class LetterWriter {
public:
    explicit LetterWriter(Letter& out) : out_(out) {}

    LetterWriter& Format(Align align, bool bold = false, bool italic = false, bool underline = false,
                         int sizeDelta = 0) {
        format_ = Paragraph();
        format_.align = align;
        format_.bold = bold;
        format_.italic = italic;
        format_.underline = underline;
        format_.sizeDelta = sizeDelta;
        return *this;
    }
    LetterWriter& Bullets(bool on) {
        format_.bullet = on;
        return *this;
    }
    LetterWriter& Bold(bool on) {
        format_.bold = on;
        return *this;
    }
    LetterWriter& Add(std::wstring text) {
        Paragraph p = format_;
        p.text = std::move(text);
        out_.push_back(std::move(p));
        return *this;
    }
    LetterWriter& Empty(int count = 1) {
        for (int i = 0; i < count; ++i) Add(std::wstring());
        return *this;
    }
    LetterWriter& AddIfFilled(const wchar_t* label, const std::wstring& value) {
        if (!value.empty()) Add(label + value);
        return *this;
    }

private:
    Letter& out_;
    Paragraph format_;
};

}  // namespace

Letter BuildOrderLetter(const OrderData& d) {
    Letter letter;
    LetterWriter w(letter);

    // Place and date.
    w.Format(Align::Right).Empty(2).Add(d.city + L", " + d.date);

    // The customer.
    w.Format(Align::Left).Empty(2).Add(L"Zamawiający: ");
    w.Format(Align::Left, /*bold=*/true).Add(d.name);
    w.AddIfFilled(L"", d.organisation);
    w.Add(d.street).Add(d.postcode + L" " + d.city);
    w.AddIfFilled(L"Tel/fax: ", d.phone).AddIfFilled(L"E-mail: ", d.email).AddIfFilled(L"NIP: ", d.nip);

    // The seller; three blank lines below the address.
    w.Format(Align::Right).Empty().Add(L"Dla: ");
    w.Bold(true);
    for (const wchar_t* line : kSellerLines) w.Add(line);
    w.Empty(3);

    w.Format(Align::Centre, /*bold=*/true, /*italic=*/false, /*underline=*/true, /*sizeDelta=*/4)
        .Add(L"Zamówienie programów Kestrin Software");

    w.Format(Align::Left).Empty(3).Add(
        L"Na podstawie cennika programów Kestrin Software z dnia " + d.date +
        L", z którym zapoznałem się używając programu do zamówień, "
        L"zamawiam wymienione niżej programy w podanej liczbie i typie licencji:");

    w.Empty().Bullets(true);
    for (const std::wstring& program : d.programs) w.Add(program);
    w.Bullets(false);

    std::wstring invoice;
    if (d.invoice == 0)
        invoice = L"Na zamawiane programy chciałbym otrzymać rachunek uproszczony. ";
    else if (d.invoice == 1)
        invoice = L"Na zamawiane programy nie potrzebuję rachunku. ";
    w.Empty().Add(L"Zamówione programy proszę dostarczyć " + d.delivery + L" " + invoice);

    w.Empty(2)
        .Add(L"Prawdziwość powyższych danych potwierdzam własnoręcznym podpisem i (ew.) pieczęcią")
        .Empty(6);

    w.Format(Align::Centre)
        .Add(std::wstring(58, L'.'))
        .Add(L"własnoręczny podpis i ew. pieczęć")
        .Empty(2);

    w.Format(Align::Left, /*bold=*/false, /*italic=*/true).Add(L"Uwagi dotyczące zamówienia:").Add(d.remarks);
    return letter;
}

}  // namespace tendra
