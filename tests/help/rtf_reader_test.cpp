// The Rich Text reader: each construct on hand-written input, and hostile input.
#include "rtfreader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

std::unique_ptr<QTextDocument> readRtf(const QByteArray& rtf)
{
    auto doc = std::make_unique<QTextDocument>();
    EXPECT_TRUE(rtf::read(rtf, *doc)) << rtf.constData();
    return doc;
}

// The character format of the character at a position (the one after it).
QTextCharFormat formatAt(const QTextDocument& doc, int pos)
{
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(pos + 1);
    return c.charFormat();
}

QTextBlock block(const QTextDocument& doc, int n) { return doc.findBlockByNumber(n); }

// The text as stored: no replacement of line breaks or no-break spaces.
QString rawText(const QTextDocument& doc) { return doc.toRawText(); }

QString family(const QTextCharFormat& f)
{
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.front();
}

} // namespace

TEST(RtfReader, ParagraphsAndPlainText)
{
    auto doc = readRtf("{\\rtf1\\ansi Hola\\par mundo\\par}");
    EXPECT_EQ(doc->blockCount(), 2); // the last \par ends the text
    EXPECT_EQ(block(*doc, 0).text(), "Hola");
    EXPECT_EQ(block(*doc, 1).text(), "mundo");

    // A space after a control word is its delimiter; line ends are not text.
    doc = readRtf("{\\rtf1 uno\r\n dos\\tab tres\\line cuatro}");
    EXPECT_EQ(rawText(*doc), QString("uno dos\ttres") + QChar(0x2028) + "cuatro");
    EXPECT_EQ(doc->blockCount(), 1);

    // \page and \sect end a paragraph too; "\" + line end is \par.
    doc = readRtf("{\\rtf1 a\\page b\\sect c\\\nd}");
    EXPECT_EQ(doc->blockCount(), 4);
}

TEST(RtfReader, FontTableSizesAndStyles)
{
    auto doc = readRtf("{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\fswiss Arial;}}"
                       "a{\\f0\\fs16 b}{\\b c\\b0 d}{\\i e}{\\ul f\\ulnone g}{\\b\\i\\ul h\\plain i}{\\fs24\\b j\\b0 k}}");
    const QString text = doc->toPlainText();
    ASSERT_EQ(text, "abcdefghijk");
    EXPECT_EQ(family(formatAt(*doc, 0)), "Arial"); // \deff1
    EXPECT_DOUBLE_EQ(formatAt(*doc, 0).fontPointSize(), 12.0);
    EXPECT_EQ(family(formatAt(*doc, 1)), "Times New Roman");
    EXPECT_DOUBLE_EQ(formatAt(*doc, 1).fontPointSize(), 8.0);
    EXPECT_EQ(formatAt(*doc, 2).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(*doc, 3).fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatAt(*doc, 4).fontItalic());
    EXPECT_FALSE(formatAt(*doc, 3).fontItalic());
    EXPECT_TRUE(formatAt(*doc, 5).fontUnderline());
    EXPECT_FALSE(formatAt(*doc, 6).fontUnderline());
    EXPECT_TRUE(formatAt(*doc, 7).fontItalic());
    // \plain: back to the default font, 12 points, no styles.
    const QTextCharFormat plain = formatAt(*doc, 8);
    EXPECT_EQ(plain.fontWeight(), QFont::Normal);
    EXPECT_FALSE(plain.fontItalic());
    EXPECT_FALSE(plain.fontUnderline());
    EXPECT_EQ(family(plain), "Arial");
    EXPECT_EQ(formatAt(*doc, 9).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(*doc, 10).fontWeight(), QFont::Normal);
    // Group state ends with the group.
    doc = readRtf("{\\rtf1 {\\b x}y}");
    EXPECT_EQ(formatAt(*doc, 1).fontWeight(), QFont::Normal);
}

TEST(RtfReader, FlatFontTableAndNestedPanose)
{
    auto doc = readRtf("{\\rtf1{\\fonttbl\\f0 Arial;\\f1 Courier New;}{\\f1 x}"
                       "{\\fonttbl{\\f2{\\*\\panose 02020603050405020304}Times New Roman;}}{\\f2 y}}");
    EXPECT_EQ(doc->toPlainText(), "xy");
    EXPECT_EQ(family(formatAt(*doc, 0)), "Courier New");
    EXPECT_EQ(family(formatAt(*doc, 1)), "Times New Roman");
}

TEST(RtfReader, ColourTable)
{
    auto doc = readRtf("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
                       "{\\cf1 r}{\\cf2 b}{\\cf0 d}{\\cf9 e}{\\highlight1 h}}");
    ASSERT_EQ(doc->toPlainText(), "rbdeh");
    EXPECT_EQ(formatAt(*doc, 0).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatAt(*doc, 1).foreground().color(), QColor(0, 0, 128));
    EXPECT_EQ(formatAt(*doc, 2).foreground().style(), Qt::NoBrush); // automatic colour
    EXPECT_EQ(formatAt(*doc, 3).foreground().style(), Qt::NoBrush); // no such entry
    EXPECT_EQ(formatAt(*doc, 4).background().color(), QColor(255, 0, 0));
}

TEST(RtfReader, EscapesAndUnicode)
{
    // \'hh in code page 1252.
    auto doc = readRtf("{\\rtf1\\ansi\\ansicpg1252 Poblaci\\'f3n \\'80 \\'D1}");
    EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("Población € Ñ"));
    // Raw bytes above 127 are code page 1252 too.
    doc = readRtf("{\\rtf1 Arag\xf3n}");
    EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("Aragón"));

    // \uN skips the \uc replacement characters that follow.
    doc = readRtf("{\\rtf1 a\\u8364?b\\uc2\\u937\\'3f\\'3fc\\uc0\\u945 d}");
    EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("a€bΩcαd"));
    // A control word counts as one character to skip; so does a symbol.
    doc = readRtf("{\\rtf1\\uc1\\u8364\\'80x\\u8364\\~y}");
    EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("€x€y"));
    // Negative values are the upper half; surrogate pairs join.
    doc = readRtf("{\\rtf1\\u-3913?\\u-10179?\\u-8704?}");
    EXPECT_EQ(doc->toPlainText(), QString(QChar(0xF0B7)) + QString::fromUtf8("😀"));
    // The end of the group ends the skipping.
    doc = readRtf("{\\rtf1{\\uc3\\u8364}xyz}");
    EXPECT_EQ(doc->toPlainText(), QString::fromUtf8("€xyz"));

    // Control symbols.
    doc = readRtf("{\\rtf1 \\\\ \\{\\} a\\~b\\-c\\_d\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}");
    EXPECT_EQ(rawText(*doc),
              QString::fromUtf8("\\ {} a\u00a0bc\u2011d\u2014\u2013\u2022\u2018\u2019\u201c\u201d"));
}

TEST(RtfReader, ParagraphFormatting)
{
    auto doc = readRtf("{\\rtf1\\pard\\qc c\\par\\pard\\qr r\\par\\pard\\qj j\\par\\pard\\ql l\\par"
                       "\\pard\\li300\\fi-150\\ri600\\sb240\\sa120 m\\par"
                       " n\\par\\pard o\\par}");
    ASSERT_EQ(doc->blockCount(), 7) << doc->toPlainText().toStdString();
    EXPECT_EQ(block(*doc, 0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(block(*doc, 1).blockFormat().alignment(), Qt::AlignRight);
    EXPECT_EQ(block(*doc, 2).blockFormat().alignment(), Qt::AlignJustify);
    EXPECT_EQ(block(*doc, 3).blockFormat().alignment(), Qt::AlignLeft);
    const QTextBlockFormat m = block(*doc, 4).blockFormat();
    EXPECT_DOUBLE_EQ(m.leftMargin(), 20.0); // 300 twips = 15 points = 20 pixels
    EXPECT_DOUBLE_EQ(m.textIndent(), -10.0);
    EXPECT_DOUBLE_EQ(m.rightMargin(), 40.0);
    EXPECT_DOUBLE_EQ(m.topMargin(), 16.0);
    EXPECT_DOUBLE_EQ(m.bottomMargin(), 8.0);
    // Paragraph properties hold until \pard.
    EXPECT_DOUBLE_EQ(block(*doc, 5).blockFormat().leftMargin(), 20.0);
    EXPECT_DOUBLE_EQ(block(*doc, 6).blockFormat().leftMargin(), 0.0);
    EXPECT_EQ(block(*doc, 6).blockFormat().alignment(), Qt::AlignLeft);
}

TEST(RtfReader, BulletedParagraphs)
{
    // Word processors' form: \pntext with the bullet, \pn with \pnlvlblt.
    auto doc = readRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}}"
                       "\\pard intro\\par"
                       "\\pard\\fi-360\\li720{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}uno\\par"
                       "{\\pntext\\f1\\'b7\\tab}dos\\par"
                       "\\pard fin\\par"
                       "{\\pntext 1.\\tab}num\\par}");
    ASSERT_EQ(doc->blockCount(), 5);
    EXPECT_EQ(block(*doc, 0).textList(), nullptr);
    QTextList* list = block(*doc, 1).textList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(block(*doc, 1).text(), "uno"); // the bullet text is not content
    EXPECT_EQ(block(*doc, 2).textList(), list);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(block(*doc, 3).textList(), nullptr);
    ASSERT_NE(block(*doc, 4).textList(), nullptr);
    EXPECT_EQ(block(*doc, 4).textList()->format().style(), QTextListFormat::ListDecimal);
    // The indent beyond the list's own becomes the paragraph's margin.
    EXPECT_DOUBLE_EQ(block(*doc, 1).blockFormat().leftMargin(), 48.0 - doc->indentWidth());

    // Only \pn, no \pntext: still a bulleted paragraph, for as long as \pard allows.
    doc = readRtf("{\\rtf1\\pard{\\*\\pn\\pnlvlblt}a\\par b\\par\\pard c}");
    EXPECT_NE(block(*doc, 0).textList(), nullptr);
    EXPECT_NE(block(*doc, 1).textList(), nullptr);
    EXPECT_EQ(block(*doc, 2).textList(), nullptr);

    // Newer word processors' form: \listtext.
    doc = readRtf("{\\rtf1\\pard{\\listtext\\'b7\\tab}a\\par{\\listtext 2.\\tab}b\\par}");
    ASSERT_NE(block(*doc, 0).textList(), nullptr);
    EXPECT_EQ(block(*doc, 0).textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(block(*doc, 0).text(), "a");
    ASSERT_NE(block(*doc, 1).textList(), nullptr);
    EXPECT_EQ(block(*doc, 1).textList()->format().style(), QTextListFormat::ListDecimal);

    // A bullet character with a hanging indent stays as text.
    doc = readRtf("{\\rtf1\\pard\\fi-284\\li568\\'b7\\tab item\\par}");
    EXPECT_EQ(block(*doc, 0).text(), QString::fromUtf8("·\titem"));
    EXPECT_LT(block(*doc, 0).blockFormat().textIndent(), 0.0);
}

TEST(RtfReader, SkippedDestinations)
{
    auto doc = readRtf("{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}"
                       "{\\*\\generator G;}{\\*\\unknowndest hidden}{\\header H}{\\footer F}"
                       "a{\\pict\\pngblip 89504e47}b"
                       "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt enlace}}"
                       "{\\unknownword c}}");
    // An unknown word that is not marked ignorable only loses itself.
    EXPECT_EQ(doc->toPlainText(), "abenlacec");

    // Table cells and rows keep their text apart.
    doc = readRtf("{\\rtf1\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell\\row c}");
    EXPECT_EQ(doc->toPlainText(), "a\tb\t\nc");

    // \* marks only the destination that follows it.
    doc = readRtf("{\\rtf1 \\*{\\b x}y}");
    EXPECT_EQ(doc->toPlainText(), "xy");

    // Binary data is skipped whatever bytes it holds.
    doc = readRtf("{\\rtf1 a{\\pict\\bin5 }}{\\x}b}");
    EXPECT_EQ(doc->toPlainText(), "ab");
}

TEST(RtfReader, MalformedInput)
{
    // Unbalanced groups: missing closing braces keep the text read so far...
    auto doc = readRtf("{\\rtf1 {\\b bold {\\i both");
    EXPECT_EQ(doc->toPlainText(), "bold both");
    EXPECT_TRUE(formatAt(*doc, 6).fontItalic());
    // ...and the text ends at the brace that closes the document.
    doc = readRtf("{\\rtf1 a}}}b{c");
    EXPECT_EQ(doc->toPlainText(), "a");

    // Truncated escapes and control words.
    doc = readRtf("{\\rtf1 x\\'4");
    EXPECT_EQ(doc->toPlainText(), "x");
    doc = readRtf("{\\rtf1 x\\'4zy}");
    EXPECT_EQ(doc->toPlainText(), "xzy");
    doc = readRtf("{\\rtf1 x\\");
    EXPECT_EQ(doc->toPlainText(), "x");
    doc = readRtf("{\\rtf1 x\\fs");
    EXPECT_EQ(doc->toPlainText(), "x");
    doc = readRtf("{\\rtf1 x\\u");
    EXPECT_EQ(doc->toPlainText(), "x");
    doc = readRtf("{\\rtf1 x\\bin99999 abc}");
    EXPECT_EQ(doc->toPlainText(), "x");

    // Huge parameters are clamped.
    doc = readRtf("{\\rtf1\\fs99999999999999999999 a\\fs-99999999999 b\\li99999999999999\\fi-99999999999999 c\\par"
                  "\\u99999999999?\\uc99999999999\\u65?x}");
    EXPECT_DOUBLE_EQ(formatAt(*doc, 0).fontPointSize(), 1000.0);
    EXPECT_DOUBLE_EQ(formatAt(*doc, 1).fontPointSize(), 1.0);
    EXPECT_DOUBLE_EQ(block(*doc, 0).blockFormat().leftMargin(), 31680 / rtf::kTwipsPerPixel);

    // A very long control word is no word at all.
    doc = readRtf(QByteArray("{\\rtf1 ") + "\\" + QByteArray(100000, 'b') + " z}");
    EXPECT_EQ(doc->toPlainText(), "z");

    // Deep nesting: groups past the limit are skipped whole, the rest is read.
    doc = readRtf("{\\rtf1 a" + QByteArray(100000, '{') + "deep" + QByteArray(100000, '}') + "b}");
    EXPECT_EQ(doc->toPlainText(), "ab");
    doc = readRtf("{\\rtf1 a" + QByteArray(rtf::kMaxDepth - 5, '{') + "shallow" + QByteArray(rtf::kMaxDepth - 5, '}') + "}");
    EXPECT_EQ(doc->toPlainText(), "ashallow");
}

TEST(RtfReader, BinaryJunkNeverCrashes)
{
    QRandomGenerator rng(20041); // fixed: the same junk every run
    const QByteArray alphabet = "{}\\'*abfiuclqrsp0123456789- ;\r\n\x00\xff\xb7";
    // RTF_FUZZ_ROUNDS makes a longer run (e.g. under the sanitizers).
    const int rounds = qEnvironmentVariableIntValue("RTF_FUZZ_ROUNDS") > 0 ? qEnvironmentVariableIntValue("RTF_FUZZ_ROUNDS") : 300;
    for (int round = 0; round < rounds; ++round) {
        QByteArray junk;
        const int n = static_cast<int>(rng.bounded(1, 2000));
        for (int i = 0; i < n; ++i) {
            if (round % 2 == 0)
                junk += static_cast<char>(rng.bounded(256));
            else
                junk += alphabet[static_cast<qsizetype>(rng.bounded(static_cast<int>(alphabet.size())))];
        }
        QTextDocument doc;
        rtf::load("{\\rtf1" + junk, doc); // as Rich Text
        QTextDocument plain;
        rtf::load(junk.startsWith("{\\rtf") ? "x" + junk : junk, plain); // as plain text
        EXPECT_FALSE(plain.isEmpty());
    }
}

TEST(RtfReader, PlainTextFallback)
{
    QTextDocument doc;
    doc.setPlainText("previous");
    EXPECT_FALSE(rtf::read("not rich text", doc));
    EXPECT_EQ(doc.toPlainText(), "previous"); // untouched

    rtf::load("Poblaci\xf3n\r\nde Arag\xf3n \x80", doc);
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("Población\nde Aragón €"));
    EXPECT_EQ(doc.blockCount(), 2);

    // Almost Rich Text: starts otherwise, so it is shown as it is.
    rtf::load(" {\\rtf1 x}", doc);
    EXPECT_EQ(doc.toPlainText(), " {\\rtf1 x}");
    rtf::load("{\\rt", doc);
    EXPECT_EQ(doc.toPlainText(), "{\\rt");
    rtf::load(QByteArray("a\0b", 3), doc);
    EXPECT_EQ(doc.toPlainText(), "ab");
}

TEST(RtfReader, LoadFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("doc.rtf");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\\rtf1 desde archivo}");
    f.close();

    QTextDocument doc;
    rtf::loadFile(path, doc);
    EXPECT_EQ(doc.toPlainText(), "desde archivo");

    try {
        rtf::loadFile(dir.filePath("no-existe.rtf"), doc);
        FAIL() << "no failure";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Error al recuperar un \"Stream\"");
    }
    EXPECT_THROW(rtf::loadFile(":/NO-EXISTE", doc), std::runtime_error);
    EXPECT_THROW(rtf::loadFile(dir.path(), doc), std::runtime_error); // a directory
}

TEST(RtfReader, Cp1252Edges)
{
    EXPECT_EQ(rtf::fromCp1252("\x80\x95\xe1\xf1"), QString::fromUtf8("€•áñ"));
    EXPECT_EQ(rtf::toCp1252(QString::fromUtf8("€•áñ")), QByteArray("\x80\x95\xe1\xf1"));
    EXPECT_EQ(rtf::toCp1252(QString::fromUtf8("aΩb😀c")), QByteArray("a?b?c"));
    EXPECT_EQ(rtf::toCp1252(QString::fromUtf8("Ω"), '_'), QByteArray("_"));
}
