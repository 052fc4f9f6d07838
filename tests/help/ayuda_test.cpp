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
    for (const char* s : {"casilla de búsqueda",
                          "con el artículo delante y con un espacio en lugar del guion: LA ALMUNIA halla Almunia de "
                          "Doña Godina (La), y AINSA SOBRARBE, Aínsa-Sobrarbe.",
                          "censos de 1900 a 2001", "padrón municipal de 2004", "«La casa caída»",
                          "CC BY-SA 4.0", "Fuente: INE, Alteraciones de los municipios en los Censos de Población desde 1842."})
        EXPECT_TRUE(text.contains(s)) << s;
}

TEST_F(HelpDoc, TheFirstParagraphTellsWhatTheSearchFinds)
{
    QTextBlock b = doc.begin();
    while (b.isValid() && !b.text().startsWith("Escriba en la casilla"))
        b = b.next();
    ASSERT_TRUE(b.isValid());
    for (const char* said :
         {"La ñ y la ü de los nombres se hallan también escritas como n y u (ALCANIZ halla Alcañiz, y ANGUES, Angüés), "
          "pero un texto escrito con ñ solo halla nombres con ñ.",
          "No cuentan los espacios al principio ni al final, y varios espacios seguidos valen por uno.",
          "Un número halla las unidades cuyo código empieza por él: 22909 halla Vencillón, y 500950003, la entidad "
          "Ejea de los Caballeros y sus núcleos."})
        EXPECT_TRUE(b.text().contains(QString::fromUtf8(said))) << said;
}

TEST_F(HelpDoc, OneParagraphTellsHowToCopyAUnit)
{
    QTextBlock b = doc.begin();
    while (b.isValid() && !b.text().startsWith("Con Ctrl+C"))
        b = b.next();
    ASSERT_TRUE(b.isValid());
    EXPECT_EQ(b.text(), "Con Ctrl+C en una lista o en la nota, o con la orden Copiar del menú de la tabla de "
                        "población, se copian el nombre, la clase, el código y las doce cifras de la unidad que se muestra, "
                        "como una tabla que puede pegarse en una hoja de cálculo o en un procesador de textos; si "
                        "hay texto seleccionado en la nota, se copia ese texto. Cuando no se muestra ninguna "
                        "unidad, no se copia nada.");
    EXPECT_EQ(formatAt(b, 5).fontWeight(), QFont::Bold);   // "Ctrl+C"
    EXPECT_EQ(formatAt(b, 12).fontWeight(), QFont::Normal); // "en"
    // It comes after the paragraph on selecting a unit, before the figures of the edition.
    EXPECT_TRUE(b.previous().text().startsWith("Al seleccionar una unidad"));
}

TEST_F(HelpDoc, OneParagraphTellsTheKeysOfTheListsAndTheWayOut)
{
    QTextBlock b = doc.begin();
    while (b.isValid() && !b.text().startsWith("Con el teclado"))
        b = b.next();
    ASSERT_TRUE(b.isValid());
    EXPECT_EQ(b.text(), "Con el teclado, Tab pasa al control siguiente y Mayús+Tab al anterior. En las listas de "
                        "entidades y de núcleos, Tab y Mayús+Tab pasan a la fila siguiente o a la anterior; para "
                        "salir de ellas se pulsa Ctrl+Tab (o Ctrl+Mayús+Tab, hacia atrás), que desde cualquier "
                        "control pasa al siguiente.");
    const int ctrlTab = static_cast<int>(b.text().indexOf("Ctrl+Tab"));
    EXPECT_EQ(formatAt(b, ctrlTab + 1).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(b, ctrlTab - 2).fontWeight(), QFont::Normal); // "pulsa"
    // It follows the paragraph on copying.
    EXPECT_TRUE(b.previous().text().startsWith("Con Ctrl+C"));
}

TEST_F(HelpDoc, HeadingsAndBulletedDefinitions)
{
    int last = -1;
    for (const char* heading : {"ACLARACIONES PARA LA INTERPRETACIÓN DEL CATÁLOGO", "Entradas", "Referencias", "Población"}) {
        QTextBlock b = doc.begin();
        while (b.isValid() && b.text() != heading)
            b = b.next();
        ASSERT_TRUE(b.isValid() && b.blockNumber() > last) << heading;
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
        const int n = static_cast<int>(QString(terms[i]).size());
        EXPECT_TRUE(items[i].text().startsWith(QString(terms[i]) + ": ")) << items[i].text().toStdString();
        EXPECT_EQ(formatAt(items[i], n - 1).fontWeight(), QFont::Bold);
        EXPECT_EQ(formatAt(items[i], n + 2).fontWeight(), QFont::Normal);
    }
    EXPECT_EQ(items[0].textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_TRUE(items[6].text().startsWith("El signo - indica") && items[6].blockNumber() > last);
    EXPECT_TRUE(items[7].text().startsWith("Una población de 0 indica"));
}

// The windows and commands beyond the search, each under its heading, between
// the figures of the edition and the notes on the catalogue: the menu bar with
// its shortcuts, the map, the units of a municipality, the comparison and what
// can be taken away. Every key and command is in bold.
TEST_F(HelpDoc, TheMenusWindowsAndKeysAreDescribed)
{
    const auto blockStarting = [&](const QString& start) {
        QTextBlock b = doc.begin();
        while (b.isValid() && !b.text().startsWith(start))
            b = b.next();
        return b;
    };
    const QTextBlock edition = blockStarting("Esta edición del catálogo");
    const QTextBlock notes = blockStarting("ACLARACIONES");
    ASSERT_TRUE(edition.isValid() && notes.isValid());
    int last = edition.blockNumber();
    for (const char* heading : {"La barra de menús", "Mapa de Aragón", "Unidades del municipio", "Comparación de unidades",
                                "Exportar, imprimir y copiar"}) {
        const QTextBlock b = blockStarting(heading);
        ASSERT_TRUE(b.isValid()) << heading;
        EXPECT_EQ(b.text(), heading);
        EXPECT_GT(b.blockNumber(), last) << heading;
        EXPECT_LT(b.blockNumber(), notes.blockNumber()) << heading;
        EXPECT_EQ(formatAt(b, 0).fontWeight(), QFont::Bold) << heading;
        EXPECT_FALSE(b.next().textList()) << heading;
        last = b.blockNumber();
    }
    // The paragraph on copying figures and saving charts closes the first part.
    EXPECT_EQ(notes.previous().text().left(23), "Unidad > Copiar cifras ");

    EXPECT_EQ(blockStarting("La ventana principal tiene").text(),
              "La ventana principal tiene una barra de menús: Alt la abre y las flechas se mueven por ella. El menú "
              "Archivo tiene las órdenes Exportar lista… (Ctrl+E), Imprimir ficha… (Ctrl+P), Exportar ficha a PDF… y "
              "Salir; el menú Unidad, Copiar cifras (Ctrl+C), Ver en el mapa (Ctrl+M), Unidades del municipio "
              "(Ctrl+U) y Añadir a la comparación (Ctrl+D); el menú Ver, Mapa y Comparación (Ctrl+K), y el menú "
              "Ayuda, Ayuda (F1), que abre este documento, y Acerca de Población. Las órdenes que necesitan una "
              "unidad están desactivadas mientras no se muestra ninguna.");
    for (const char* said :
         {"La lista Colorear por elige Nada, la Población en uno de los doce años o la Variación de la población (%) "
          "entre dos de ellos (al principio, de 1900 a 2001)",
          "Con Por comarcas se suman los municipios de cada comarca y se colorean las comarcas.",
          "un municipio sin cifra en ese año aparece rayado en gris, como «sin dato».",
          "un clic en él, o en su fila de la tabla, lo muestra en la ventana principal.",
          "con el teclado, +\u00a0y\u00a0- lo acercan y lo alejan, las flechas lo desplazan, y 0, Inicio o un doble clic en el "
          "fondo muestran de nuevo Aragón entero. Guardar imagen… (PNG o SVG), Imprimir… y Ctrl+C dan el mapa tal "
          "como se ve, con su título, la leyenda, la fecha y la atribución «Límites municipales: obra derivada de "
          "BDLJE, CC BY 4.0, ign.es».",
          "la casilla de búsqueda dice entonces «Unidades de» y el nombre del municipio («Unidades de Aínsa-Sobrarbe»). "
          "La búsqueda siguiente sustituye esas listas por lo que halle.",
          "con los municipios históricos cuyo territorio forma hoy parte de él, y sus entidades y sus núcleos;",
          "Caben en ella hasta diez unidades: una undécima se rechaza con un aviso",
          "La lista Mostrar elige Habitantes (con la casilla Escala logarítmica), Índice (100 en la primera fecha",
          "o en la que se elija en Fecha del índice) o Variación entre censos (%)",
          "Supr, el botón Quitar o el menú de la tabla quitan la unidad de la fila actual, y Vaciar las quita todas. "
          "Imprimir… y Exportar a PDF… dan una página apaisada",
          "con las columnas Código, Unidad, Tipo, Municipio (para las entidades y los núcleos), Comarca (para un "
          "municipio histórico, la de su territorio actual) y los doce años",
          "su segunda hoja, «Fuentes», nombra las fuentes",
          "Archivo > Imprimir ficha… (Ctrl+P) imprime la unidad que se muestra en una página A4",
          "Exportar ficha a PDF… escribe esa misma página en un archivo PDF.",
          "las cifras son números enteros sin punto entre los grupos de tres cifras (1016, no 1.016) y el signo - es "
          "una celda vacía",
          "la orden Guardar gráfico… guarda el gráfico como imagen PNG, como dibujo SVG o como documento PDF; el de la "
          "unidad que se muestra se guarda también con Unidad > Guardar gráfico…."})
        EXPECT_TRUE(text.contains(QString::fromUtf8(said))) << said;

    // Each key, and each command with its key, in bold where it is first named
    // after the edition's figures; the text around it is not.
    for (const char* bold : {"Alt", "Exportar lista…", "Ctrl+E", "Ctrl+P", "Exportar ficha a PDF…", "Salir", "Ctrl+M",
                             "Ctrl+U", "Ctrl+D", "Ctrl+K", "F1", "Acerca de Población", "Colorear por", "Inicio",
                             "Guardar imagen…", "Supr", "Vaciar", "Guardar gráfico…"}) {
        const QString key = QString::fromUtf8(bold);
        bool found = false;
        for (QTextBlock b = edition.next(); b.isValid() && b != notes && !found; b = b.next()) {
            const qsizetype at = b.text().indexOf(key);
            if (at < 0)
                continue;
            found = true;
            for (qsizetype i = 0; i < key.size(); ++i)
                EXPECT_EQ(formatAt(b, static_cast<int>(at + i)).fontWeight(), QFont::Bold) << bold;
            EXPECT_EQ(formatAt(b, static_cast<int>(at - 2)).fontWeight(), QFont::Normal) << bold;
        }
        EXPECT_TRUE(found) << bold;
    }
}

// The document was built from the packet carried as PUEBLOS (what the build
// step writes for each figure: AyudaBuildStep).
TEST_F(HelpDoc, FiguresAreThoseOfTheEmbeddedCatalogue)
{
    const std::optional<QString> counts = runTool({"counts", PUEBLOS_PACKET});
    ASSERT_TRUE(counts);
    const qint64 entries = counts->section(u'\n', 0, 0).section(u' ', 1).toLongLong();
    EXPECT_TRUE(text.contains(spanish(entries) + " entradas.")) << counts->toStdString();
    QStringList units;
    for (const char* kind : {"2", "3", "4"})
        units << runTool({"filter", PUEBLOS_PACKET, QString("tiponum = ") + kind}).value_or("-").section(u'\n', 0, 0);
    EXPECT_TRUE(text.contains(QString("Municipios (%1), Entidades (%2) y Núcleos (%3).").arg(units[0], units[1], units[2])))
        << units.join(' ').toStdString();

    // What the notes say, counted: entities whose latest padrón is before 2020 (no such nucleus in this
    // edition), historical municipalities that took another's name and code, nuclei that were entities,
    // and no census value of 0.
    const auto count = [](const char* expression) {
        return runTool({"filter", PUEBLOS_PACKET, expression}).value_or("-").section(u'\n', 0, 0);
    };
    EXPECT_EQ(count("(tiponum = 4) and not (comentario like '%en el padr_n de 2020 ten_a%')"), "0");
    EXPECT_EQ(count("([1900] = '0') or ([1930] = '0') or ([1981] = '0') or ([2001] = '0') or ([2004] = '0')"), "0");
    for (const QString& s :
         {"la nota da su población en el último padrón del nomenclátor en que figuran como habitados: el de 2020, salvo "
          "para " + count("(tiponum = 3) and not (comentario like '%en el padr_n de 2020 ten_a%')")
              + " entidades, que no figuran en él.",
          "se repartió entre varios o pasó a figurar con el nombre y el código de otro (en esta edición, "
              + count("comentario like '%pas_ a figurar con el nombre y el c_digo de%'") + " casos).",
          "y su nota da el código que tuvo como entidad (en esta edición, "
              + count("comentario like '%figur_ como entidad, con el c_digo%'") + " casos).",
          QString("Una población de 0 indicaría que la unidad figura en la fuente ese año, pero sin habitantes; en esta "
                  "edición no hay ninguna.")})
        EXPECT_TRUE(text.contains(s)) << s.toStdString();
}

// The example entry quotes the catalogue's own figures and names: the two
// units named Santa María de Buil.
TEST_F(HelpDoc, ExampleEntryAgreesWithTheCatalogueSource)
{
    QMap<QString, QStringList> buil; // by kind: IDENT,TIPONUM,…,COMENTARIO,1900,…,2004,CODIGO, every field quoted
    for (const QString& line : QString::fromUtf8(readFile(SOURCE_DIR "/resources/pueblos.csv")).split(u'\n'))
        if (const QStringList f = line.mid(1).chopped(1).split("\",\""); f.size() == 19 && f[3] == "Santa María de Buil")
            buil[f[1]] = f;
    ASSERT_EQ(buil.keys(), QStringList({"2", "3"}));
    EXPECT_TRUE(buil["2"][5].contains("pertenece hoy a Aínsa-Sobrarbe") && buil["2"][13] == "-");
    EXPECT_TRUE(buil["3"][5].contains("del municipio de Aínsa-Sobrarbe"));
    const QString example = "Santa María de Buil. 1. Municipio histórico de la provincia de Huesca, cuyo territorio pertenece "
                            "hoy a Aínsa-Sobrarbe. Población: " + buil["2"][6] + " habitantes en el censo de 1900 y "
                            + buil["2"][12] + " en el de 1960. 2. Entidad de población del municipio de Aínsa-Sobrarbe. "
                            "Población: " + buil["3"][5].section("en el padrón de 2020 tenía ", 1).section(u' ', 0, 0)
                            + " habitantes en el padrón de 2020.";
    EXPECT_TRUE(text.contains(example)) << example.toStdString();
}

// The build step that writes the document, with a stand-in catalogue tool and without one.
TEST(AyudaBuildStep, FiguresFromTheTool)
{
    QTemporaryDir dir;
    const QString cmake = QStandardPaths::findExecutable("cmake");
    ASSERT_FALSE(cmake.isEmpty());
    const QString tool = dir.filePath("tool.sh");
    QFile f(tool);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"(#!/bin/sh
case "$1" in
counts) printf 'entradas 4068\nreferencias 5029\n';;
filter) case "$3" in
  'tiponum = 2') printf '995\nAbiego\n';;
  'tiponum = 3') printf '3976\n';;
  'tiponum = 4') printf '55\n';;
  *'Municipio hist%'*) printf '264\n';;
  *'tiponum = 3) and not'*) printf '1\n';;
  *'tiponum = 4) and not'*) printf '2\n';;
  *'c_digo de%'*) printf '1\n';;
  *'como entidad,'*) printf '0\n';;
  *"[1900] = '0'"*) printf '12\n';;
  *) exit 3;; esac;;
number) case "$2" in 4068) echo 4.068;; 5029) echo 5.029;; 3976) echo 3.976;; *) echo "$2";; esac;;
*) exit 2;;
esac
)");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    const auto build = [&](const QString& withTool) {
        QProcess p;
        p.start(cmake, {"-DTOOL=" + withTool, "-DPACKET=" + dir.filePath("PUEBLOS"), "-DAYUDA_IN=" SOURCE_DIR
                        "/resources/ayuda.rtf.in", "-DAYUDA_DOC=" + withTool + ".rtf", "-P", SOURCE_DIR "/resources/ayuda.cmake"});
        EXPECT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0) << p.readAllStandardError().toStdString();
        const QByteArray data = readFile(withTool + ".rtf");
        EXPECT_FALSE(data.contains('@')) << withTool.toStdString();
        QTextDocument doc;
        EXPECT_TRUE(rtf::read(data, doc));
        return doc.toRawText();
    };
    const QString figures = build(tool);
    for (const char* s : {"una por cada nombre de lugar: en esta edición, 4.068 entradas.",
                          "En total, el catálogo contiene 5.029 referencias.",
                          "Esta edición del catálogo contiene 995 municipios (731 actuales y 264 históricos), 3.976 "
                          "entidades de población y 55 núcleos de población. Al pulsar «Listar todas», los encabezamientos "
                          "de las listas indican Municipios (995), Entidades (3976) y Núcleos (55).",
                          "en que figuran como habitados: el de 2020, salvo para 1 entidad y 2 núcleos, que no figuran en él.",
                          "o pasó a figurar con el nombre y el código de otro (en esta edición, 1 caso). Sus cifras",
                          "Una población de 0 indica que la unidad figura en la fuente ese año, pero sin habitantes; en esta "
                          "edición, 12 unidades la tienen en algún año."})
        EXPECT_TRUE(figures.contains(s)) << s;
    EXPECT_FALSE(figures.contains("No contiene") || figures.contains("pasa a registrar como núcleo"));

    const QString none = build(dir.filePath("no-tool"));
    EXPECT_TRUE(none.contains("Las unidades de población que contiene esta edición del catálogo se pueden consultar "
                              "con el botón «Listar todas».")
                && none.contains("ACLARACIONES PARA LA INTERPRETACIÓN DEL CATÁLOGO"));
    EXPECT_FALSE(none.contains(" entradas.") || none.contains(" referencias.") || none.contains("en esta edición, "));
    for (const char* s : {"en que figuran como habitados.", "el nombre y el código de otro. Sus cifras",
                          "y su nota da el código que tuvo como entidad.",
                          "Una población de 0 indica que la unidad figura en la fuente ese año, pero sin habitantes."})
        EXPECT_TRUE(none.contains(s)) << s;
}
