#pragma once
// The CSV that the catalogue tools read and write, UTF-8 or any other
// ASCII-compatible encoding:
//
//   - cells are separated by commas and records by line ends, "\n" or "\r\n";
//   - a cell is either bare, holding no double quote, comma or line end, or
//     between double quotes, with each double quote inside it written twice;
//     after the closing quote comes a comma, a line end or the end of the text;
//   - a "\r" outside quotes must begin a line end;
//   - a byte order mark at the start is skipped; the last line end may be missing.
//
// The two programs differ in two rules, which each states in its Rules: the
// catalogue CSV allows line breaks inside a quoted note and takes an empty line
// for a record of one empty cell; the source tables keep each record on one
// line and skip empty lines.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace csv {

struct Rules {
    bool lineBreaksInQuotes = false; // else a line end inside quotes leaves them unclosed
    bool skipEmptyLines = false;     // else an empty line is a record of one empty cell
};

struct Record {
    std::size_t line = 0;                          // the line it begins on, from 1
    std::string_view text;                         // as written, without its line end
    std::vector<std::optional<std::string>> cells; // nothing for an empty bare cell; "" for ""
};

enum class Fault {
    UnclosedQuote,         // the text, or the line without lineBreaksInQuotes, ends inside quotes
    TextAfterClosingQuote, // a closing quote followed by other than a comma or a line end
    QuoteInBareCell,       // a double quote inside a cell that does not begin with one
    StrayCarriageReturn,   // a "\r" in a bare cell that no "\n" follows
};

struct Error {
    Fault fault;
    std::size_t line; // where it was found; for an unclosed quote, where the quote opened
};

// Reads the records of a text one by one; the text must outlive the reader.
class Reader {
public:
    explicit Reader(std::string_view text, Rules rules = {});

    bool atEnd() const { return pos_ >= text_.size(); }

    // Reads the next record into `record`: nothing when it is well formed, else
    // the first fault in it, and reading goes on at the line after the fault.
    // Not to be called at the end.
    std::optional<Error> next(Record& record);

private:
    std::optional<Error> cell(std::optional<std::string>& value);
    bool atLineEnd() const; // at "\n" or "\r\n"
    void skipEmptyLines();

    std::string_view text_;
    Rules rules_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

// Appends `value` between double quotes, each double quote inside it twice.
void appendQuoted(std::string& out, std::string_view value);

} // namespace csv
