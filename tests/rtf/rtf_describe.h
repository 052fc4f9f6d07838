#pragma once
// One-line descriptions of a document's formatting, so that a test compares
// whole documents (or the reader's output on a construct) in one check.
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <vector>

namespace describe {

inline QString number(double v) { return QString::number(v, 'g', 5); }

// Each run of equally formatted text, "text{family size b i u fg#rrggbb bg#rrggbb}";
// paragraphs separated by "|".
inline QString runs(const QTextDocument& doc)
{
    QString out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        out += b == doc.begin() ? "" : "|";
        QString last;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QString d = f.fontFamilies().toStringList().value(0) + u' ' + number(f.fontPointSize());
            d += QString(f.fontWeight() > QFont::Medium ? " b" : "") + (f.fontItalic() ? " i" : "") + (f.fontUnderline() ? " u" : "");
            if (f.foreground().style() != Qt::NoBrush)
                d += " fg" + f.foreground().color().name();
            if (f.background().style() != Qt::NoBrush)
                d += " bg" + f.background().color().name();
            if (d == last) // one run in two fragments
                out.insert(out.size() - d.size() - 2, it.fragment().text());
            else
                out += it.fragment().text() + u'{' + d + u'}';
            last = d;
        }
    }
    return out;
}

// Each paragraph, "text[alignment margins list]", separated by "|"; a list is its
// style and which list of the document it is ("disc1", "decimal2").
inline QString paragraphs(const QTextDocument& doc)
{
    QString out;
    std::vector<const QTextList*> lists;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat f = b.blockFormat();
        const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
        QString d = a == Qt::AlignHCenter ? "c" : a == Qt::AlignRight ? "r" : a == Qt::AlignJustify ? "j" : "l";
        for (const auto& [name, v] : {std::pair{" li", f.leftMargin()}, {" fi", f.textIndent()}, {" ri", f.rightMargin()},
                                      {" sb", f.topMargin()}, {" sa", f.bottomMargin()}})
            d += v != 0 ? name + number(v) : "";
        if (const QTextList* l = b.textList()) {
            if (std::find(lists.begin(), lists.end(), l) == lists.end())
                lists.push_back(l);
            const auto style = l->format().style();
            d += style == QTextListFormat::ListDisc ? " disc" : style == QTextListFormat::ListDecimal ? " decimal" : " list";
            d += QString::number(std::find(lists.begin(), lists.end(), l) - lists.begin() + 1);
        }
        out += (b == doc.begin() ? "" : "|") + b.text() + u'[' + d + u']';
    }
    return out;
}

} // namespace describe
