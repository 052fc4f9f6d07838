#pragma once
// A small Rich Text Format writer for QTextDocument, the counterpart of
// rtfreader.h: fonts, colours, bold/italic/underline, sizes, alignment,
// indents, spacing and bulleted or numbered paragraphs, in code page 1252
// with \uN for the characters that the code page cannot hold.

#include <QByteArray>
#include <QString>

class QTextCursor;
class QTextDocument;
class QTextDocumentFragment;

namespace rtf {

// The characters from..to of the document (to < 0: to its end). Every
// paragraph whose end lies in the range ends with \par; the whole document
// ends with one after its last paragraph.
QByteArray write(const QTextDocument& document, int from = 0, int to = -1);

// The selection of a cursor, and a fragment.
QByteArray write(const QTextCursor& selection);
QByteArray write(const QTextDocumentFragment& fragment);

// The same range as plain text: paragraphs separated by "\n", list items
// preceded by their bullet ("• ") or number ("1. "), line breaks as "\n".
QString plainText(const QTextDocument& document, int from = 0, int to = -1);
QString plainText(const QTextCursor& selection);

} // namespace rtf
