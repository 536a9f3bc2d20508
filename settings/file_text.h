// The program works in UTF-8; the settings file keeps its texts as the system's own programs do:
// in the system's code page (UTF-8 here, the ANSI code page on Windows: Shift-JIS on Japanese
// Windows), or, for a UTF-16 file on Windows, as UTF-16, which reaches the settings code as UTF-8
// (file_io.h). These two convert at the file's edge.
#pragma once

#include <string>
#include <string_view>

#include "settings/file_io.h"

namespace palvoren {

// A value as the file holds it, in UTF-8. Bytes that do not decode are left for the caller to
// show as it can; nothing is dropped.
std::string FileTextToUtf8(std::string_view fileText, TextEncoding encoding);

// A UTF-8 text as the file is to hold it. A character the code page lacks becomes the code
// page's default character.
std::string Utf8ToFileText(std::string_view utf8, TextEncoding encoding);

}  // namespace palvoren
