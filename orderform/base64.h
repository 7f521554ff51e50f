// Base64 in the RFC 2045 alphabet with "=" padding (Basic authorisation).
#pragma once

#include <string>

namespace tendra {

std::string Base64Encode(const std::string& bytes);

} // namespace tendra
