// What the order form keeps between runs: the customer data in the registry
// and the program list in the scrambled "info.txt" beside the program.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace tendra {

// "info.txt" in the folder of the running program.
std::wstring ProgramListPath();

// The stored program list; false when there is none or it cannot be read
// (then `lines` is left alone).
bool LoadProgramList(const std::wstring& path, std::vector<std::wstring>& lines);
// Writes the list scrambled, replacing the file in one step; false on error.
bool SaveProgramList(const std::wstring& path, const std::vector<std::wstring>& lines);

// String values of the customer key; values that are missing or not
// strings are left out.
std::map<std::wstring, std::wstring> ReadCustomerValues();
// Writes the values (all as strings); false when the key cannot be written.
bool WriteCustomerValues(const std::map<std::wstring, std::wstring>& values);

}  // namespace tendra
