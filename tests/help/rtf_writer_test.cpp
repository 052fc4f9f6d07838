// The Rich Text writer: what it writes, and write → read round trips.
#include "rtfreader.h"
#include "rtfwriter.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextList>

#include <gtest/gtest.h>

namespace {

QTextCharFormat charFormat(const QString& family, double points, bool bold = false, bool italic = false,
                           bool underline = false, QColor colour = QColor())
{
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setFontUnderline(underline);
    if (colour.isValid())
        f.setForeground(colour);
    return f;
}

// A document with one of everything the writer knows.
void buildSample(QTextDocument& doc)
{
    QTextCursor c(&doc);
    QTextBlockFormat title;
    title.setAlignment(Qt::AlignHCenter);
    title.setTopMargin(8);
    c.setBlockFormat(title);
    c.insertText(QString::fromUtf8("CATÁLOGO"), charFormat("Arial", 12, true, false, false, QColor(0, 0, 128)));

    QTextBlockFormat body;
    body.setAlignment(Qt::AlignJustify);
    body.setLeftMargin(20);
    body.setTextIndent(-10);
    body.setRightMargin(4);
    body.setBottomMargin(6);
    c.insertBlock(body);
    c.insertText("Normal ", charFormat("Times New Roman", 10));
    c.insertText("negrita ", charFormat("Times New Roman", 10, true));
    c.insertText("cursiva ", charFormat("Times New Roman", 10, false, true));
    c.insertText("subrayado", charFormat("Times New Roman", 10, false, false, true));
    c.insertText(QString::fromUtf8(" {llaves} \\ € Ω 😀\t") + QChar(0x2028) + "fin",
                 charFormat("Times New Roman", 8, false, false, false, QColor(128, 0, 0)));

    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right);
    c.insertText("derecha", charFormat("Arial", 9));

    c.insertBlock(QTextBlockFormat());
    QTextListFormat lf;
    lf.setStyle(QTextListFormat::ListDisc);
    lf.setIndent(1);
    c.createList(lf);
    c.insertText("uno", charFormat("Arial", 10));
    c.insertBlock();
    c.insertText("dos", charFormat("Arial", 10));
    c.insertBlock(QTextBlockFormat());
    c.insertText("sin lista", charFormat("Arial", 10));
}

void expectSameDocument(const QTextDocument& a, const QTextDocument& b)
{
    ASSERT_EQ(a.blockCount(), b.blockCount());
    EXPECT_EQ(a.toRawText(), b.toRawText());
    for (QTextBlock x = a.begin(), y = b.begin(); x.isValid() && y.isValid(); x = x.next(), y = y.next()) {
        SCOPED_TRACE(x.text().toStdString());
        const QTextBlockFormat fx = x.blockFormat(), fy = y.blockFormat();
        EXPECT_EQ(fx.alignment() & Qt::AlignHorizontal_Mask, fy.alignment() & Qt::AlignHorizontal_Mask);
        EXPECT_NEAR(fx.leftMargin(), fy.leftMargin(), 0.1);
        EXPECT_NEAR(fx.textIndent(), fy.textIndent(), 0.1);
        EXPECT_NEAR(fx.rightMargin(), fy.rightMargin(), 0.1);
        EXPECT_NEAR(fx.topMargin(), fy.topMargin(), 0.1);
        EXPECT_NEAR(fx.bottomMargin(), fy.bottomMargin(), 0.1);
        EXPECT_EQ(x.textList() != nullptr, y.textList() != nullptr);
        if (x.textList() && y.textList()) {
            EXPECT_EQ(x.textList()->format().style(), y.textList()->format().style());
        }
        // Character formats, character by character.
        for (int i = 0; i < x.length() - 1; ++i) {
            QTextCursor cx(x), cy(y);
            cx.setPosition(x.position() + i + 1);
            cy.setPosition(y.position() + i + 1);
            const QTextCharFormat a1 = cx.charFormat(), b1 = cy.charFormat();
            EXPECT_EQ(a1.fontFamilies(), b1.fontFamilies()) << i;
            EXPECT_DOUBLE_EQ(a1.fontPointSize(), b1.fontPointSize()) << i;
            EXPECT_EQ(a1.fontWeight() > QFont::Medium, b1.fontWeight() > QFont::Medium) << i;
            EXPECT_EQ(a1.fontItalic(), b1.fontItalic()) << i;
            EXPECT_EQ(a1.fontUnderline(), b1.fontUnderline()) << i;
            EXPECT_EQ(a1.foreground().style(), b1.foreground().style()) << i;
            if (a1.foreground().style() != Qt::NoBrush) {
                EXPECT_EQ(a1.foreground().color(), b1.foreground().color()) << i;
            }
        }
    }
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
    EXPECT_TRUE(out.contains("CAT\\'c1LOGO"));
    EXPECT_TRUE(out.contains("\\'80"));         // € is in the code page
    EXPECT_TRUE(out.contains("\\u937?"));       // Ω is not
    EXPECT_TRUE(out.contains("\\u-10179?\\u-8704?")); // nor is 😀: two UTF-16 halves
    EXPECT_TRUE(out.contains("\\{llaves\\} \\\\"));
    EXPECT_TRUE(out.contains("\\tab"));
    EXPECT_TRUE(out.contains("\\line"));
    EXPECT_TRUE(out.contains("Times New Roman;"));
    EXPECT_TRUE(out.contains("Arial;"));
    EXPECT_TRUE(out.contains("\\red0\\green0\\blue128;"));
    EXPECT_TRUE(out.contains("\\qc"));
    EXPECT_TRUE(out.contains("\\qj"));
    EXPECT_TRUE(out.contains("\\qr"));
    EXPECT_TRUE(out.contains("\\li300\\fi-150\\ri60\\sa90"));
    EXPECT_TRUE(out.contains("\\fs24\\b\\cf"));
    EXPECT_TRUE(out.contains("{\\pntext"));
}

TEST(RtfWriter, RoundTripKeepsTextAndFormatting)
{
    QTextDocument doc;
    buildSample(doc);
    QTextDocument back;
    ASSERT_TRUE(rtf::read(rtf::write(doc), back));
    expectSameDocument(doc, back);

    // And a second time gives the very same Rich Text.
    EXPECT_EQ(rtf::write(back), rtf::write(doc));
}

TEST(RtfWriter, EmptyParagraphsSurvive)
{
    QTextDocument doc;
    doc.setPlainText("a\n\nb\n");
    QTextDocument back;
    ASSERT_TRUE(rtf::read(rtf::write(doc), back));
    EXPECT_EQ(back.blockCount(), 4);
    EXPECT_EQ(back.toPlainText(), "a\n\nb\n");

    QTextDocument empty;
    QTextDocument emptyBack;
    ASSERT_TRUE(rtf::read(rtf::write(empty), emptyBack));
    EXPECT_TRUE(emptyBack.toPlainText().isEmpty());
}

TEST(RtfWriter, SelectionAndFragment)
{
    QTextDocument doc;
    buildSample(doc);
    // "negrita cursiva" inside the second paragraph.
    const int start = doc.findBlockByNumber(1).position() + 7;
    QTextCursor sel(&doc);
    sel.setPosition(start);
    sel.setPosition(start + 15, QTextCursor::KeepAnchor);
    ASSERT_EQ(sel.selectedText(), "negrita cursiva");

    QTextDocument back;
    ASSERT_TRUE(rtf::read(rtf::write(sel), back));
    EXPECT_EQ(back.toPlainText(), "negrita cursiva");
    EXPECT_EQ(back.blockCount(), 1); // no paragraph mark was selected
    QTextCursor c(&back);
    c.setPosition(1);
    EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
    c.setPosition(9);
    EXPECT_TRUE(c.charFormat().fontItalic());
    EXPECT_EQ(rtf::plainText(sel), "negrita cursiva");

    // Across paragraphs into the list: marks and bullets come along.
    sel.setPosition(doc.findBlockByNumber(2).position());
    sel.setPosition(doc.findBlockByNumber(4).position() + 2, QTextCursor::KeepAnchor);
    EXPECT_EQ(rtf::plainText(sel), QString::fromUtf8("derecha\n• uno\n• do"));
    ASSERT_TRUE(rtf::read(rtf::write(sel), back));
    EXPECT_EQ(back.blockCount(), 3);
    EXPECT_NE(back.findBlockByNumber(1).textList(), nullptr);

    // A fragment.
    ASSERT_TRUE(rtf::read(rtf::write(QTextDocumentFragment(sel)), back));
    EXPECT_TRUE(back.toPlainText().startsWith("derecha\nuno"));
}

TEST(RtfWriter, PlainText)
{
    QTextDocument doc;
    buildSample(doc);
    const QString text = rtf::plainText(doc);
    EXPECT_TRUE(text.startsWith(QString::fromUtf8("CATÁLOGO\nNormal negrita")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("\t\nfin\nderecha\n• uno\n• dos\nsin lista")));
    EXPECT_FALSE(text.endsWith('\n'));

    QTextDocument numbered;
    QTextCursor c(&numbered);
    QTextListFormat lf;
    lf.setStyle(QTextListFormat::ListDecimal);
    c.createList(lf);
    c.insertText("primero");
    c.insertBlock();
    c.insertText("segundo");
    EXPECT_EQ(rtf::plainText(numbered), "1. primero\n2. segundo");
    QTextDocument back;
    ASSERT_TRUE(rtf::read(rtf::write(numbered), back));
    ASSERT_NE(back.begin().textList(), nullptr);
    EXPECT_EQ(back.begin().textList()->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(rtf::plainText(back), "1. primero\n2. segundo");
}

TEST(RtfWriter, HelpDocumentRoundTrip)
{
    QFile f(":/AYUDA");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QTextDocument doc;
    ASSERT_TRUE(rtf::read(f.readAll(), doc));
    QTextDocument back;
    ASSERT_TRUE(rtf::read(rtf::write(doc), back));
    expectSameDocument(doc, back);
}
