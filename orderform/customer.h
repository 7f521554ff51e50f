// The customer data stored between runs (registry values, all strings) and
// how a stored number is read back.
#pragma once
#include <string>

namespace tendra {

// The registry key below HKEY_CURRENT_USER.
extern const wchar_t kCustomerKey[];

// Names of the stored values.
namespace stored {
extern const wchar_t kDelivery[];   // "Sposob dostawy"
extern const wchar_t kInvoice[];    // "Rodzaj rachunku"
extern const wchar_t kProforma[];   // "Faktura proforma"
extern const wchar_t kName[], kOrganisation[], kStreet[], kPostcode[], kCity[], kNip[], kPhone[], kEmail[],
    kRemarks[];
}  // namespace stored

constexpr int kDefaultDelivery = 3;
constexpr int kDefaultInvoice = 0;

// A stored number: decimal (optional sign) or "0x" hexadecimal, nothing else
// around it; anything unreadable or out of the int range gives `def`.
int ParseStoredNumber(const std::wstring& text, int def);
// A stored list index: like ParseStoredNumber, and `def` also when the
// number is not an index of a list of `count` items.
int ParseStoredIndex(const std::wstring& text, int def, int count);
// A stored boolean check mark: a number, non-zero meaning checked.
bool ParseStoredFlag(const std::wstring& text, bool def);

}  // namespace tendra
