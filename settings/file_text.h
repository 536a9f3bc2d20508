// Texts in the settings file are in the system's code page: UTF-8 here, the ANSI code page on
// Windows (Shift-JIS on Japanese Windows), so that files move between the platform's own programs
// and this one. The program itself works in UTF-8; these two convert at the file's edge.
#pragma once

#include <string>
#include <string_view>

namespace palvoren {

// A value as the file holds it, in UTF-8. Bytes that do not decode are left for the caller to
// show as it can; nothing is dropped.
std::string FileTextToUtf8(std::string_view fileText);

// A UTF-8 text as the file is to hold it. A character the code page lacks becomes the code
// page's default character.
std::string Utf8ToFileText(std::string_view utf8);

}  // namespace palvoren
