#include "rtfwriter.h"

#include "cp1252.h"
#include "rtfdocument.h"

#include <QColor>
#include <QList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextList>

#include <algorithm>
#include <cmath>

namespace rtf {
namespace {

struct Range {
    int from;
    int to;
};

Range clampRange(const QTextDocument& document, int from, int to)
{
    const int end = document.characterCount() - 1; // the final paragraph mark
    if (to < 0 || to > end)
        to = end;
    from = std::clamp(from, 0, to);
    return {from, to};
}

QString familyOf(const QTextCharFormat& f, const QTextDocument& document)
{
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.front().isEmpty())
        return families.front();
    return document.defaultFont().family();
}

int halfPointsOf(const QTextCharFormat& f, const QTextDocument& document)
{
    double pt = f.fontPointSize();
    if (pt <= 0)
        pt = document.defaultFont().pointSizeF();
    if (pt <= 0)
        pt = 12;
    return std::clamp(static_cast<int>(std::lround(pt * 2)), 2, 2000);
}

// Whether a paragraph belongs to the range: a range that ends where a
// paragraph starts holds nothing of it (not even its marker), unless the range
// is empty or runs to the end of the document.
bool inRange(const QTextBlock& block, const QTextBlock& first, Range r, bool toEnd)
{
    return block.position() < r.to || block == first || (toEnd && block.position() <= r.to);
}

int twips(double pixels) { return static_cast<int>(std::lround(pixels * kTwipsPerPixel)); }

// Appends text with RTF escapes.
void appendText(QByteArray& out, QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c == 0x2028 || c == u'\n' || c == 0x2029) {
            out += "\\line ";
        } else if (c == 0x00A0) {
            out += "\\~";
        } else if (c == 0xFFFC || c < 0x20) {
            // objects and control characters are not written
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (auto b = catalogue::cp1252::fromUnicode(c); b && (*b < 0x80 || *b >= 0xA0 || c != *b)) {
            out += "\\'";
            out += QByteArray::number(*b, 16).rightJustified(2, '0');
        } else {
            out += "\\u";
            out += QByteArray::number(static_cast<int>(static_cast<int16_t>(c)));
            out += '?';
        }
    }
}

} // namespace

QByteArray write(const QTextDocument& document, int from, int to)
{
    const Range r = clampRange(document, from, to);
    const bool toEnd = r.to >= document.characterCount() - 1;

    // Font and colour tables.
    QStringList fonts{document.defaultFont().family()};
    QList<QColor> colors;
    const auto fontIndex = [&](const QString& family) {
        qsizetype i = fonts.indexOf(family);
        if (i < 0) {
            fonts.append(family);
            i = fonts.size() - 1;
        }
        return static_cast<int>(i);
    };
    const auto colorIndex = [&](const QBrush& brush) {
        if (brush.style() == Qt::NoBrush)
            return 0;
        const QColor c = brush.color().toRgb();
        qsizetype i = colors.indexOf(c);
        if (i < 0) {
            colors.append(c);
            i = colors.size() - 1;
        }
        return static_cast<int>(i) + 1;
    };

    QByteArray body;
    const QTextBlock firstBlock = document.findBlock(r.from);
    for (QTextBlock block = firstBlock; block.isValid() && inRange(block, firstBlock, r, toEnd);
         block = block.next()) {
        const QTextBlockFormat bf = block.blockFormat();
        QTextList* list = block.textList();
        body += "\\pard";
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignHCenter)
            body += "\\qc";
        else if (a & Qt::AlignJustify)
            body += "\\qj";
        else if (a & (Qt::AlignRight | Qt::AlignTrailing))
            body += "\\qr";
        double left = bf.leftMargin();
        double first = bf.textIndent();
        if (list && bf.hasProperty(kListMarkerIndent)) {
            first = bf.doubleProperty(kListMarkerIndent);
        } else if (list) {
            // Qt's own list: its indent holds the marker.
            const double listIndent = list->format().indent() * document.indentWidth();
            left += listIndent;
            first = -std::min(listIndent, left);
        }
        const double before = bf.hasProperty(kSpaceBefore) ? bf.doubleProperty(kSpaceBefore) : bf.topMargin();
        const auto value = [&body](const char* word, int v) {
            if (v != 0) {
                body += word;
                body += QByteArray::number(v);
            }
        };
        value("\\li", twips(left));
        value("\\fi", twips(first));
        value("\\ri", twips(bf.rightMargin()));
        value("\\sb", twips(before));
        value("\\sa", twips(bf.bottomMargin()));
        if (list) {
            const bool bullet = listMarker(block) == QStringLiteral("\u2022");
            body += "{\\pntext ";
            appendText(body, listMarker(block));
            body += "\\tab}";
            body += bullet ? "{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\u8226?}}"
                           : "{\\*\\pn\\pnlvlbody\\pndec\\pnindent0{\\pntxta.}}";
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int start = std::max(frag.position(), r.from);
            const int end = std::min(frag.position() + frag.length(), r.to);
            if (start >= end)
                continue;
            const QTextCharFormat cf = frag.charFormat();
            body += "{\\f";
            body += QByteArray::number(fontIndex(familyOf(cf, document)));
            body += "\\fs";
            body += QByteArray::number(halfPointsOf(cf, document));
            if (cf.fontWeight() > QFont::Medium)
                body += "\\b";
            if (cf.fontItalic())
                body += "\\i";
            if (cf.fontUnderline())
                body += "\\ul";
            if (const int c = colorIndex(cf.foreground()); c > 0) {
                body += "\\cf";
                body += QByteArray::number(c);
            }
            if (const int c = colorIndex(cf.background()); c > 0) {
                body += "\\highlight";
                body += QByteArray::number(c);
            }
            body += ' ';
            const QString text = frag.text();
            appendText(body, QStringView(text).mid(start - frag.position(), end - start));
            body += '}';
        }
        const int markPos = block.position() + block.length() - 1;
        if (markPos < r.to || toEnd)
            body += "\\par";
        body += '\n';
    }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil ";
        appendText(out, fonts[i]);
        out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (const QColor& c : colors)
        out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue"
               + QByteArray::number(c.blue()) + ";";
    out += "}\n";
    out += body;
    out += "}\n";
    return out;
}

QByteArray write(const QTextCursor& selection)
{
    if (!selection.document())
        return write(QTextDocument());
    return write(*selection.document(), selection.selectionStart(), selection.selectionEnd());
}

QByteArray write(const QTextDocumentFragment& fragment)
{
    QTextDocument doc;
    QTextCursor(&doc).insertFragment(fragment);
    return write(doc);
}

QString plainText(const QTextDocument& document, int from, int to)
{
    const Range r = clampRange(document, from, to);
    QString out;
    const bool toEnd = r.to >= document.characterCount() - 1;
    const QTextBlock firstBlock = document.findBlock(r.from);
    for (QTextBlock block = firstBlock; block.isValid() && inRange(block, firstBlock, r, toEnd);
         block = block.next()) {
        if (block.position() >= r.from && block.textList())
            out += listMarker(block) + u' ';
        const int start = std::max(block.position(), r.from);
        const int end = std::min(block.position() + block.length() - 1, r.to);
        if (end > start)
            out += block.text().mid(start - block.position(), end - start);
        if (block.position() + block.length() - 1 < r.to)
            out += u'\n';
    }
    out.replace(QChar(0x2028), u'\n');
    out.remove(QChar(0xFFFC));
    return out;
}

QString plainText(const QTextCursor& selection)
{
    if (!selection.document())
        return {};
    return plainText(*selection.document(), selection.selectionStart(), selection.selectionEnd());
}

} // namespace rtf
