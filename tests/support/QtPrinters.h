// Readable test failure messages for Qt strings.
#pragma once

#include <QString>
#include <ostream>
#include <string>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
