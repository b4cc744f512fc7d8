// Between the program's UTF-16 texts and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

inline QString Q(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string U16(const QString& text) { return text.toStdU16String(); }
