#pragma once
// What a document read from Rich Text carries beyond Qt's own formats, shared
// by the reader, the writer and the views that draw such a document.

#include <QString>
#include <QTextFormat>

class QTextBlock;

namespace rtf {

// Twips (1/20 point) per document pixel: the document works in pixels of a
// 96 dpi device, 15 twips each.
inline constexpr double kTwipsPerPixel = 15.0;

// Block properties that keep what Qt's block format cannot say.
// A list paragraph is laid out as word processors do: its marker stands at
// the first-line offset (pixels from the left margin, usually negative, the
// \fi of the paragraph) and the text of its first line starts at the left
// margin, as after a tab to the hanging indent. The list adds no indent of
// its own and Qt draws no marker: the view that shows the document draws it.
inline constexpr int kListMarkerIndent = QTextFormat::UserProperty + 1;
// The paragraph's own space before (pixels) where the top margin also holds
// the previous paragraph's space after: word processors add the two, Qt
// would take the larger.
inline constexpr int kSpaceBefore = QTextFormat::UserProperty + 2;

// The marker text of a list paragraph ("•" or "1."); empty for others.
QString listMarker(const QTextBlock& block);

} // namespace rtf
