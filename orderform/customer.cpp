#include "orderform/customer.h"

#include <climits>
#include <cstdint>

namespace tendra {

const wchar_t kCustomerKey[] =
    L"Software\\Kestrin Software\\Obs\u0142uga zam\u00f3wie\u0144\\3.0\\Dane zamawiajacego";

namespace stored {
const wchar_t kDelivery[] = L"Sposob dostawy";
const wchar_t kInvoice[] = L"Rodzaj rachunku";
const wchar_t kProforma[] = L"Faktura proforma";
const wchar_t kName[] = L"Nazwisko";
const wchar_t kOrganisation[] = L"Organizacja";
const wchar_t kStreet[] = L"Ulica";
const wchar_t kPostcode[] = L"Kod";
const wchar_t kCity[] = L"Miasto";
const wchar_t kNip[] = L"NIP";
const wchar_t kPhone[] = L"Telefon";
const wchar_t kEmail[] = L"Email";
const wchar_t kRemarks[] = L"Uwagi";
}  // namespace stored

namespace {

int Digit(wchar_t c, int base) {
    int d = -1;
    if (c >= L'0' && c <= L'9') d = c - L'0';
    else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
    return d < base ? d : -1;
}

}  // namespace

int ParseStoredNumber(const std::wstring& text, int def) {
    size_t i = 0;
    bool negative = false;
    int base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        i = 2;
    } else if (!text.empty() && (text[0] == L'-' || text[0] == L'+')) {
        negative = text[0] == L'-';
        i = 1;
    }
    if (i >= text.size()) return def;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        int d = Digit(text[i], base);
        if (d < 0) return def;
        value = value * base + d;
        // Hexadecimal may name the bit pattern of a negative int.
        if (value > (base == 16 ? int64_t{UINT32_MAX} : int64_t{INT_MAX} + 1)) return def;
    }
    if (base == 16) return static_cast<int>(static_cast<uint32_t>(value));
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return def;
    return static_cast<int>(value);
}

int ParseStoredIndex(const std::wstring& text, int def, int count) {
    int v = ParseStoredNumber(text, def);
    return v >= 0 && v < count ? v : def;
}

bool ParseStoredFlag(const std::wstring& text, bool def) { return ParseStoredNumber(text, def ? 1 : 0) != 0; }

}  // namespace tendra
