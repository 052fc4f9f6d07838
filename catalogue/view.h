#pragma once
// A view: one data set over the catalogue, with a filter, an order, a current
// record and an after-scroll notification of its own. The catalogue itself
// never changes once read, so views loaded from the same store share it.
// Every rule of when the current record moves and when afterScroll runs lives
// in this class.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collation.h"
#include "filter.h"
#include "store.h"
#include "table.h"

namespace catalogue {

class View;

// One field of a view's current record.
class Field {
public:
    Field(const View& view, std::size_t index) : view_(&view), index_(index) {}
    const FieldDef& def() const;
    bool isNull() const;
    // The stored cp1252 text; empty for a null value or an empty view.
    std::string asString() const;
    std::string_view text() const;
    // The whole number of the text (parseInteger, numbers.h); ConversionError
    // when the text is none.
    std::int32_t asInteger() const;

private:
    const View* view_;
    std::size_t index_;
};

class View {
public:
    View();
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // Called after the current record may have moved (the rules are those of
    // each operation below). May itself operate on other views.
    std::function<void(View&)> afterScroll;

    // What bound controls are told, before afterScroll runs.
    enum class DataEvent {
        DataSetChange, // opened, closed, filtered or reordered: rows changed
        Scroll,        // only the current record moved
    };
    using Listener = std::function<void(DataEvent)>;
    int addListener(Listener listener);
    void removeListener(int id);

    // Closes the view, reads one packet from the stream's position to its end
    // and opens the view: filter in force if filtered, order by
    // indexFieldNames if set, current record the first; afterScroll once if
    // the view holds a record. A PacketError or FilterError leaves it closed.
    void loadFromStream(std::istream& stream);
    // `kind` as for Store::read: Lasting bytes are not copied. Each call
    // reads a store of its own.
    void loadFromBytes(std::string_view packet, PacketBytes kind = PacketBytes::Copied);
    // The same over a catalogue already read, shared with every view loaded
    // from it. A null store leaves the view closed.
    void load(std::shared_ptr<const Store> store);
    void close();
    bool active() const;

    // Closed or unfiltered view: stores the text. Open, filtered view: puts a
    // new text in force, then always moves to the first record and calls
    // afterScroll. A text that does not parse throws FilterError and lets no
    // record through until another text or setFiltered(false).
    void setFilter(std::string text);
    const std::string& filterText() const { return filterText_; }

    // Closed view: stores the flag. Open view: switches the filter if the flag
    // changes, then always moves to the first record and calls afterScroll.
    void setFiltered(bool filtered);
    bool filtered() const { return filtered_; }

    // Orders by the named field (empty: stored order); the current record
    // stays the same record; no afterScroll.
    void setIndexFieldNames(std::string name);
    const std::string& indexFieldNames() const { return indexFieldNames_; }

    int recordCount() const;
    // Position of the current record in view order, from 0; -1 when empty.
    int recNo() const;
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }

    // Nothing when n is 0, or at the start with n < 0, or at the end with
    // n > 0. Otherwise moves up to n records, marking the start or end when it
    // stops there, and calls afterScroll. Returns the rows moved.
    int moveBy(int n);
    void first(); // to the first record (marks the start), afterScroll
    void last();  // to the last record (marks the end), afterScroll

    // The field of that name, regardless of case; FilterError
    // "No se encuentra el campo '%s'" when there is none.
    Field fieldByName(std::string_view name) const;

    // Row access in view order, for bound controls.
    const Table& table() const;
    std::size_t recordAt(int row) const; // table record index of a view row
    // Index of the current record in the table; npos-like SIZE_MAX when empty.
    std::size_t currentRecord() const;

private:
    enum class FilterState { None, InForce, Broken };

    void open(std::shared_ptr<const Store> store);
    int orderFieldOf(std::string_view field) const;
    void compileFilter();
    void refilter();
    void rebuildRows();
    void moveFirst();
    void notify(DataEvent event);

    // The catalogue, read once and shared with every view loaded from the
    // same store; it never changes, so sharing it is the same as a copy.
    std::shared_ptr<const Store> store_;
    catalogue::Filter compiled_;
    FilterState filterState_ = FilterState::None;
    std::string inForce_; // the text of compiled_
    std::string filterText_;
    bool filtered_ = false;
    std::string indexFieldNames_;
    int orderField_ = -1;              // the field of indexFieldNames; -1: stored order
    std::vector<std::uint32_t> rows_;  // the records that pass, in view order
    int cursor_ = -1;
    bool bof_ = true;
    bool eof_ = true;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListener_ = 1;
};

} // namespace catalogue
