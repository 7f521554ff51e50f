// The order letter: the paragraphs of the printable order, built from what the
// customer typed into the form. Portable: the Windows side shows it in the
// rich-edit box (win/letterview) and prints it (win/letterprint).
#pragma once

#include <string>
#include <vector>

namespace tendra {

// What the form holds when the summary page is entered.
struct OrderData {
    std::wstring name, organisation, street, postcode, city, nip, phone, email, remarks;
    std::wstring delivery;               // text of the chosen LST_Dostawa item
    int invoice = 0;                     // EDT_Rachunek index: 0 or 1
    std::vector<std::wstring> programs;  // checked LST_Programy lines, in list order
    std::wstring date;                   // today in the system's short date format (the caller formats it)
};

enum class Align { Left, Centre, Right };

// One paragraph of the letter. Line breaks inside `text` ('\n' or "\r\n")
// are breaks within the paragraph; an empty text is an empty line.
struct Paragraph {
    std::wstring text;
    Align align = Align::Left;
    bool bold = false, italic = false, underline = false, bullet = false;
    int sizeDelta = 0;                   // points added to the base font size
};

using Letter = std::vector<Paragraph>;

// The seller the letter is addressed to.
extern const wchar_t* const kSellerLines[4];

Letter BuildOrderLetter(const OrderData& data);

}  // namespace tendra
