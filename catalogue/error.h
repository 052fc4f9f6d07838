#pragma once
// Failures of the catalogue layer. Every message is UTF-8 and is the text the
// user sees (the window layer shows it as it stands).

#include <stdexcept>
#include <string>

namespace catalogue {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A data packet that cannot be read ("Mismatch in datapacket.", or a precise
// description of what is wrong and at which offset).
class PacketError : public Error {
public:
    using Error::Error;
};

// A filter text that cannot be parsed, or a field name that does not exist.
class FilterError : public Error {
public:
    using Error::Error;
};

// A field value that is not a whole number (Field::asInteger):
// "'%s' no es un valor entero válido".
class ConversionError : public Error {
public:
    using Error::Error;
};

// A territory table that cannot be read (territory.h): "territorio, línea N:
// …" and what is wrong.
class TerritoryError : public Error {
public:
    using Error::Error;
};

} // namespace catalogue
