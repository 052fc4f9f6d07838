// The help document AYUDA: its structure, and its figures, which come from the
// catalogue packet at build time.
#include "rtfreader.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <optional>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QTextBlock findBlock(const QTextDocument& doc, const QString& text)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text() == text)
            return b;
    return {};
}

QTextCharFormat formatAt(const QTextBlock& block, int offset)
{
    QTextCursor c(block);
    c.setPosition(block.position() + offset + 1);
    return c.charFormat();
}

// "4.068": the figures of the help text.
QString spanish(qint64 n)
{
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u'.');
    return digits;
}

// The catalogue tool's standard output, or nothing when it fails.
std::optional<QString> runTool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TOOL_PATH), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct HelpDoc : ::testing::Test {
    void SetUp() override
    {
        data = readFile(QStringLiteral(":/AYUDA"));
        ASSERT_TRUE(rtf::read(data, doc));
        text = doc.toRawText();
    }
    QByteArray data;
    QTextDocument doc;
    QString text;
};

} // namespace

TEST_F(HelpDoc, TitleAndContent)
{
    EXPECT_TRUE(data.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    for (char c : data)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    EXPECT_FALSE(data.contains('@')) << "a placeholder was left";

    const QTextBlock title = doc.begin(), period = title.next();
    EXPECT_EQ(title.text(), "CATÁLOGO DE LA POBLACIÓN DE ARAGÓN");
    EXPECT_EQ(period.text(), "1900 – 2004");
    for (const QTextBlock& b : {title, period}) { // centred, in colour
        EXPECT_EQ(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        ASSERT_NE(formatAt(b, 0).foreground().style(), Qt::NoBrush);
        EXPECT_NE(formatAt(b, 0).foreground().color(), QColor(Qt::black));
    }
    // The instructions and the sources.
    for (const char* s : {"casilla de búsqueda", "lupa", "Intro", "censos de 1900 a 2001", "padrón municipal de 2004",
                          "gráfico", "IAEST", "Aragón Open Data", "«La casa caída»", "CC BY-SA 4.0", "GPL-2",
                          "Fuente: INE, Alteraciones de los municipios en los Censos de Población desde 1842.",
                          "Fuente: IAEST, Nomenclátor."})
        EXPECT_TRUE(text.contains(s)) << s;
}

TEST_F(HelpDoc, HeadingsAndBulletedDefinitions)
{
    int last = -1;
    for (const char* heading : {"ACLARACIONES PARA LA INTERPRETACIÓN DEL CATÁLOGO", "Entradas", "Referencias", "Población"}) {
        const QTextBlock b = findBlock(doc, heading);
        ASSERT_TRUE(b.isValid()) << heading;
        EXPECT_GT(b.blockNumber(), last) << heading;
        EXPECT_EQ(formatAt(b, 0).fontWeight(), QFont::Bold) << heading;
        last = b.blockNumber();
    }
    // Each kind of reference: a bulleted item beginning with its term in bold;
    // then the two notes on the series, after "Población".
    std::vector<QTextBlock> items;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.textList())
            items.push_back(b);
    ASSERT_EQ(items.size(), 8u);
    const char* terms[] = {"Municipio", "Municipio histórico", "Entidad de población", "Entidad de población histórica",
                           "Núcleo de población", "Provincia"};
    for (std::size_t i = 0; i < 6; ++i) {
        const QTextBlock b = items[i];
        const int n = static_cast<int>(QString(terms[i]).size());
        EXPECT_TRUE(b.text().startsWith(QString(terms[i]) + ": ")) << b.text().toStdString();
        EXPECT_EQ(formatAt(b, 0).fontWeight(), QFont::Bold);
        EXPECT_EQ(formatAt(b, n - 1).fontWeight(), QFont::Bold);
        EXPECT_EQ(formatAt(b, n + 2).fontWeight(), QFont::Normal);
        EXPECT_EQ(b.textList()->format().style(), QTextListFormat::ListDisc);
    }
    // What "-" means for each kind.
    for (const char* s : {"no tiene cifra para ese año", "En un municipio actual", "en un municipio histórico, que en "
                          "ese censo no era municipio", "en una entidad o un núcleo, que esta edición no tiene cifras"})
        EXPECT_TRUE(items[6].text().startsWith("El signo - indica") && items[6].text().contains(s)) << s;
    EXPECT_TRUE(items[7].text().startsWith("Una población de 0 indica") && items[7].text().contains("sin habitantes"));
    EXPECT_GT(items[6].blockNumber(), last);
}

// The figures agree with the packet carried as PUEBLOS, as the catalogue tool counts them.
TEST_F(HelpDoc, FiguresAgreeWithTheEmbeddedCatalogue)
{
    const std::optional<QString> counts = runTool({"counts", PUEBLOS_PACKET});
    ASSERT_TRUE(counts);
    const QStringList lines = counts->split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    for (const QString& line : lines) {
        const qint64 n = line.section(u' ', 1).trimmed().toLongLong();
        const QString word = line.section(u' ', 0, 0).chopped(1); // "entrada", "referencia"
        const QString sentence = n == 1 ? "1 " + word + "." : spanish(n) + " " + word + "s.";
        EXPECT_TRUE(text.contains(sentence)) << sentence.toStdString();
    }
    const auto kind = [](int k) {
        const auto out = runTool({"filter", PUEBLOS_PACKET, QString("tiponum = %1").arg(k)});
        return out ? out->section(u'\n', 0, 0).trimmed().toLongLong() : -1;
    };
    const qint64 municipios = kind(2), entidades = kind(3), nucleos = kind(4);
    const auto historicos = runTool({"filter", PUEBLOS_PACKET, "(tiponum = 2) and (comentario like 'Municipio hist%')"});
    ASSERT_TRUE(municipios > 1 && entidades > 1 && nucleos > 1 && historicos);
    const qint64 h = historicos->section(u'\n', 0, 0).trimmed().toLongLong();
    EXPECT_TRUE(text.contains(QString("contiene %1 municipios (%2 actuales y %3 históricos), %4 entidades de población y "
                                      "%5 núcleos de población.")
                                  .arg(spanish(municipios), spanish(municipios - h), spanish(h), spanish(entidades),
                                       spanish(nucleos))));
    // The list headings after "Listar todas", as the main window writes them.
    EXPECT_TRUE(text.contains(
        QString("Municipios (%1), Entidades (%2) y Núcleos (%3).").arg(municipios).arg(entidades).arg(nucleos)));
}

// The example entry quotes the catalogue's own figures and names.
TEST_F(HelpDoc, ExampleEntryAgreesWithTheCatalogueSource)
{
    const QStringList lines = QString::fromUtf8(readFile(SOURCE_DIR "/resources/pueblos.csv")).split(u'\n');
    ASSERT_GT(lines.size(), 1);
    const QStringList header = lines[0].trimmed().split(u',');
    QMap<QString, QStringList> buil; // by kind
    for (const QString& line : lines.mid(1)) {
        const QStringList f = line.trimmed().mid(1).chopped(1).split("\",\""); // every field is quoted
        if (f.size() == header.size() && f[header.indexOf("NOMBREDICC")] == "Santa María de Buil")
            buil[f[header.indexOf("TIPONUM")]] = f;
    }
    ASSERT_EQ(buil.keys(), QStringList({"2", "3"}));
    EXPECT_TRUE(buil["2"][header.indexOf("COMENTARIO")].contains("pertenece hoy a Aínsa-Sobrarbe"));
    EXPECT_TRUE(buil["3"][header.indexOf("COMENTARIO")].contains("del municipio de Aínsa-Sobrarbe"));
    const QString people = buil["3"][header.indexOf("COMENTARIO")].section("En el padrón de 2020 tenía ", 1).section(u' ', 0, 0);
    const QString example = "Santa María de Buil. 1. Municipio histórico de la provincia de Huesca, cuyo territorio pertenece "
                            "hoy a Aínsa-Sobrarbe. Población: " + buil["2"][header.indexOf("1900")] + " habitantes en el "
                            "censo de 1900 y " + buil["2"][header.indexOf("1960")] + " en el de 1960. 2. Entidad de "
                            "población del municipio de Aínsa-Sobrarbe. Población: " + people + " habitantes en el padrón de 2020.";
    EXPECT_TRUE(text.contains(example)) << example.toStdString();
    EXPECT_EQ(buil["2"][header.indexOf("1970")], "-");
}

// The build step that writes the document, with stand-in catalogue tools.
TEST(AyudaBuildStep, FiguresFromTheTool)
{
    QTemporaryDir dir;
    const QString cmake = QStandardPaths::findExecutable("cmake");
    ASSERT_FALSE(cmake.isEmpty());
    struct Case {
        const char* counts; // the answer to "counts"; null: no tool at all
        const char* kinds[4]; // units of kind 2, 3, 4; historical municipalities
        int countsExit, filterExit;
        std::vector<const char*> present, absent;
    };
    const char* none = "Las unidades de población que contiene esta edición del catálogo se pueden consultar con el "
                       "botón «Listar todas».";
    const Case cases[] = {
        {"entradas 4068\\nreferencias 5029\\n", {"995", "3976", "55", "264"}, 0, 0,
         {"una por cada nombre de lugar: en esta edición, 4.068 entradas.", "En total, el catálogo contiene 5.029 referencias.",
          "Esta edición del catálogo contiene 995 municipios (731 actuales y 264 históricos), 3.976 entidades de "
          "población y 55 núcleos de población. Al pulsar «Listar todas», los encabezamientos de las listas indican "
          "Municipios (995), Entidades (3976) y Núcleos (55)."},
         {"No contiene"}},
        {"entradas 731\\r\\nreferencias 731\\r\\n", {"731", "0", "0", "0"}, 0, 0,
         {"731 entradas.", "731 referencias.",
          "Esta edición del catálogo contiene 731 municipios. No contiene entidades de población ni núcleos de "
          "población, de modo que las listas de entidades y de núcleos aparecen siempre vacías. Al pulsar"},
         {}},
        {"referencias 2\\nentradas 1\\n", {"1", "1", "0", "1"}, 0, 0,
         {"en esta edición, 1 entrada.", "contiene 2 referencias.",
          "contiene 1 municipio (0 actuales y 1 histórico) y 1 entidad de población. No contiene núcleos de población, de modo que la lista de "
          "núcleos aparece siempre vacía."},
         {}},
        // Counts without the kinds: the edition sentence gives the total.
        {"entradas 12\\nreferencias 1234\\n", {"", "", "", ""}, 0, 1,
         {"Esta edición del catálogo contiene 1.234 unidades de población.", "12 entradas."}, {}},
        // No figures: the text states none.
        {"", {"", "", "", ""}, 2, 2, {none, "ACLARACIONES PARA LA INTERPRETACIÓN DEL CATÁLOGO"}, {" entradas.", " referencias."}},
        {"entradas muchas\\n", {"x", "y", "z", "w"}, 0, 0, {none}, {" entradas.", " referencias."}},
        {nullptr, {}, 0, 0, {none}, {" entradas.", " referencias."}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString tool = dir.filePath(QString("tool%1.sh").arg(++n)), out = dir.filePath(QString("AYUDA%1").arg(n));
        if (c.counts) {
            QFile f(tool);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QString(R"(#!/bin/sh
case "$1" in
counts) printf '%1'; exit %2;;
filter) case "$3" in
  'tiponum = 2') printf '%3\nAbiego\n';;
  'tiponum = 3') printf '%4\n';;
  'tiponum = 4') printf '%5\n';;
  *'Municipio hist%'*) printf '%7\n';;
  *) exit 3;; esac; exit %6;;
esac
exit 2
)")
                        .arg(c.counts)
                        .arg(c.countsExit)
                        .arg(c.kinds[0], c.kinds[1], c.kinds[2])
                        .arg(c.filterExit)
                        .arg(c.kinds[3])
                        .toUtf8());
            f.close();
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        }
        QProcess p;
        p.start(cmake, {"-DTOOL=" + tool, "-DPACKET=" + dir.filePath("PUEBLOS"), "-DAYUDA_IN=" SOURCE_DIR
                        "/resources/ayuda.rtf.in", "-DAYUDA_DOC=" + out, "-P", SOURCE_DIR "/resources/ayuda.cmake"});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QByteArray data = readFile(out);
        EXPECT_FALSE(data.contains('@')) << n;
        QTextDocument doc;
        EXPECT_TRUE(rtf::read(data, doc));
        const QString text = doc.toRawText();
        for (const char* s : c.present)
            EXPECT_TRUE(text.contains(s)) << n << ": " << s;
        for (const char* s : c.absent)
            EXPECT_FALSE(text.contains(s)) << n << ": " << s;
    }
}
