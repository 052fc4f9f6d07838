#pragma once
// A view: one data set over the catalogue, with a filter, an order, a current
// record and an after-scroll notification of its own. The catalogue itself
// never changes once read, so views loaded from the same packet share it.
// Every rule of when the current record moves and when AfterScroll runs lives
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
    bool IsNull() const;
    // The stored cp1252 text; empty for a null value or an empty view.
    std::string AsString() const;
    std::string_view text() const;
    // The whole number of the text (parseInteger, numbers.h); ConversionError
    // when the text is none.
    std::int32_t AsInteger() const;

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
    std::function<void(View&)> AfterScroll;

    // What bound controls are told, before AfterScroll runs.
    enum class DataEvent {
        DataSetChange, // opened, closed, filtered or reordered: rows changed
        Scroll,        // only the current record moved
    };
    using Listener = std::function<void(DataEvent)>;
    int addListener(Listener listener);
    void removeListener(int id);

    // Closes the view, reads one packet from the stream's position to its end
    // and opens the view: filter in force if Filtered, order by
    // IndexFieldNames if set, current record the first; AfterScroll once if
    // the view holds a record. A PacketError or FilterError leaves it closed.
    void LoadFromStream(std::istream& stream);
    void LoadFromBytes(std::string_view packet);
    void Close();
    bool Active() const;

    // Closed or unfiltered view: stores the text. Open, filtered view: puts a
    // new text in force, then always moves to the first record and calls
    // AfterScroll. A text that does not parse throws FilterError and lets no
    // record through until another text or Filtered := false.
    void setFilter(std::string text);
    const std::string& Filter() const { return filterText_; }

    // Closed view: stores the flag. Open view: switches the filter if the flag
    // changes, then always moves to the first record and calls AfterScroll.
    void setFiltered(bool filtered);
    bool Filtered() const { return filtered_; }

    // Orders by the named field (empty: stored order); the current record
    // stays the same record; no AfterScroll.
    void setIndexFieldNames(std::string name);
    const std::string& IndexFieldNames() const { return indexFieldNames_; }

    int RecordCount() const;
    // Position of the current record in view order, from 0; -1 when empty.
    int RecNo() const;
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }

    // Nothing when n is 0, or at the start with n < 0, or at the end with
    // n > 0. Otherwise moves up to n records, marking the start or end when it
    // stops there, and calls AfterScroll. Returns the rows moved.
    int MoveBy(int n);
    void First(); // to the first record (marks the start), AfterScroll
    void Last();  // to the last record (marks the end), AfterScroll

    // The field of that name, regardless of case; FilterError
    // "No se encuentra el campo '%s'" when there is none.
    Field FieldByName(std::string_view name) const;

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
    // same packet; it never changes, so sharing it is the same as a copy.
    std::shared_ptr<const Store> store_;
    catalogue::Filter compiled_;
    FilterState filterState_ = FilterState::None;
    std::string inForce_; // the text of compiled_
    std::string filterText_;
    bool filtered_ = false;
    std::string indexFieldNames_;
    int orderField_ = -1;              // the field of IndexFieldNames; -1: stored order
    std::vector<std::uint32_t> rows_;  // the records that pass, in view order
    int cursor_ = -1;
    bool bof_ = true;
    bool eof_ = true;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListener_ = 1;
};

} // namespace catalogue
