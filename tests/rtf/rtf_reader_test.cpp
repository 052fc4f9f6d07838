// The Rich Text reader: each construct on hand-written input, and what it keeps
// of malformed input (that no input crashes it is left to fuzz/rtf_fuzz.cpp).
#include "rtf_describe.h"
#include "rtfreader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

std::unique_ptr<QTextDocument> readRtf(const QByteArray& rtf)
{
    auto doc = std::make_unique<QTextDocument>();
    EXPECT_TRUE(rtf::read(rtf, *doc)) << rtf.left(200).constData();
    return doc;
}

// Input and what the reader makes of it: the raw text (U+2029 between
// paragraphs), the runs or the paragraphs of rtf_describe.h.
struct Case {
    QByteArray rtf;
    QString expected;
};

} // namespace

TEST(RtfReader, TextOfEachConstructAndOfMalformedInput)
{
    const Case cases[] = {
        // The last \par ends the text; a space after a word is its delimiter; line ends are not text.
        {"{\\rtf1\\ansi Hola\\par mundo\\par}", "Hola\u2029mundo"},
        {"{\\rtf1 uno\r\n dos\\tab tres\\line cuatro}", "uno dos\ttres\u2028cuatro"},
        // \'hh and raw bytes are code page 1252.
        {"{\\rtf1\\ansi\\ansicpg1252 Poblaci\\'f3n \\'80 \\'D1}", "Población € Ñ"},
        {"{\\rtf1 Arag\xf3n}", "Aragón"},
        // \uN skips the \uc replacements that follow: a word or a symbol counts as one; a group end stops it.
        {"{\\rtf1 a\\u8364?b\\uc2\\u937\\'3f\\'3fc\\uc0\\u945 d}", "a€bΩcαd"},
        {"{\\rtf1\\u-3913?\\u-10179?\\u-8704?}", "\uF0B7😀"}, // negative: upper half; surrogates join
        {"{\\rtf1 \\\\ \\{\\} a\\~b\\-c\\_d\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}",
         "\\ {} a\u00a0bc\u2011d—–•‘’“”"},
        // Skipped destinations; an unknown word not marked ignorable only loses itself.
        {"{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}{\\*\\generator G;}{\\*\\unknowndest h}"
         "{\\header H}{\\footer F}a{\\pict\\pngblip 89504e47}b{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt enlace}}"
         "{\\unknownword c}}",
         "abenlacec"},
        {"{\\rtf1 a{\\pict\\bin5 }}{\\x}b}", "ab"},     // binary data, whatever its bytes
        // Malformed: the text ends at the brace that closes the document; \bin beyond the end.
        {"{\\rtf1 a}}}b{c", "a"},
        {"{\\rtf1 x\\bin99999 abc}", "x"},
        // Groups past the depth limit are skipped whole, the rest is read.
        {"{\\rtf1 a" + QByteArray(100000, '{') + "deep" + QByteArray(100000, '}') + "b}", "ab"},
        {"{\\rtf1 a" + QByteArray(rtf::kMaxDepth - 5, '{') + "ok" + QByteArray(rtf::kMaxDepth - 5, '}') + "}", "aok"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readRtf(c.rtf)->toRawText().toStdString(), c.expected.toStdString()) << c.rtf.left(80).constData();
}

TEST(RtfReader, CharacterFormats)
{
    const Case cases[] = {
        // Font table, \deff, sizes, styles, \plain; group state ends with the group.
        {"{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\fswiss Arial;}}"
         "a{\\f0\\fs16 b}{\\b c\\b0 d}{\\i e}{\\ul f\\ulnone g}{\\b\\i\\ul h\\plain i}{\\fs24\\b j\\b0 k}}",
         "a{Arial 12}b{Times New Roman 8}c{Arial 12 b}d{Arial 12}e{Arial 12 i}f{Arial 12 u}g{Arial 12}"
         "h{Arial 12 b i u}i{Arial 12}j{Arial 12 b}k{Arial 12}"},
        // A font table without groups, and one with a nested \panose.
        {"{\\rtf1{\\fonttbl\\f0 Arial;\\f1 Courier New;}{\\f1 x}"
         "{\\fonttbl{\\f2{\\*\\panose 02020603050405020304}Times New Roman;}}{\\f2 y}}",
         "x{Courier New 12}y{Times New Roman 12}"},
        // Colours: \cf0 and a missing entry are the automatic colour.
        {"{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
         "{\\cf1 r}{\\cf2 b}{\\cf0 d}{\\cf9 e}{\\highlight1 h}}",
         "r{ 12 fg#ff0000}b{ 12 fg#000080}de{ 12}h{ 12 bg#ff0000}"},
        // Unbalanced: missing closing braces keep what was read.
        {"{\\rtf1 {\\b bold {\\i both", "bold { 12 b}both{ 12 b i}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describe::runs(*readRtf(c.rtf)).toStdString(), c.expected.toStdString()) << c.rtf.constData();
}

TEST(RtfReader, ParagraphFormats)
{
    const Case cases[] = {
        // Alignment, indents and spacing (300 twips = 20 pixels), held until \pard.
        {"{\\rtf1\\pard\\qc c\\par\\pard\\qr r\\par\\pard\\qj j\\par\\pard\\ql l\\par"
         "\\pard\\li300\\fi-150\\ri600\\sb240\\sa120 m\\par n\\par\\pard o\\par}",
         "c[c]|r[r]|j[j]|l[l]|m[l li20 fi-10 ri40 sb16 sa8]|n[l li20 fi-10 ri40 sb24 sa8]|o[l sb8]"}, // spaces add up,
        {"{\\rtf1\\li99999999999999\\fi-99999999999999 c}", "c[l li2112 fi-2112]"}, // clamped to 22 inches
        // Word processors' bullets: \pntext is not content; the list adds no indent of its own.
        {"{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}}\\pard intro\\par"
         "\\pard\\fi-360\\li720{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}uno\\par"
         "{\\pntext\\f1\\'b7\\tab}dos\\par\\pard fin\\par{\\pntext 1.\\tab}num\\par}",
         "intro[l]|uno[l li48 disc1]|dos[l li48 disc1]|fin[l]|num[l decimal2]"},
        {"{\\rtf1\\pard{\\listtext\\'b7\\tab}a\\par{\\listtext 2.\\tab}b\\par}", "a[l disc1]|b[l decimal2]"},
        // A bullet character with a hanging indent stays text.
        {"{\\rtf1\\pard\\fi-285\\li570\\'b7\\tab item\\par}", "·\titem[l li38 fi-19]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describe::paragraphs(*readRtf(c.rtf)).toStdString(), c.expected.toStdString()) << c.rtf.constData();
}

TEST(RtfReader, PlainTextFallbackAndUnreadableFiles)
{
    QTextDocument doc;
    doc.setPlainText("previous");
    EXPECT_FALSE(rtf::read("not rich text", doc));
    EXPECT_EQ(doc.toPlainText(), "previous"); // untouched

    rtf::load("Poblaci\xf3n\r\nde Arag\xf3n \x80", doc);
    EXPECT_EQ(doc.toRawText(), "Población\u2029de Aragón €");
    for (const QByteArray almost : {" {\\rtf1 x}", "{\\rt"}) { // shown as it is
        rtf::load(almost, doc);
        EXPECT_EQ(doc.toPlainText(), almost);
    }
    rtf::load(QByteArray("a\0b", 3), doc);
    EXPECT_EQ(doc.toPlainText(), "ab");

    QTemporaryDir dir; // (the message is checked with the help window)
    EXPECT_THROW(rtf::loadFile(dir.filePath("no-existe.rtf"), doc), std::runtime_error);
    EXPECT_THROW(rtf::loadFile(dir.path(), doc), std::runtime_error); // a directory
}
