#include "rtfreader.h"

#include "cp1252.h"
#include "text.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QPainter>
#include <QFile>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace rtf {
namespace {

// Where the text of a group goes.
enum class Dest {
    Text,       // the document
    Skip,       // nowhere (unknown and ignorable destinations, pictures, ...)
    FontTable,  // font names
    ColorTable, // colour entries
    PnText,     // the bullet or number text of a paragraph: marks it as list item
    Pn,         // paragraph numbering properties
};

enum class ListKind { None, Bullet, Number };

struct CharProps {
    int font = -1;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int color = 0;
    int highlight = 0;
    bool operator==(const CharProps&) const = default;
};

struct ParaProps {
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0, fi = 0, ri = 0, sb = 0, sa = 0; // twips
    ListKind list = ListKind::None;            // from \pn ... \pnlvlblt
};

struct State {
    Dest dest = Dest::Text;
    CharProps chr;
    ParaProps para;
    int uc = 1;
};

int clampInt(long long v, int lo, int hi)
{
    return static_cast<int>(std::clamp<long long>(v, lo, hi));
}

constexpr int kMaxTwips = 31680; // 22 inches

class Reader;
using Action = void (*)(Reader&, int param, bool hasParam);

enum class Kind { Destination, Other };

struct Entry {
    std::string_view word;
    Kind kind;
    Action action;
};

class Reader {
public:
    Reader(const QByteArray& data, QTextDocument& document)
        : m_data(data), m_doc(document), m_cursor(&document)
    {
    }

    void run();

    // --- used by the control word table -----------------------------------
    State& state() { return m_stack.back(); }
    State* parentState() { return m_stack.size() >= 2 ? &m_stack[m_stack.size() - 2] : nullptr; }
    void setDest(Dest d) { state().dest = d; }
    void emitChar(char32_t ch);
    void endParagraph();
    void unicode(int value)
    {
        int v = value;
        if (v < 0)
            v += 65536;
        if (v > 0 && v <= 0xFFFF)
            emitUnit(static_cast<char16_t>(v));
        m_skipChars = state().uc;
    }
    void setDefaultFont(int f) { m_defaultFont = f; }
    void plain()
    {
        state().chr = CharProps{};
        state().chr.font = m_defaultFont;
    }
    void fontNumber(int f)
    {
        if (state().dest == Dest::FontTable) {
            m_fontIndex = f;
            m_fontName.clear();
        } else {
            state().chr.font = f;
        }
    }
    void colorComponent(int shift, int value)
    {
        if (state().dest != Dest::ColorTable)
            return;
        m_colorValue = (m_colorValue & ~(0xFF << shift)) | (std::clamp(value, 0, 255) << shift);
        m_colorSet = true;
    }
    void skipBinary(int count)
    {
        const qsizetype n = std::min<qsizetype>(std::max(count, 0), m_data.size() - m_pos);
        m_pos += n;
    }

private:
    void push();
    void pop();
    void control();
    void dispatch(std::string_view word, int param, bool hasParam);
    void emitUnit(char16_t unit);
    void flushRun();
    QTextCharFormat charFormat(const CharProps& p) const;
    void applyParagraph(const ParaProps& para, ListKind kind);
    void finish();

    const QByteArray& m_data;
    qsizetype m_pos = 0;
    QTextDocument& m_doc;
    QTextCursor m_cursor;
    std::vector<State> m_stack{State{}};
    int m_overflow = 0;          // groups opened beyond kMaxDepth
    bool m_ignorable = false;    // after \*
    int m_skipChars = 0;         // characters still to skip after \uN
    int m_defaultFont = -1;

    QString m_run;
    CharProps m_runProps;

    QHash<int, QString> m_fonts;
    int m_fontIndex = -1;
    QString m_fontName;

    std::vector<QColor> m_colors;
    int m_colorValue = 0;
    bool m_colorSet = false;

    QString m_pnText;
    ListKind m_paraList = ListKind::None; // from \pntext in this paragraph
    QTextList* m_list = nullptr;          // the list the previous paragraph ended in
    ListKind m_listKind = ListKind::None;
    int m_previousSpaceAfter = 0; // twips
    bool m_done = false;
};

// --- The control word table (sorted by word) ----------------------------------

void flag(bool& field, int param, bool hasParam) { field = !hasParam || param != 0; }

void skipDest(Reader& r, int, bool) { r.setDest(Dest::Skip); }
void ch(Reader& r, char32_t c) { r.emitChar(c); }

#define ACTION(body) +[](Reader & r, [[maybe_unused]] int p, [[maybe_unused]] bool h) { body; }

constexpr auto kTable = std::to_array<Entry>({
    {"author", Kind::Destination, skipDest},
    {"b", Kind::Other, ACTION(flag(r.state().chr.bold, p, h))},
    {"bin", Kind::Other, ACTION(r.skipBinary(p))},
    {"bkmkend", Kind::Destination, skipDest},
    {"bkmkstart", Kind::Destination, skipDest},
    {"blue", Kind::Other, ACTION(r.colorComponent(0, p))},
    {"bullet", Kind::Other, ACTION(ch(r, 0x2022))},
    {"cb", Kind::Other, ACTION(r.state().chr.highlight = p)},
    {"cell", Kind::Other, ACTION(ch(r, U'\t'))},
    {"cf", Kind::Other, ACTION(r.state().chr.color = p)},
    {"colortbl", Kind::Destination, ACTION(r.setDest(Dest::ColorTable))},
    {"comment", Kind::Destination, skipDest},
    {"datastore", Kind::Destination, skipDest},
    {"deff", Kind::Other, ACTION(r.setDefaultFont(p))},
    {"doccomm", Kind::Destination, skipDest},
    {"emdash", Kind::Other, ACTION(ch(r, 0x2014))},
    {"emspace", Kind::Other, ACTION(ch(r, 0x2003))},
    {"endash", Kind::Other, ACTION(ch(r, 0x2013))},
    {"enspace", Kind::Other, ACTION(ch(r, 0x2002))},
    {"f", Kind::Other, ACTION(r.fontNumber(p))},
    {"fi", Kind::Other, ACTION(r.state().para.fi = clampInt(p, -kMaxTwips, kMaxTwips))},
    {"fldinst", Kind::Destination, skipDest},
    {"fonttbl", Kind::Destination, ACTION(r.setDest(Dest::FontTable))},
    {"footer", Kind::Destination, skipDest},
    {"footerf", Kind::Destination, skipDest},
    {"footerl", Kind::Destination, skipDest},
    {"footerr", Kind::Destination, skipDest},
    {"footnote", Kind::Destination, skipDest},
    {"fs", Kind::Other, ACTION(r.state().chr.halfPoints = h ? clampInt(p, 2, 2000) : 24)},
    {"generator", Kind::Destination, skipDest},
    {"green", Kind::Other, ACTION(r.colorComponent(8, p))},
    {"header", Kind::Destination, skipDest},
    {"headerf", Kind::Destination, skipDest},
    {"headerl", Kind::Destination, skipDest},
    {"headerr", Kind::Destination, skipDest},
    {"highlight", Kind::Other, ACTION(r.state().chr.highlight = p)},
    {"i", Kind::Other, ACTION(flag(r.state().chr.italic, p, h))},
    {"info", Kind::Destination, skipDest},
    {"keywords", Kind::Destination, skipDest},
    {"latentstyles", Kind::Destination, skipDest},
    {"ldblquote", Kind::Other, ACTION(ch(r, 0x201C))},
    {"li", Kind::Other, ACTION(r.state().para.li = clampInt(p, -kMaxTwips, kMaxTwips))},
    {"line", Kind::Other, ACTION(ch(r, 0x2028))},
    {"listoverridetable", Kind::Destination, skipDest},
    {"listtable", Kind::Destination, skipDest},
    {"listtext", Kind::Destination, ACTION(r.setDest(Dest::PnText))},
    {"lquote", Kind::Other, ACTION(ch(r, 0x2018))},
    {"nonshppict", Kind::Destination, skipDest},
    {"object", Kind::Destination, skipDest},
    {"operator", Kind::Destination, skipDest},
    {"page", Kind::Other, ACTION(r.endParagraph())},
    {"par", Kind::Other, ACTION(r.endParagraph())},
    {"pard", Kind::Other, ACTION(r.state().para = ParaProps{})},
    {"pict", Kind::Destination, skipDest},
    {"plain", Kind::Other, ACTION(r.plain())},
    {"pn", Kind::Destination, ACTION(r.setDest(Dest::Pn))},
    {"pnlvlblt", Kind::Other, ACTION(if (r.state().dest == Dest::Pn && r.parentState()) r.parentState()->para.list = ListKind::Bullet)},
    {"pnlvlbody", Kind::Other, ACTION(if (r.state().dest == Dest::Pn && r.parentState()) r.parentState()->para.list = ListKind::Number)},
    {"pnlvlcont", Kind::Other, ACTION(if (r.state().dest == Dest::Pn && r.parentState()) r.parentState()->para.list = ListKind::None)},
    {"pntext", Kind::Destination, ACTION(r.setDest(Dest::PnText))},
    {"pntxta", Kind::Destination, skipDest},
    {"pntxtb", Kind::Destination, skipDest},
    {"qc", Kind::Other, ACTION(r.state().para.align = Qt::AlignHCenter)},
    {"qj", Kind::Other, ACTION(r.state().para.align = Qt::AlignJustify)},
    {"ql", Kind::Other, ACTION(r.state().para.align = Qt::AlignLeft)},
    {"qmspace", Kind::Other, ACTION(ch(r, 0x2005))},
    {"qr", Kind::Other, ACTION(r.state().para.align = Qt::AlignRight)},
    {"rdblquote", Kind::Other, ACTION(ch(r, 0x201D))},
    {"red", Kind::Other, ACTION(r.colorComponent(16, p))},
    {"ri", Kind::Other, ACTION(r.state().para.ri = clampInt(p, -kMaxTwips, kMaxTwips))},
    {"row", Kind::Other, ACTION(r.endParagraph())},
    {"rquote", Kind::Other, ACTION(ch(r, 0x2019))},
    {"rsidtbl", Kind::Destination, skipDest},
    {"sa", Kind::Other, ACTION(r.state().para.sa = clampInt(p, 0, kMaxTwips))},
    {"sb", Kind::Other, ACTION(r.state().para.sb = clampInt(p, 0, kMaxTwips))},
    {"sect", Kind::Other, ACTION(r.endParagraph())},
    {"stylesheet", Kind::Destination, skipDest},
    {"subject", Kind::Destination, skipDest},
    {"tab", Kind::Other, ACTION(ch(r, U'\t'))},
    {"template", Kind::Destination, skipDest},
    {"themedata", Kind::Destination, skipDest},
    {"title", Kind::Destination, skipDest},
    {"u", Kind::Other, ACTION(r.unicode(clampInt(p, -32768, 65535)))},
    {"uc", Kind::Other, ACTION(r.state().uc = clampInt(p, 0, 10))},
    {"ul", Kind::Other, ACTION(flag(r.state().chr.underline, p, h))},
    {"ulnone", Kind::Other, ACTION(r.state().chr.underline = false)},
    {"xmlnstbl", Kind::Destination, skipDest},
});
#undef ACTION

static_assert(std::is_sorted(kTable.begin(), kTable.end(),
                             [](const Entry& a, const Entry& b) { return a.word < b.word; }),
              "control word table must be sorted");

const Entry* lookup(std::string_view word)
{
    auto it = std::lower_bound(kTable.begin(), kTable.end(), word,
                               [](const Entry& e, std::string_view w) { return e.word < w; });
    return it != kTable.end() && it->word == word ? &*it : nullptr;
}

// --- Reader -------------------------------------------------------------------

void Reader::push()
{
    m_skipChars = 0;
    m_ignorable = false;
    if (m_overflow > 0 || m_stack.size() > static_cast<std::size_t>(kMaxDepth)) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_stack.back());
}

void Reader::pop()
{
    m_skipChars = 0;
    m_ignorable = false;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    const Dest dest = state().dest;
    if (dest == Dest::PnText) {
        const QString t = m_pnText.trimmed();
        m_paraList = !t.isEmpty() && t.front().isDigit() ? ListKind::Number : ListKind::Bullet;
        m_pnText.clear();
    }
    if (m_stack.size() <= 2) {
        m_done = true; // the closing brace of the document; its state stays for the end
        return;
    }
    m_stack.pop_back();
}

void Reader::run()
{
    const qsizetype n = m_data.size();
    while (m_pos < n && !m_done) {
        const char c = m_data[m_pos++];
        switch (c) {
        case '{':
            push();
            break;
        case '}':
            pop();
            break;
        case '\\':
            control();
            break;
        case '\r':
        case '\n':
            break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                emitChar(catalogue::cp1252::toUnicode(static_cast<unsigned char>(c)));
            break;
        }
    }
    finish();
}

void Reader::control()
{
    const qsizetype n = m_data.size();
    if (m_pos >= n)
        return;
    const char c = m_data[m_pos];
    const auto isAlpha = [](char x) { return (x >= 'a' && x <= 'z') || (x >= 'A' && x <= 'Z'); };
    const auto isDigit = [](char x) { return x >= '0' && x <= '9'; };
    if (isAlpha(c)) {
        const qsizetype start = m_pos;
        while (m_pos < n && isAlpha(m_data[m_pos]))
            ++m_pos;
        std::string_view word(m_data.constData() + start, static_cast<std::size_t>(m_pos - start));
        if (word.size() > 32)
            word = std::string_view(); // no such word
        bool negative = false;
        bool hasParam = false;
        long long value = 0;
        if (m_pos + 1 < n && m_data[m_pos] == '-' && isDigit(m_data[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < n && isDigit(m_data[m_pos])) {
            hasParam = true;
            value = std::min(value * 10 + (m_data[m_pos] - '0'), kMaxParameter);
            ++m_pos;
        }
        if (m_pos < n && m_data[m_pos] == ' ')
            ++m_pos;
        dispatch(word, static_cast<int>(negative ? -value : value), hasParam);
        return;
    }
    ++m_pos;
    const bool ignorable = std::exchange(m_ignorable, false);
    (void)ignorable;
    switch (c) {
    case '\'': {
        const auto hex = [](char x) -> int {
            if (x >= '0' && x <= '9') return x - '0';
            if (x >= 'a' && x <= 'f') return x - 'a' + 10;
            if (x >= 'A' && x <= 'F') return x - 'A' + 10;
            return -1;
        };
        const int hi = m_pos < n ? hex(m_data[m_pos]) : -1;
        const int lo = m_pos + 1 < n ? hex(m_data[m_pos + 1]) : -1;
        if (hi < 0 || lo < 0) {
            if (hi >= 0)
                ++m_pos; // an incomplete escape stands for nothing
            return;
        }
        m_pos += 2;
        emitChar(catalogue::cp1252::toUnicode(static_cast<unsigned char>(hi * 16 + lo)));
        return;
    }
    case '*':
        m_ignorable = true;
        return;
    case '\\':
    case '{':
    case '}':
        emitChar(static_cast<char32_t>(c));
        return;
    case '~':
        emitChar(0x00A0);
        return;
    case '_':
        emitChar(0x2011);
        return;
    case '\r':
    case '\n':
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        endParagraph();
        return;
    default: // \- optional hyphen, \| \: and unknown symbols
        if (m_skipChars > 0)
            --m_skipChars;
        return;
    }
}

void Reader::dispatch(std::string_view word, int param, bool hasParam)
{
    const bool ignorable = std::exchange(m_ignorable, false);
    const Entry* entry = lookup(word);
    if (word == "bin") { // binary data is skipped in every state
        skipBinary(param);
        if (m_skipChars > 0)
            --m_skipChars;
        return;
    }
    if (m_skipChars > 0 && !(entry && entry->kind == Kind::Destination)) {
        --m_skipChars;
        return;
    }
    if (m_overflow > 0)
        return;
    if (!entry || (ignorable && entry->kind != Kind::Destination)) {
        if (ignorable)
            setDest(Dest::Skip); // an ignorable destination we do not know
        return;
    }
    if (entry->kind == Kind::Destination && (state().dest == Dest::Skip)) {
        return; // everything inside a skipped group stays skipped
    }
    if (word == "rtf")
        return;
    entry->action(*this, param, hasParam);
}

void Reader::emitChar(char32_t c)
{
    if (c > 0xFFFF) {
        emitUnit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        emitUnit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        return;
    }
    emitUnit(static_cast<char16_t>(c));
}

void Reader::emitUnit(char16_t unit)
{
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    if (m_overflow > 0)
        return;
    State& s = state();
    switch (s.dest) {
    case Dest::Text:
        if (!m_run.isEmpty() && !(s.chr == m_runProps))
            flushRun();
        m_runProps = s.chr;
        m_run += QChar(unit);
        break;
    case Dest::FontTable:
        if (unit == u';') {
            if (m_fontIndex >= 0)
                m_fonts.insert(m_fontIndex, m_fontName.trimmed());
            m_fontName.clear();
        } else {
            m_fontName += QChar(unit);
        }
        break;
    case Dest::ColorTable:
        if (unit == u';') {
            m_colors.push_back(m_colorSet ? QColor(QRgb(m_colorValue)) : QColor());
            m_colorValue = 0;
            m_colorSet = false;
        }
        break;
    case Dest::PnText:
        m_pnText += QChar(unit);
        break;
    case Dest::Skip:
    case Dest::Pn:
        break;
    }
}

QTextCharFormat Reader::charFormat(const CharProps& p) const
{
    QTextCharFormat f;
    const int font = p.font >= 0 ? p.font : m_defaultFont;
    if (auto it = m_fonts.constFind(font); it != m_fonts.constEnd() && !it->isEmpty())
        f.setFontFamilies(QStringList{*it});
    f.setFontPointSize(p.halfPoints / 2.0);
    f.setFontWeight(p.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(p.italic);
    f.setFontUnderline(p.underline);
    const auto colour = [this](int index) {
        return index > 0 && static_cast<std::size_t>(index) < m_colors.size() ? m_colors[static_cast<std::size_t>(index)]
                                                                                : QColor();
    };
    if (const QColor c = colour(p.color); c.isValid())
        f.setForeground(c);
    if (const QColor c = colour(p.highlight); c.isValid())
        f.setBackground(c);
    return f;
}

void Reader::flushRun()
{
    if (m_run.isEmpty())
        return;
    m_cursor.insertText(m_run, charFormat(m_runProps));
    m_run.clear();
}

void Reader::applyParagraph(const ParaProps& para, ListKind kind)
{
    QTextBlockFormat f;
    f.setAlignment(para.align);
    f.setRightMargin(para.ri / kTwipsPerPixel);
    // The space after the previous paragraph and the space before this one
    // add up.
    f.setTopMargin((m_previousSpaceAfter + para.sb) / kTwipsPerPixel);
    if (m_previousSpaceAfter > 0)
        f.setProperty(kSpaceBefore, para.sb / kTwipsPerPixel);
    f.setBottomMargin(para.sa / kTwipsPerPixel);
    m_previousSpaceAfter = para.sa;
    f.setLeftMargin(std::max(0.0, para.li / kTwipsPerPixel));
    if (kind == ListKind::None) {
        f.setTextIndent(para.fi / kTwipsPerPixel);
    } else {
        // The marker stands at the first-line offset; the text goes on at
        // the left margin. Qt draws no marker of its own for the paragraph.
        f.setProperty(kListMarkerIndent, para.fi / kTwipsPerPixel);
        f.setProperty(QTextFormat::ListStyle, static_cast<int>(QTextListFormat::ListStyleUndefined));
    }
    QTextBlock block = m_cursor.block();
    if (QTextList* old = block.textList())
        old->remove(block);
    m_cursor.setBlockFormat(f);
    if (kind == ListKind::None) {
        m_list = nullptr;
    } else if (m_list && m_listKind == kind) {
        m_list->add(m_cursor.block());
    } else {
        QTextListFormat lf;
        lf.setStyle(kind == ListKind::Bullet ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal);
        lf.setIndent(0);
        m_list = m_cursor.createList(lf);
        m_listKind = kind;
    }
}

void Reader::endParagraph()
{
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    if (m_overflow > 0 || state().dest != Dest::Text)
        return;
    flushRun();
    const ListKind kind = m_paraList != ListKind::None ? m_paraList : state().para.list;
    applyParagraph(state().para, kind);
    m_paraList = ListKind::None;
    m_cursor.insertBlock(QTextBlockFormat{}, m_cursor.charFormat());
}

void Reader::finish()
{
    flushRun();
    const QTextBlock last = m_cursor.block();
    if (last.length() <= 1 && m_doc.blockCount() > 1) {
        // The last paragraph mark ends the document: no empty paragraph after it.
        m_cursor.movePosition(QTextCursor::End);
        m_cursor.deletePreviousChar();
    } else {
        applyParagraph(state().para, m_paraList != ListKind::None ? m_paraList : state().para.list);
    }
}

} // namespace

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

void drawListMarkers(QPainter& painter, const QTextDocument& document, const QRectF& clip, const QColor& text)
{
    const QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (!block.textList() || !lines || lines->lineCount() == 0)
            continue;
        const QRectF bounds = layout->blockBoundingRect(block);
        if (bounds.bottom() < clip.top() || bounds.top() > clip.bottom())
            continue;
        // The marker in the font and colour of the paragraph's first run,
        // without its emphasis.
        QTextCharFormat format = block.begin().atEnd() ? block.charFormat() : block.begin().fragment().charFormat();
        QFont font = document.defaultFont();
        font = format.font().resolve(font);
        font.setBold(false);
        font.setItalic(false);
        font.setUnderline(false);
        // Laid out for the document's device, as its text is.
        QTextLayout marker(listMarker(block), font, layout->paintDevice());
        marker.beginLayout();
        const QTextLine markerLine = marker.createLine();
        marker.endLayout();
        const QTextLine first = lines->lineAt(0);
        const double indent = block.blockFormat().doubleProperty(kListMarkerIndent);
        const QPointF at = lines->position()
                           + QPointF(first.x() + indent, first.y() + first.ascent() - markerLine.ascent());
        painter.save();
        painter.setPen(format.foreground().style() != Qt::NoBrush ? format.foreground().color() : text);
        marker.draw(&painter, at);
        painter.restore();
    }
}

bool isRtf(const QByteArray& data) { return data.startsWith("{\\rtf"); }

bool read(const QByteArray& data, QTextDocument& document)
{
    if (!isRtf(data))
        return false;
    document.clear();
    Reader reader(data, document);
    reader.run();
    return true;
}

void load(const QByteArray& data, QTextDocument& document)
{
    if (read(data, document))
        return;
    QString text = ui::fromCp1252(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\t' && c != u'\n'; });
    document.setPlainText(text);
}

void loadFile(const QString& path, QTextDocument& document)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Error al recuperar un \"Stream\"");
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error("Error al recuperar un \"Stream\"");
    load(data, document);
}


} // namespace rtf
