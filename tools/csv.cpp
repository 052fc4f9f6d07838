#include "csv.h"

namespace csv {

Reader::Reader(std::string_view text, Rules rules) : text_(text), rules_(rules)
{
    if (text_.starts_with("\xEF\xBB\xBF"))
        pos_ = 3;
    skipEmptyLines();
}

bool Reader::atLineEnd() const
{
    return text_[pos_] == '\n' || (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n');
}

void Reader::skipEmptyLines()
{
    while (rules_.skipEmptyLines && !atEnd() && atLineEnd()) {
        pos_ += text_[pos_] == '\r' ? 2 : 1;
        ++line_;
    }
}

std::optional<Error> Reader::next(Record& record)
{
    record.line = line_;
    record.text = {};
    record.cells.clear();
    const std::size_t start = pos_;
    for (;;) {
        std::optional<std::string> value;
        if (const std::optional<Error> error = cell(value)) {
            const std::size_t end = text_.find('\n', pos_);
            pos_ = text_.size();
            if (end != std::string_view::npos) {
                pos_ = end + 1;
                ++line_;
            }
            skipEmptyLines();
            return error;
        }
        record.cells.push_back(std::move(value));
        if (!atEnd() && text_[pos_] == ',') {
            ++pos_;
            continue;
        }
        record.text = text_.substr(start, pos_ - start);
        if (!atEnd()) { // a line end: a cell stops only there, at a comma or at the end
            pos_ += text_[pos_] == '\r' ? 2 : 1;
            ++line_;
        }
        skipEmptyLines();
        return std::nullopt;
    }
}

std::optional<Error> Reader::cell(std::optional<std::string>& value)
{
    if (atEnd() || text_[pos_] != '"') {
        const std::size_t start = pos_;
        while (!atEnd() && text_[pos_] != ',' && !atLineEnd()) {
            if (text_[pos_] == '"')
                return Error{Fault::QuoteInBareCell, line_};
            if (text_[pos_] == '\r')
                return Error{Fault::StrayCarriageReturn, line_};
            ++pos_;
        }
        if (pos_ > start)
            value = std::string(text_.substr(start, pos_ - start));
        return std::nullopt;
    }
    const std::size_t openedAt = line_;
    value.emplace();
    for (++pos_;; ++pos_) {
        if (atEnd())
            return Error{Fault::UnclosedQuote, openedAt};
        const char c = text_[pos_];
        if (c == '"' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
            *value += '"';
            ++pos_;
        } else if (c == '"') {
            ++pos_;
            if (atEnd() || text_[pos_] == ',' || atLineEnd())
                return std::nullopt;
            return Error{Fault::TextAfterClosingQuote, line_};
        } else if (c == '\n' && !rules_.lineBreaksInQuotes) {
            return Error{Fault::UnclosedQuote, openedAt};
        } else {
            *value += c;
            if (c == '\n')
                ++line_;
        }
    }
}

void appendQuoted(std::string& out, std::string_view value)
{
    out += '"';
    for (char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace csv
