#include "view.h"

#include <algorithm>
#include <istream>
#include <limits>

#include "cp1252.h"
#include "error.h"
#include "numbers.h"
#include "packet.h"

namespace catalogue {
namespace {

constexpr std::size_t kNoRecord = std::numeric_limits<std::size_t>::max();

const Table& emptyTable()
{
    static const Table table;
    return table;
}

[[noreturn]] void fieldNotFound(std::string_view name)
{
    throw FilterError("No se encuentra el campo '" + cp1252::toUtf8(name) + "'");
}

} // namespace

// --- Field -----------------------------------------------------------------------

const FieldDef& Field::def() const { return view_->table().fields()[index_]; }

bool Field::isNull() const
{
    const std::size_t record = view_->currentRecord();
    return record == kNoRecord || view_->table().isNull(record, index_);
}

std::string_view Field::text() const
{
    const std::size_t record = view_->currentRecord();
    return record == kNoRecord ? std::string_view() : view_->table().text(record, index_);
}

std::string Field::asString() const { return std::string(text()); }

std::int32_t Field::asInteger() const
{
    if (const auto value = parseInteger(text()))
        return *value;
    throw ConversionError("'" + cp1252::toUtf8(text()) + "' no es un valor entero válido");
}

// --- View ------------------------------------------------------------------------

View::View() = default;
View::~View() = default;

int View::addListener(Listener listener)
{
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void View::removeListener(int id)
{
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void View::notify(DataEvent event)
{
    // A listener may add or remove listeners while it runs.
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners)
        listener(event);
}

void View::loadFromStream(std::istream& stream)
{
    std::string bytes;
    char chunk[65536];
    while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(stream.gcount()));
    loadFromBytes(bytes);
}

void View::loadFromBytes(std::string_view packet, PacketBytes kind)
{
    close();
    open(Store::read(packet, kind));
}

void View::load(std::shared_ptr<const Store> store)
{
    close();
    if (store)
        open(std::move(store));
}

void View::open(std::shared_ptr<const Store> store)
{
    store_ = std::move(store);
    try {
        orderField_ = orderFieldOf(indexFieldNames_);
        if (filtered_)
            compileFilter();
    } catch (...) {
        close();
        throw;
    }
    rebuildRows();
    moveFirst();
    notify(DataEvent::DataSetChange);
    if (!rows_.empty() && afterScroll)
        afterScroll(*this);
}

// The field that orders the view (-1 for stored order); the order itself is
// built by the store, once for all the views that share it.
int View::orderFieldOf(std::string_view field) const
{
    if (field.empty())
        return -1;
    const int index = store_->table().fieldIndex(field);
    if (index < 0)
        fieldNotFound(field);
    store_->order(index);
    return index;
}

void View::close()
{
    compiled_ = catalogue::Filter();
    filterState_ = FilterState::None;
    rows_.clear();
    orderField_ = -1;
    const bool wasActive = store_ != nullptr;
    store_.reset();
    cursor_ = -1;
    bof_ = eof_ = true;
    if (wasActive)
        notify(DataEvent::DataSetChange);
}

bool View::active() const { return store_ != nullptr; }

const Table& View::table() const { return store_ ? store_->table() : emptyTable(); }

void View::compileFilter()
{
    compiled_ = catalogue::Filter();
    filterState_ = FilterState::None;
    inForce_.clear();
    if (filterText_.empty())
        return;
    // Until the new text has been read, nothing passes: a text that cannot be
    // read lets no record through.
    filterState_ = FilterState::Broken;
    compiled_ = catalogue::Filter::compile(filterText_, store_->table(), store_->collation());
    filterState_ = FilterState::InForce;
    inForce_ = filterText_;
}

void View::rebuildRows()
{
    rows_.clear();
    if (filterState_ == FilterState::Broken)
        return;
    const std::vector<std::uint32_t>& order = store_->order(orderField_);
    if (filterState_ == FilterState::None) {
        rows_ = order;
        return;
    }
    // The filters the window builds are answered from the store's indexes.
    if (store_->select(compiled_.shape(), orderField_, rows_))
        return;
    // Any other: test the records in stored order (the table's memory order),
    // then walk the view order: far kinder to the cache than testing in name
    // order.
    const std::size_t count = store_->table().recordCount();
    std::vector<unsigned char> passes(count);
    std::size_t passing = 0;
    for (std::size_t record = 0; record < count; ++record)
        passing += passes[record] = compiled_.matches(record) ? 1 : 0;
    rows_.reserve(passing);
    for (std::uint32_t record : order)
        if (passes[record])
            rows_.push_back(record);
}

void View::moveFirst()
{
    cursor_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
}

void View::refilter()
{
    try {
        compileFilter();
    } catch (...) {
        rebuildRows();
        moveFirst();
        notify(DataEvent::DataSetChange);
        throw;
    }
    rebuildRows();
}

void View::setFilter(std::string text)
{
    filterText_ = std::move(text);
    if (!active() || !filtered_)
        return;
    const bool changed = filterState_ == FilterState::None ? !filterText_.empty()
                         : filterState_ == FilterState::Broken ? true
                                                               : filterText_ != inForce_;
    if (changed)
        refilter();
    moveFirst();
    notify(changed ? DataEvent::DataSetChange : DataEvent::Scroll);
    if (afterScroll)
        afterScroll(*this);
}

void View::setFiltered(bool filtered)
{
    const bool changed = filtered != filtered_;
    filtered_ = filtered;
    if (!active())
        return;
    if (changed) {
        if (filtered_) {
            refilter();
        } else {
            compiled_ = catalogue::Filter();
            filterState_ = FilterState::None;
            inForce_.clear();
            rebuildRows();
        }
    }
    moveFirst();
    notify(changed ? DataEvent::DataSetChange : DataEvent::Scroll);
    if (afterScroll)
        afterScroll(*this);
}

void View::setIndexFieldNames(std::string name)
{
    if (!active()) {
        indexFieldNames_ = std::move(name);
        return;
    }
    const int field = orderFieldOf(name);
    indexFieldNames_ = std::move(name);
    const std::size_t current = currentRecord();
    orderField_ = field;
    rebuildRows();
    if (rows_.empty()) {
        moveFirst();
    } else {
        const auto at = std::find(rows_.begin(), rows_.end(), current);
        const int row = at == rows_.end() ? 0 : static_cast<int>(at - rows_.begin());
        bof_ = bof_ && row == 0;
        eof_ = eof_ && row == static_cast<int>(rows_.size()) - 1;
        cursor_ = row;
    }
    notify(DataEvent::DataSetChange);
}

int View::recordCount() const { return static_cast<int>(rows_.size()); }

int View::recNo() const { return cursor_; }

std::size_t View::recordAt(int row) const { return rows_.at(static_cast<std::size_t>(row)); }

std::size_t View::currentRecord() const
{
    return cursor_ < 0 ? kNoRecord : rows_[static_cast<std::size_t>(cursor_)];
}

int View::moveBy(int n)
{
    if (n == 0 || (n < 0 && bof_) || (n > 0 && eof_))
        return 0;
    bof_ = eof_ = false;
    const long long last = static_cast<long long>(rows_.size()) - 1;
    long long target = static_cast<long long>(cursor_) + n;
    if (target < 0) {
        target = 0;
        bof_ = true;
    }
    if (target > last) {
        target = last;
        eof_ = true;
    }
    if (rows_.empty()) {
        target = -1;
        bof_ = eof_ = true;
    }
    const int moved = static_cast<int>(target - cursor_);
    cursor_ = static_cast<int>(target);
    notify(DataEvent::Scroll);
    if (afterScroll)
        afterScroll(*this);
    return moved;
}

void View::first()
{
    moveFirst();
    notify(DataEvent::Scroll);
    if (afterScroll)
        afterScroll(*this);
}

void View::last()
{
    cursor_ = static_cast<int>(rows_.size()) - 1;
    bof_ = rows_.empty();
    eof_ = true;
    notify(DataEvent::Scroll);
    if (afterScroll)
        afterScroll(*this);
}

Field View::fieldByName(std::string_view name) const
{
    const int index = table().fieldIndex(name);
    if (index < 0)
        fieldNotFound(name);
    return Field(*this, static_cast<std::size_t>(index));
}

} // namespace catalogue
