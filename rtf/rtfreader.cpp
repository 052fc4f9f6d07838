#include "rtfreader.h"

#include "cp1252.h"

#include <QColor>
#include <QFile>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
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
        : data_(data), doc_(document), cursor_(&document)
    {
    }

    void run();

    // --- used by the control word table -----------------------------------
    State& state() { return stack_.back(); }
    State* parentState() { return stack_.size() >= 2 ? &stack_[stack_.size() - 2] : nullptr; }
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
        skipChars_ = state().uc;
    }
    void setDefaultFont(int f) { defaultFont_ = f; }
    void plain()
    {
        state().chr = CharProps{};
        state().chr.font = defaultFont_;
    }
    void fontNumber(int f)
    {
        if (state().dest == Dest::FontTable) {
            fontIndex_ = f;
            fontName_.clear();
        } else {
            state().chr.font = f;
        }
    }
    void colorComponent(int shift, int value)
    {
        if (state().dest != Dest::ColorTable)
            return;
        colorValue_ = (colorValue_ & ~(0xFF << shift)) | (std::clamp(value, 0, 255) << shift);
        colorSet_ = true;
    }
    void skipBinary(int count)
    {
        const qsizetype n = std::min<qsizetype>(std::max(count, 0), data_.size() - pos_);
        pos_ += n;
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

    const QByteArray& data_;
    qsizetype pos_ = 0;
    QTextDocument& doc_;
    QTextCursor cursor_;
    std::vector<State> stack_{State{}};
    int overflow_ = 0;          // groups opened beyond kMaxDepth
    bool ignorable_ = false;    // after \*
    int skipChars_ = 0;         // characters still to skip after \uN
    int defaultFont_ = -1;

    QString run_;
    CharProps runProps_;

    QHash<int, QString> fonts_;
    int fontIndex_ = -1;
    QString fontName_;

    std::vector<QColor> colors_;
    int colorValue_ = 0;
    bool colorSet_ = false;

    QString pnText_;
    ListKind paraList_ = ListKind::None; // from \pntext in this paragraph
    QTextList* list_ = nullptr;          // the list the previous paragraph ended in
    ListKind listKind_ = ListKind::None;
    int previousSpaceAfter_ = 0; // twips
    bool done_ = false;
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
    skipChars_ = 0;
    ignorable_ = false;
    if (overflow_ > 0 || stack_.size() > static_cast<std::size_t>(kMaxDepth)) {
        ++overflow_;
        return;
    }
    stack_.push_back(stack_.back());
}

void Reader::pop()
{
    skipChars_ = 0;
    ignorable_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    const Dest dest = state().dest;
    if (dest == Dest::PnText) {
        const QString t = pnText_.trimmed();
        paraList_ = !t.isEmpty() && t.front().isDigit() ? ListKind::Number : ListKind::Bullet;
        pnText_.clear();
    }
    if (stack_.size() <= 2) {
        done_ = true; // the closing brace of the document; its state stays for the end
        return;
    }
    stack_.pop_back();
}

void Reader::run()
{
    const qsizetype n = data_.size();
    while (pos_ < n && !done_) {
        const char c = data_[pos_++];
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
    const qsizetype n = data_.size();
    if (pos_ >= n)
        return;
    const char c = data_[pos_];
    const auto isAlpha = [](char x) { return (x >= 'a' && x <= 'z') || (x >= 'A' && x <= 'Z'); };
    const auto isDigit = [](char x) { return x >= '0' && x <= '9'; };
    if (isAlpha(c)) {
        const qsizetype start = pos_;
        while (pos_ < n && isAlpha(data_[pos_]))
            ++pos_;
        std::string_view word(data_.constData() + start, static_cast<std::size_t>(pos_ - start));
        if (word.size() > 32)
            word = std::string_view(); // no such word
        bool negative = false;
        bool hasParam = false;
        long long value = 0;
        if (pos_ + 1 < n && data_[pos_] == '-' && isDigit(data_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < n && isDigit(data_[pos_])) {
            hasParam = true;
            value = std::min(value * 10 + (data_[pos_] - '0'), kMaxParameter);
            ++pos_;
        }
        if (pos_ < n && data_[pos_] == ' ')
            ++pos_;
        dispatch(word, static_cast<int>(negative ? -value : value), hasParam);
        return;
    }
    ++pos_;
    const bool ignorable = std::exchange(ignorable_, false);
    (void)ignorable;
    switch (c) {
    case '\'': {
        const auto hex = [](char x) -> int {
            if (x >= '0' && x <= '9') return x - '0';
            if (x >= 'a' && x <= 'f') return x - 'a' + 10;
            if (x >= 'A' && x <= 'F') return x - 'A' + 10;
            return -1;
        };
        const int hi = pos_ < n ? hex(data_[pos_]) : -1;
        const int lo = pos_ + 1 < n ? hex(data_[pos_ + 1]) : -1;
        if (hi < 0 || lo < 0) {
            if (hi >= 0)
                ++pos_; // an incomplete escape stands for nothing
            return;
        }
        pos_ += 2;
        emitChar(catalogue::cp1252::toUnicode(static_cast<unsigned char>(hi * 16 + lo)));
        return;
    }
    case '*':
        ignorable_ = true;
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
        if (skipChars_ > 0) {
            --skipChars_;
            return;
        }
        endParagraph();
        return;
    default: // \- optional hyphen, \| \: and unknown symbols
        if (skipChars_ > 0)
            --skipChars_;
        return;
    }
}

void Reader::dispatch(std::string_view word, int param, bool hasParam)
{
    const bool ignorable = std::exchange(ignorable_, false);
    const Entry* entry = lookup(word);
    if (word == "bin") { // binary data is skipped in every state
        skipBinary(param);
        if (skipChars_ > 0)
            --skipChars_;
        return;
    }
    if (skipChars_ > 0 && !(entry && entry->kind == Kind::Destination)) {
        --skipChars_;
        return;
    }
    if (overflow_ > 0)
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
    if (skipChars_ > 0) {
        --skipChars_;
        return;
    }
    if (overflow_ > 0)
        return;
    State& s = state();
    switch (s.dest) {
    case Dest::Text:
        if (!run_.isEmpty() && !(s.chr == runProps_))
            flushRun();
        runProps_ = s.chr;
        run_ += QChar(unit);
        break;
    case Dest::FontTable:
        if (unit == u';') {
            if (fontIndex_ >= 0)
                fonts_.insert(fontIndex_, fontName_.trimmed());
            fontName_.clear();
        } else {
            fontName_ += QChar(unit);
        }
        break;
    case Dest::ColorTable:
        if (unit == u';') {
            colors_.push_back(colorSet_ ? QColor(QRgb(colorValue_)) : QColor());
            colorValue_ = 0;
            colorSet_ = false;
        }
        break;
    case Dest::PnText:
        pnText_ += QChar(unit);
        break;
    case Dest::Skip:
    case Dest::Pn:
        break;
    }
}

QTextCharFormat Reader::charFormat(const CharProps& p) const
{
    QTextCharFormat f;
    const int font = p.font >= 0 ? p.font : defaultFont_;
    if (auto it = fonts_.constFind(font); it != fonts_.constEnd() && !it->isEmpty())
        f.setFontFamilies(QStringList{*it});
    f.setFontPointSize(p.halfPoints / 2.0);
    f.setFontWeight(p.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(p.italic);
    f.setFontUnderline(p.underline);
    const auto colour = [this](int index) {
        return index > 0 && static_cast<std::size_t>(index) < colors_.size() ? colors_[static_cast<std::size_t>(index)]
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
    if (run_.isEmpty())
        return;
    cursor_.insertText(run_, charFormat(runProps_));
    run_.clear();
}

void Reader::applyParagraph(const ParaProps& para, ListKind kind)
{
    QTextBlockFormat f;
    f.setAlignment(para.align);
    f.setRightMargin(para.ri / kTwipsPerPixel);
    // The space after the previous paragraph and the space before this one
    // add up.
    f.setTopMargin((previousSpaceAfter_ + para.sb) / kTwipsPerPixel);
    if (previousSpaceAfter_ > 0)
        f.setProperty(kSpaceBefore, para.sb / kTwipsPerPixel);
    f.setBottomMargin(para.sa / kTwipsPerPixel);
    previousSpaceAfter_ = para.sa;
    f.setLeftMargin(std::max(0.0, para.li / kTwipsPerPixel));
    if (kind == ListKind::None) {
        f.setTextIndent(para.fi / kTwipsPerPixel);
    } else {
        // The marker stands at the first-line offset; the text goes on at
        // the left margin. Qt draws no marker of its own for the paragraph.
        f.setProperty(kListMarkerIndent, para.fi / kTwipsPerPixel);
        f.setProperty(QTextFormat::ListStyle, static_cast<int>(QTextListFormat::ListStyleUndefined));
    }
    QTextBlock block = cursor_.block();
    if (QTextList* old = block.textList())
        old->remove(block);
    cursor_.setBlockFormat(f);
    if (kind == ListKind::None) {
        list_ = nullptr;
    } else if (list_ && listKind_ == kind) {
        list_->add(cursor_.block());
    } else {
        QTextListFormat lf;
        lf.setStyle(kind == ListKind::Bullet ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal);
        lf.setIndent(0);
        list_ = cursor_.createList(lf);
        listKind_ = kind;
    }
}

void Reader::endParagraph()
{
    if (skipChars_ > 0) {
        --skipChars_;
        return;
    }
    if (overflow_ > 0 || state().dest != Dest::Text)
        return;
    flushRun();
    const ListKind kind = paraList_ != ListKind::None ? paraList_ : state().para.list;
    applyParagraph(state().para, kind);
    paraList_ = ListKind::None;
    cursor_.insertBlock(QTextBlockFormat{}, cursor_.charFormat());
}

void Reader::finish()
{
    flushRun();
    const QTextBlock last = cursor_.block();
    if (last.length() <= 1 && doc_.blockCount() > 1) {
        // The last paragraph mark ends the document: no empty paragraph after it.
        cursor_.movePosition(QTextCursor::End);
        cursor_.deletePreviousChar();
    } else {
        applyParagraph(state().para, paraList_ != ListKind::None ? paraList_ : state().para.list);
    }
}

} // namespace

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
    // Code page 1252 without control characters other than tabs and line ends.
    QString text;
    text.reserve(data.size());
    for (const char byte : data) {
        const char32_t c = catalogue::cp1252::toUnicode(static_cast<unsigned char>(byte));
        if (c >= 0x20 || c == U'\t' || c == U'\n')
            text.append(QChar(static_cast<char16_t>(c)));
    }
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
