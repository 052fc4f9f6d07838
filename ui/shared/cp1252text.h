#pragma once
// Code page 1252 at the windows' edge: between the catalogue's bytes and Qt strings.

#include <QString>
#include <string>
#include <string_view>

namespace ui {

QString fromCp1252(std::string_view bytes);

// Each character that code page 1252 cannot hold becomes `replacement`
// (the search box never lets such characters in).
std::string toCp1252(const QString& text, char replacement = '?');

// Whether code page 1252 holds the character.
bool inCp1252(QChar ch);

// The capital of a character by code page 1252 ("ñ" gives "Ñ", "ÿ" gives "Ÿ");
// characters outside code page 1252 are returned unchanged.
QChar upperCp1252(QChar ch);

} // namespace ui
