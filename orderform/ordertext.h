// The form text of an order post ("application/x-www-form-urlencoded" in
// name only: spaces become "+", Polish letters their plain Latin ones, and
// nothing else is escaped, which is what the order scripts expect).
#pragma once
#include <string>
#include <vector>

namespace tendra {

struct OrderForm {
    std::wstring name, organisation, street, postcode, city, email, nip, phone;
    std::wstring invoice;   // text of the chosen invoice item
    std::wstring delivery;  // text of the chosen delivery item
    std::wstring remarks;
    std::vector<std::wstring> programs;  // checked program lines, in list order
};

// The fields of one checked program line ("&CHK_Tam=Tamsin" and, when the
// line has a seat count, "&Liczba_licencji_Tamsin=12"); empty when the line
// names none of the programs that can be ordered.
std::string ProgramFields(const std::wstring& line);

// "--", CR LF, "KS Obsługa zamówień v3.0 przez serwer " and the host, in
// Windows-1250.
std::string ServerSignature(const std::string& host);

// The whole body of the post to the server with the given signature.
std::string BuildOrderPost(const OrderForm& form, const std::string& signature);

// Spaces to "+" and the Polish letters of Windows-1250 to Latin ones.
std::string PlainPostText(const std::string& cp1250);

}  // namespace tendra
