#include "rtfdocument.h"

#include <QTextBlock>
#include <QTextList>

namespace rtf {

QString listMarker(const QTextBlock& block)
{
    const QTextList* list = block.textList();
    if (!list)
        return {};
    const auto style = list->format().style();
    if (style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
        || style == QTextListFormat::ListSquare)
        return QStringLiteral("\u2022");
    return list->itemText(block);
}

} // namespace rtf
