// The core keeps its texts as UTF-8 bytes; Qt wants QString.
#pragma once

#include <QString>
#include <string_view>

namespace palvoren {

inline QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace palvoren
