#include "cp1252text.h"

#include "cp1252.h"

namespace ui {

QString fromCp1252(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char byte : bytes)
        text.append(QChar(static_cast<char16_t>(catalogue::cp1252::toUnicode(static_cast<unsigned char>(byte)))));
    return text;
}

std::string toCp1252(const QString& text, char replacement)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i; // one character outside the code page
        const auto byte = ch.isSurrogate() ? std::nullopt : catalogue::cp1252::fromUnicode(ch.unicode());
        bytes.push_back(byte ? static_cast<char>(*byte) : replacement);
    }
    return bytes;
}

bool inCp1252(QChar ch)
{
    return !ch.isSurrogate() && catalogue::cp1252::fromUnicode(ch.unicode()).has_value();
}

QChar upperCp1252(QChar ch)
{
    if (ch.isSurrogate())
        return ch;
    auto byte = catalogue::cp1252::fromUnicode(ch.unicode());
    if (!byte)
        return ch;
    return QChar(static_cast<char16_t>(catalogue::cp1252::toUnicode(catalogue::cp1252::upper(*byte))));
}

} // namespace ui
