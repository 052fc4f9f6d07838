// The Rich Text writer: what it writes, and write → read round trips.
#include "rtf_describe.h"
#include "rtfreader.h"
#include "rtfwriter.h"

#include <QFile>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

namespace {

QTextCharFormat font(const QString& family, double points, const char* styles = "", QColor colour = {})
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(points);
    f.setFontWeight(strchr(styles, 'b') ? QFont::Bold : QFont::Normal);
    f.setFontItalic(strchr(styles, 'i'));
    f.setFontUnderline(strchr(styles, 'u'));
    if (colour.isValid())
        f.setForeground(colour);
    return f;
}

QTextBlockFormat paragraph(Qt::Alignment a, double left = 0, double indent = 0, double right = 0, double top = 0,
                           double bottom = 0)
{
    QTextBlockFormat f;
    f.setAlignment(a);
    f.setLeftMargin(left);
    f.setTextIndent(indent);
    f.setRightMargin(right);
    f.setTopMargin(top);
    f.setBottomMargin(bottom);
    return f;
}

// A document with one of everything the writer knows.
void buildSample(QTextDocument& doc)
{
    QTextCursor c(&doc);
    c.setBlockFormat(paragraph(Qt::AlignHCenter, 0, 0, 0, 8));
    c.insertText("CATÁLOGO", font("Arial", 12, "b", QColor(0, 0, 128)));
    c.insertBlock(paragraph(Qt::AlignJustify, 20, -10, 4, 0, 6));
    for (const char* style : {"", "b", "i", "u"})
        c.insertText(QString(*style ? style : "Normal") + ' ', font("Times New Roman", 10, style));
    c.insertText(" {llaves} \\ € Ω 😀\t\u2028fin", font("Times New Roman", 8, "", QColor(128, 0, 0)));
    c.insertBlock(paragraph(Qt::AlignRight));
    c.insertText("derecha", font("Arial", 9));
    c.insertBlock(QTextBlockFormat());
    QTextListFormat disc;
    disc.setStyle(QTextListFormat::ListDisc);
    c.createList(disc);
    c.insertText("uno", font("Arial", 10));
    c.insertBlock();
    c.insertText("dos", font("Arial", 10));
    c.insertBlock(QTextBlockFormat());
    c.insertText("sin lista", font("Arial", 10));
}

std::string describeAll(const QTextDocument& doc, bool fonts)
{
    return (describe::paragraphs(doc) + (fonts ? "\n" + describe::runs(doc) : "")).toStdString();
}

} // namespace

TEST(RtfWriter, WritesSevenBitRichTextInCodePage1252)
{
    QTextDocument doc;
    buildSample(doc);
    const QByteArray out = rtf::write(doc);
    EXPECT_TRUE(out.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    EXPECT_TRUE(out.trimmed().endsWith('}'));
    for (char c : out)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "8-bit byte in the output";
    // In the code page, outside it (😀 as its two UTF-16 halves), and escaped.
    for (const char* s : {"CAT\\'c1LOGO", "\\'80", "\\u937?", "\\u-10179?\\u-8704?", "\\{llaves\\} \\\\", "{\\pntext"})
        EXPECT_TRUE(out.contains(s)) << s;
}

TEST(RtfWriter, RoundTripsKeepTextAndFormatting)
{
    QTextDocument sample, emptyParagraphs, empty, numbered, help;
    buildSample(sample);
    emptyParagraphs.setPlainText("a\n\nb\n");
    QTextCursor c(&numbered);
    QTextListFormat decimal;
    decimal.setStyle(QTextListFormat::ListDecimal);
    c.createList(decimal);
    c.insertText("primero");
    c.insertBlock();
    c.insertText("segundo");
    QFile f(":/AYUDA");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ASSERT_TRUE(rtf::read(f.readAll(), help));

    for (const QTextDocument* doc : {&sample, &emptyParagraphs, &empty, &numbered, &help}) {
        QTextDocument back;
        ASSERT_TRUE(rtf::read(rtf::write(*doc), back));
        EXPECT_EQ(back.toRawText(), doc->toRawText());
        const bool fonts = doc == &sample || doc == &help; // the others have no fonts of their own
        // Qt's own lists and collapsed spacing come back in the reader's
        // terms (marker offset, added spacing); from there on nothing changes.
        QTextDocument again;
        ASSERT_TRUE(rtf::read(rtf::write(back), again));
        EXPECT_EQ(describeAll(again, fonts), describeAll(back, fonts));
        if (doc == &help) {
            EXPECT_EQ(describeAll(back, fonts), describeAll(*doc, fonts));
        }
        EXPECT_EQ(rtf::write(back), rtf::write(*doc)); // and a second time the very same
    }
    EXPECT_EQ(rtf::plainText(numbered), "1. primero\n2. segundo");
    QTextDocument back;
    ASSERT_TRUE(rtf::read(rtf::write(sample), back));
    EXPECT_EQ(describe::paragraphs(back).section(u'|', 1, 1).section(u'[', 1), "j li20 fi-10 ri4 sa6]");
}

TEST(RtfWriter, PlainTextSelectionAndFragment)
{
    QTextDocument doc;
    buildSample(doc);
    EXPECT_EQ(rtf::plainText(doc), "CATÁLOGO\nNormal b i u  {llaves} \\ € Ω 😀\t\nfin\nderecha\n• uno\n• dos\nsin lista");
    // "b i" inside the second paragraph: no paragraph mark selected.
    QTextCursor sel(&doc);
    sel.setPosition(doc.findBlockByNumber(1).position() + 7);
    sel.setPosition(sel.position() + 3, QTextCursor::KeepAnchor);
    ASSERT_EQ(sel.selectedText(), "b i");
    QTextDocument back;
    ASSERT_TRUE(rtf::read(rtf::write(sel), back));
    EXPECT_EQ(describe::runs(back).toStdString(), "b {Times New Roman 10 b}i{Times New Roman 10 i}");
    EXPECT_EQ(back.blockCount(), 1);
    EXPECT_EQ(rtf::plainText(sel), "b i");

    // Across paragraphs into the list: marks and bullets come along.
    sel.setPosition(doc.findBlockByNumber(2).position());
    sel.setPosition(doc.findBlockByNumber(4).position() + 2, QTextCursor::KeepAnchor);
    EXPECT_EQ(rtf::plainText(sel), "derecha\n• uno\n• do");
    ASSERT_TRUE(rtf::read(rtf::write(sel), back));
    EXPECT_EQ(describe::paragraphs(back).toStdString(), "derecha[r]|uno[l li40 disc1]|do[l li40 disc1]");
    ASSERT_TRUE(rtf::read(rtf::write(QTextDocumentFragment(sel)), back));
    EXPECT_TRUE(back.toPlainText().startsWith("derecha\nuno"));
}
