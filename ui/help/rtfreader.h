#pragma once
// A small Rich Text Format reader for QTextDocument: the subset that the help
// document and ordinary word processors' simple documents use (fonts, colours,
// bold/italic/underline, sizes, paragraph alignment, indents and spacing,
// bulleted paragraphs, \'hh and \uN escapes). Everything else is skipped.

#include <QByteArray>
#include <QString>
#include <QTextFormat>

class QColor;
class QPainter;
class QRectF;
class QTextBlock;
class QTextDocument;

namespace rtf {

// Limits that keep hostile input harmless.
inline constexpr int kMaxDepth = 100;             // deeper groups are skipped whole
inline constexpr long long kMaxParameter = 1000000000; // |N| of a control word

// Twips (1/20 point) per document pixel: the document works in pixels of a
// 96 dpi device, 15 twips each.
inline constexpr double kTwipsPerPixel = 15.0;

// Block properties that keep what Qt's block format cannot say.
// A list paragraph is laid out as word processors do: its marker stands at
// the first-line offset (pixels from the left margin, usually negative, the
// \fi of the paragraph) and the text of its first line starts at the left
// margin, as after a tab to the hanging indent. The list adds no indent of
// its own and Qt draws no marker: drawListMarkers() does.
inline constexpr int kListMarkerIndent = QTextFormat::UserProperty + 1;
// The paragraph's own space before (pixels) where the top margin also holds
// the previous paragraph's space after: word processors add the two, Qt
// would take the larger.
inline constexpr int kSpaceBefore = QTextFormat::UserProperty + 2;

// The marker text of a list paragraph ("•" or "1."); empty for others.
QString listMarker(const QTextBlock& block);

// Draws the markers of the list paragraphs that meet the clip rectangle, in
// document coordinates, in the colour of the paragraph's text (`text` where
// it has none).
void drawListMarkers(QPainter& painter, const QTextDocument& document, const QRectF& clip, const QColor& text);

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
