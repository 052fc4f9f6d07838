// The help document AYUDA: its structure, and its figures, which come from the
// catalogue packet at build time.
#include "rtfreader.h"

#include <QDir>
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
#include <set>

namespace {

QByteArray readResource(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
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

std::optional<qint64> firstNumber(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qint64 n = text->section(u'\n', 0, 0).trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

struct HelpDoc : ::testing::Test {
    void SetUp() override
    {
        data = readResource(QStringLiteral(":/AYUDA"));
        ASSERT_FALSE(data.isEmpty());
        ASSERT_TRUE(rtf::read(data, doc));
        text = doc.toRawText();
    }
    QByteArray data;
    QTextDocument doc;
    QString text;
};

} // namespace

TEST_F(HelpDoc, IsSevenBitRichTextInCodePage1252)
{
    EXPECT_TRUE(data.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    for (char c : data)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    EXPECT_FALSE(data.contains('@')) << "a placeholder was left";
}

TEST_F(HelpDoc, TitleBlockAndInstructions)
{
    const QTextBlock title = doc.begin();
    EXPECT_EQ(title.text(), QString::fromUtf8("CATÁLOGO DE LA POBLACIÓN DE ARAGÓN"));
    const QTextBlock period = title.next();
    EXPECT_EQ(period.text(), QString::fromUtf8("1900 – 2004"));
    for (const QTextBlock& b : {title, period}) {
        EXPECT_EQ(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        const QTextCharFormat f = formatAt(b, 0);
        ASSERT_NE(f.foreground().style(), Qt::NoBrush);
        EXPECT_NE(f.foreground().color(), QColor(Qt::black));
    }
    QTextBlock b = period.next();
    EXPECT_TRUE(b.text().contains(QString::fromUtf8("casilla de búsqueda")));
    b = b.next();
    EXPECT_TRUE(b.text().contains(QString::fromUtf8("lupa")));
    EXPECT_TRUE(b.text().contains(QString::fromUtf8("Intro")));
    EXPECT_TRUE(b.text().contains(QString::fromUtf8("municipios")));
    EXPECT_TRUE(b.text().contains(QString::fromUtf8("entidades de población")));
    EXPECT_TRUE(b.text().contains(QString::fromUtf8("núcleos de población")));
    b = b.next();
    EXPECT_TRUE(b.text().contains(QString::fromUtf8("censos de 1900 a 2001")));
    EXPECT_TRUE(b.text().contains(QString::fromUtf8("padrón municipal de 2004")));
    EXPECT_TRUE(b.text().contains(QString::fromUtf8("gráfico")));
    b = b.next();
    EXPECT_TRUE(b.text().startsWith(QString::fromUtf8("Esta edición del catálogo contiene"))
                || b.text().startsWith(QString::fromUtf8("Las unidades de población que contiene esta edición")));
}

TEST_F(HelpDoc, HeadingsAndBulletedDefinitions)
{
    const QTextBlock heading = findBlock(doc, QString::fromUtf8("ACLARACIONES PARA LA INTERPRETACIÓN DEL CATÁLOGO"));
    ASSERT_TRUE(heading.isValid());
    EXPECT_EQ(formatAt(heading, 0).fontWeight(), QFont::Bold);
    int last = heading.blockNumber();
    for (const char* name : {"Entradas", "Referencias", "Población"}) {
        const QTextBlock sub = findBlock(doc, QString::fromUtf8(name));
        ASSERT_TRUE(sub.isValid()) << name;
        EXPECT_GT(sub.blockNumber(), last) << name;
        last = sub.blockNumber();
        EXPECT_EQ(formatAt(sub, 0).fontWeight(), QFont::Bold) << name;
    }

    // Each kind of reference: a list item beginning with its term in bold.
    std::vector<QTextBlock> items;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.textList())
            items.push_back(b);
    ASSERT_EQ(items.size(), 8u);
    const char* terms[] = {"Municipio", "Municipio histórico", "Entidad de población",
                           "Entidad de población histórica", "Núcleo de población", "Provincia"};
    for (int i = 0; i < 6; ++i) {
        const QTextBlock b = items[static_cast<std::size_t>(i)];
        const QString term = QString::fromUtf8(terms[i]);
        EXPECT_TRUE(b.text().startsWith(term + ": ")) << b.text().toStdString();
        EXPECT_EQ(formatAt(b, 0).fontWeight(), QFont::Bold);
        EXPECT_EQ(formatAt(b, static_cast<int>(term.size()) - 1).fontWeight(), QFont::Bold);
        EXPECT_EQ(formatAt(b, static_cast<int>(term.size()) + 2).fontWeight(), QFont::Normal);
        EXPECT_EQ(b.textList()->format().style(), QTextListFormat::ListDisc);
    }
    // The two notes on the series.
    EXPECT_TRUE(items[6].text().startsWith(QString::fromUtf8("El signo - indica")));
    EXPECT_TRUE(items[6].text().contains(QString::fromUtf8("no tiene cifra para ese año")));
    EXPECT_TRUE(items[7].text().startsWith(QString::fromUtf8("Una población de 0 indica")));
    EXPECT_TRUE(items[7].text().contains(QString::fromUtf8("sin habitantes")));
    EXPECT_GT(items[6].blockNumber(), findBlock(doc, QString::fromUtf8("Población")).blockNumber());
}

TEST_F(HelpDoc, FontsSizesAndSources)
{
    std::set<QString> families;
    double smallest = 100, largest = 0;
    bool bold = false, italic = false;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            families.insert(f.fontFamilies().toStringList().value(0));
            smallest = std::min(smallest, f.fontPointSize());
            largest = std::max(largest, f.fontPointSize());
            bold = bold || f.fontWeight() == QFont::Bold;
            italic = italic || f.fontItalic();
        }
    }
    EXPECT_EQ(families, (std::set<QString>{"Arial", "Times New Roman"}));
    EXPECT_GE(smallest, 8.0);
    EXPECT_LE(largest, 12.0);
    EXPECT_TRUE(bold);
    EXPECT_TRUE(italic);

    for (const char* s : {"IAEST", "Aragón Open Data", "INE", "«La casa caída»", "CC BY-SA 4.0",
                          "censos de población de 1900", "1991 y 2001", "padrón municipal de habitantes a 1 de enero de 2004"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(s))) << s;
}

// The figures agree with the packet carried as PUEBLOS, as the catalogue
// tool counts them.
TEST_F(HelpDoc, FiguresAgreeWithTheEmbeddedCatalogue)
{
    const std::optional<QString> counts = runTool({"counts", PUEBLOS_PACKET});
    std::optional<qint64> entradas, referencias;
    if (counts) {
        for (const QString& line : counts->split(u'\n')) {
            const QStringList parts = line.trimmed().split(u' ');
            if (parts.size() == 2 && parts[0] == "entradas")
                entradas = parts[1].toLongLong();
            if (parts.size() == 2 && parts[0] == "referencias")
                referencias = parts[1].toLongLong();
        }
    }
    if (entradas && referencias) {
        const QString e = *entradas == 1 ? "1 entrada." : spanish(*entradas) + " entradas.";
        const QString r = *referencias == 1 ? "1 referencia." : spanish(*referencias) + " referencias.";
        EXPECT_TRUE(text.contains(e)) << e.toStdString();
        EXPECT_TRUE(text.contains(r)) << r.toStdString();
    } else {
        // The tool gives no figures: the text states none.
        EXPECT_FALSE(text.contains(QString::fromUtf8(" entradas."))) << text.toStdString();
        EXPECT_FALSE(text.contains(QString::fromUtf8(" referencias.")));
    }

    const auto kind = [](int k) { return firstNumber(runTool({"filter", PUEBLOS_PACKET, QString("tiponum = %1").arg(k)})); };
    const auto municipios = kind(2), entidades = kind(3), nucleos = kind(4);
    if (municipios && entidades && nucleos) {
        if (*municipios > 0) {
            const QString m = spanish(*municipios) + (*municipios == 1 ? " municipio" : " municipios");
            EXPECT_TRUE(text.contains(QString::fromUtf8("contiene ") + m)) << m.toStdString();
        }
        EXPECT_EQ(text.contains(QString::fromUtf8("No contiene entidades de población")), *entidades == 0);
        EXPECT_EQ(text.contains(QString::fromUtf8("ni núcleos de población")) || text.contains(QString::fromUtf8("No contiene núcleos")),
                  *nucleos == 0);
        if (*entidades > 0) {
            EXPECT_TRUE(text.contains(spanish(*entidades) + QString::fromUtf8(" entidad")));
        }
    } else {
        EXPECT_FALSE(text.contains(QString::fromUtf8("No contiene")));
    }
}

// The fields of one line of a CSV file (double quotes, "" inside them).
QStringList csvFields(const QString& line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

// The example entry quotes the catalogue's own figures and names.
TEST_F(HelpDoc, ExampleEntryAgreesWithTheCatalogueSource)
{
    QFile csv(QStringLiteral(SOURCE_DIR "/resources/pueblos.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QString all = QString::fromUtf8(csv.readAll());
    const QStringList lines = all.split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() <= 1)
        GTEST_SKIP() << "the catalogue source holds no units";
    const QStringList header = csvFields(lines[0].trimmed());
    const qsizetype dicc = header.indexOf("NOMBREDICC");
    const qsizetype y1900 = header.indexOf("1900");
    const qsizetype y2004 = header.indexOf("2004");
    ASSERT_GE(dicc, 0);
    ASSERT_GE(y1900, 0);
    ASSERT_GE(y2004, 0);
    QStringList abiego;
    bool almunia = false;
    for (const QString& line : lines) {
        const QStringList f = csvFields(line.trimmed());
        if (f.size() != header.size())
            continue;
        if (f[dicc] == "Abiego")
            abiego = f;
        if (f[dicc] == QString::fromUtf8("Almunia de Doña Godina (La)"))
            almunia = true;
    }
    EXPECT_TRUE(text.contains(QString::fromUtf8("Abiego. Municipio de la provincia de Huesca. Población: 1.383 habitantes "
                                                "en el censo de 1900 y 288 en el padrón de 2004.")));
    ASSERT_FALSE(abiego.isEmpty()) << "no Abiego in the catalogue";
    EXPECT_EQ(abiego[y1900], "1.383");
    EXPECT_EQ(abiego[y2004], "288");
    EXPECT_TRUE(abiego[header.indexOf("COMENTARIO")].startsWith("Municipio de la provincia de Huesca"));
    EXPECT_TRUE(almunia) << "the article example is not in the catalogue";
    EXPECT_TRUE(text.contains(QString::fromUtf8("(Almunia de Doña Godina (La))")));
}

// --- The build step that writes the document -----------------------------------

namespace {

struct BuildStep : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
        ASSERT_FALSE(cmake.isEmpty());
    }

    // A stand-in catalogue tool: prints the given answers.
    QString fakeTool(const QString& counts, const QString& k2, const QString& k3, const QString& k4, int countsExit = 0,
                     int filterExit = 0)
    {
        const QString path = dir.filePath(QStringLiteral("tool%1.sh").arg(++tools));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\n"
                               "case \"$1\" in\n"
                               "counts) printf '%1'; exit %2;;\n"
                               "filter) case \"$3\" in\n"
                               "  'tiponum = 2') printf '%3\\nAbiego\\n';;\n"
                               "  'tiponum = 3') printf '%4\\n';;\n"
                               "  'tiponum = 4') printf '%5\\n';;\n"
                               "  *) exit 3;; esac; exit %6;;\n"
                               "esac\nexit 2\n")
                    .arg(counts)
                    .arg(countsExit)
                    .arg(k2, k3, k4)
                    .arg(filterExit)
                    .toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return path;
    }

    // Runs the build step; the document's text.
    QString build(const QString& tool)
    {
        const QString out = dir.filePath(QStringLiteral("AYUDA%1").arg(tools));
        QProcess p;
        p.start(cmake, {"-DTOOL=" + tool, "-DPACKET=" + dir.filePath("PUEBLOS"),
                        "-DAYUDA_IN=" SOURCE_DIR "/resources/ayuda.rtf.in", "-DAYUDA_DOC=" + out, "-P",
                        SOURCE_DIR "/resources/ayuda.cmake"});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QByteArray data = readResource(out);
        EXPECT_FALSE(data.contains('@'));
        QTextDocument doc;
        EXPECT_TRUE(rtf::read(data, doc));
        return doc.toRawText();
    }

    QTemporaryDir dir;
    QString cmake;
    int tools = 0;
};

} // namespace

TEST_F(BuildStep, FullCatalogue)
{
    const QString text = build(fakeTool("entradas 4068\\nreferencias 5029\\n", "995", "3976", "55"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("una por cada nombre de lugar: en esta edición, 4.068 entradas.")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("En total, el catálogo contiene 5.029 referencias.")));
    EXPECT_TRUE(text.contains(QString::fromUtf8(
        "Esta edición del catálogo contiene 995 municipios, 3.976 entidades de población y 55 núcleos de población.")));
    EXPECT_FALSE(text.contains(QString::fromUtf8("No contiene")));
}

TEST_F(BuildStep, MunicipalitiesOnly)
{
    const QString text = build(fakeTool("entradas 731\\r\\nreferencias 731\\r\\n", "731", "0", "0"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("731 entradas.")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("731 referencias.")));
    EXPECT_TRUE(text.contains(QString::fromUtf8(
        "Esta edición del catálogo contiene 731 municipios. No contiene entidades de población ni núcleos de población, "
        "de modo que las listas de entidades y de núcleos aparecen siempre vacías.")));
}

TEST_F(BuildStep, SingularAndNoNuclei)
{
    const QString text = build(fakeTool("referencias 2\\nentradas 1\\n", "1", "1", "0"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("en esta edición, 1 entrada.")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("contiene 2 referencias.")));
    EXPECT_TRUE(text.contains(QString::fromUtf8(
        "contiene 1 municipio y 1 entidad de población. No contiene núcleos de población, de modo que la lista de "
        "núcleos aparece siempre vacía.")));
}

TEST_F(BuildStep, ToolWithoutFiguresStatesNone)
{
    for (const QString& tool : {fakeTool("", "", "", "", 2, 2), fakeTool("entradas muchas\\n", "x", "y", "z"),
                                dir.filePath("no-such-tool")}) {
        const QString text = build(tool);
        EXPECT_FALSE(text.contains(QString::fromUtf8(" entradas."))) << tool.toStdString();
        EXPECT_FALSE(text.contains(QString::fromUtf8(" referencias.")));
        EXPECT_TRUE(text.contains(QString::fromUtf8("Las unidades de población que contiene esta edición del catálogo se "
                                                    "pueden consultar con el botón «Listar todas».")));
        EXPECT_TRUE(text.contains(QString::fromUtf8("ACLARACIONES PARA LA INTERPRETACIÓN DEL CATÁLOGO")));
    }
    // Counts without the kinds: the edition sentence gives the total.
    const QString text = build(fakeTool("entradas 12\\nreferencias 1234\\n", "", "", "", 0, 1));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Esta edición del catálogo contiene 1.234 unidades de población.")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("12 entradas.")));
}
