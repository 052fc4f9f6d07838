#pragma once
// A small Rich Text Format reader for QTextDocument: the subset that the help
// document and ordinary word processors' simple documents use (fonts, colours,
// bold/italic/underline, sizes, paragraph alignment, indents and spacing,
// bulleted paragraphs, \'hh and \uN escapes). Everything else is skipped.
// What the document holds beyond Qt's own formats: rtfdocument.h.

#include <QByteArray>
#include <QString>

#include "rtfdocument.h"

class QTextDocument;

namespace rtf {

// Limits that keep hostile input harmless.
inline constexpr int kMaxDepth = 100;             // deeper groups are skipped whole
inline constexpr long long kMaxParameter = 1000000000; // |N| of a control word

// True when the text is Rich Text Format, that is, starts with "{\rtf".
bool isRtf(const QByteArray& data);

// Replaces the document's content with the Rich Text. Returns false, leaving
// the document untouched, when the text is not Rich Text.
bool read(const QByteArray& data, QTextDocument& document);

// Loads Rich Text, or the text as plain code page 1252 text when it is not
// Rich Text.
void load(const QByteArray& data, QTextDocument& document);

// Loads a file (or Qt resource) in the same way. Throws std::runtime_error
// with "Error al recuperar un "Stream"" when the file cannot be read.
void loadFile(const QString& path, QTextDocument& document);

} // namespace rtf
