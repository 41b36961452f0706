#pragma once

#include <QString>
#include <string>

namespace perivant {

// The core's texts are Windows-1252 bytes; widgets show and take Unicode.
QString ToQString(const std::string& text);
std::string FromQString(const QString& text);

}  // namespace perivant
