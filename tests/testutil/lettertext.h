// The order letter as plain text, paragraphs separated by `separator` (what
// the rich-edit box shows), for comparisons in tests.
#pragma once
#include <string>

#include "orderform/letter.h"

namespace gmbx::testutil {

inline std::wstring LetterPlainText(const tendra::Letter& letter, const std::wstring& separator) {
    std::wstring text;
    for (std::size_t i = 0; i < letter.size(); ++i) {
        if (i) text += separator;
        text += letter[i].text;
    }
    return text;
}

}  // namespace gmbx::testutil
