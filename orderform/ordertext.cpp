#include "orderform/ordertext.h"

#include "orderform/cp1250.h"

namespace tendra {
namespace {

struct ProgramRow {
    const char* match;   // lower-case text looked for in the line
    const char* field;   // the program field
    const char* count;   // the name of its seat-count field, with "&" and "="
};

// Tested in this order; the upgrade editions come before the full editions
// whose names they contain.
const ProgramRow kPrograms[] = {
    {"orvel aktualizacja (upgrade) do 2000", "&CHK_Orv_Upgrade=Orvel-Upgrade", "&Liczba_licencji_Orvel_Upgrade="},
    {"brixo aktualizacja (upgrade) do 2000", "&CHK_Brx_Upgrade=Brixo-Upgrade", "&Liczba_licencji_Brixo_Upgrade="},
    {"orvel 2000 pro", "&CHK_Orv=Orvel-2000-PRO", "&Liczba_licencji_Orvel="},
    {"tamsin", "&CHK_Tam=Tamsin", "&Liczba_licencji_Tamsin="},
    {"brixo", "&CHK_Brx=Brixo", "&Liczba_licencji_Brixo="},
    {"quella", "&CHK_Qel=Quella", "&Liczba_licencji_Quella="},
    {"glimmerbox", "&CHK_Glbx=Glimmerbox", "&Liczba_licencji_Glimmerbox="},
};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

}  // namespace

std::string ProgramFields(const std::wstring& line) {
    std::string bytes = ToCp1250(line);
    std::string lower = Lower(bytes);
    for (const ProgramRow& row : kPrograms) {
        if (lower.find(row.match) == std::string::npos) continue;
        std::string fields = row.field;
        size_t at = bytes.find(" - na ");
        if (at != std::string::npos) fields += row.count + Trim(bytes.substr(at + 6, 3));
        return fields;
    }
    return std::string();
}

std::string ServerSignature(const std::string& host) {
    return "--\r\n" + ToCp1250(L"KS Obs\u0142uga zam\u00f3wie\u0144 v3.0 przez serwer ") + host;
}

std::string PlainPostText(const std::string& cp1250) {
    std::string out = cp1250;
    for (char& ch : out) {
        switch (static_cast<unsigned char>(ch)) {
        case ' ': ch = '+'; break;
        case 0x8C: ch = 'S'; break;
        case 0x8F: case 0xAF: ch = 'Z'; break;
        case 0x9C: ch = 's'; break;
        case 0x9F: case 0xBF: ch = 'z'; break;
        case 0xA3: ch = 'L'; break;
        case 0xA5: ch = 'A'; break;
        case 0xB3: ch = 'l'; break;
        case 0xB9: ch = 'a'; break;
        case 0xC6: ch = 'C'; break;
        case 0xCA: ch = 'E'; break;
        case 0xD1: ch = 'N'; break;
        case 0xD3: ch = 'O'; break;
        case 0xE6: ch = 'c'; break;
        case 0xEA: ch = 'e'; break;
        case 0xF1: ch = 'n'; break;
        case 0xF3: ch = 'o'; break;
        default: break;
        }
    }
    return out;
}

std::string BuildOrderPost(const OrderForm& form, const std::string& signature) {
    std::string text;
    for (const std::wstring& line : form.programs) text += ProgramFields(line);
    auto add = [&](const char* field, const std::wstring& value) { text += field + ToCp1250(value); };
    add("&Imie_nazwisko=", form.name);
    if (!form.organisation.empty()) add("&Organizacja=", form.organisation);
    add("&Ulica=", form.street);
    add("&Kod=", form.postcode);
    add("&Miejscowosc=", form.city);
    add("&e-mail=", form.email);
    if (!form.nip.empty()) add("&NIP=", form.nip);
    if (!form.phone.empty()) add("&Telefon=", form.phone);
    add("&Zakup_na=", form.invoice);
    add("&dostawa=", form.delivery);
    add("&Uwagi=", form.remarks);
    text += "\r\n" + signature;
    if (!text.empty() && text[0] == '&') text.erase(0, 1);
    return PlainPostText(text);
}

}  // namespace tendra
