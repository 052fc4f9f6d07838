// The CSV reader that the catalogue tool and the converter share, and the
// quoting they write with.

#include "csv.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr csv::Rules kCatalogue{.lineBreaksInQuotes = true, .skipEmptyLines = false};
constexpr csv::Rules kSourceTable{.lineBreaksInQuotes = false, .skipEmptyLines = true};

const char* faultName(csv::Fault fault)
{
    switch (fault) {
    case csv::Fault::UnclosedQuote: return "UnclosedQuote";
    case csv::Fault::TextAfterClosingQuote: return "TextAfterClosingQuote";
    case csv::Fault::QuoteInBareCell: return "QuoteInBareCell";
    case csv::Fault::StrayCarriageReturn: return "StrayCarriageReturn";
    }
    return "?";
}

// Every record of `text`, each as its line and its cells ('text', or - for an
// empty bare cell) or its fault, joined by "; ".
std::string read(std::string_view text, csv::Rules rules)
{
    csv::Reader reader(text, rules);
    std::string out;
    csv::Record record;
    while (!reader.atEnd()) {
        out += out.empty() ? "" : "; ";
        if (const std::optional<csv::Error> error = reader.next(record)) {
            out += std::to_string(error->line) + " !" + faultName(error->fault);
            continue;
        }
        out += std::to_string(record.line);
        for (const std::optional<std::string>& cell : record.cells)
            out += cell ? " '" + *cell + "'" : std::string(" -");
    }
    return out;
}

} // namespace

TEST(CsvReader, QuotedCellsHoldCommasAndDoubledQuotesAndAnEmptyTextApartFromAnEmptyCell)
{
    for (const csv::Rules rules : {kCatalogue, kSourceTable}) {
        EXPECT_EQ(read(R"("a,b","say ""hi""","""",x)", rules), R"(1 'a,b' 'say "hi"' '"' 'x')");
        EXPECT_EQ(read(R"(,"",x,)", rules), "1 - '' 'x' -");
        EXPECT_EQ(read(R"("")", rules), "1 ''");
    }
}

TEST(CsvReader, RecordsEndAtLfOrCrLfAndTheLastLineEndMayBeMissing)
{
    for (const csv::Rules rules : {kCatalogue, kSourceTable}) {
        EXPECT_EQ(read("a,b\r\nc\nd", rules), "1 'a' 'b'; 2 'c'; 3 'd'");
        EXPECT_EQ(read("a,\"b\"\r\n\"c\"\n", rules), "1 'a' 'b'; 2 'c'");
    }
}

TEST(CsvReader, AByteOrderMarkIsSkippedAtTheStartOnly)
{
    EXPECT_EQ(read("\xEF\xBB\xBF" "a,b\n", kCatalogue), "1 'a' 'b'");
    EXPECT_EQ(read("a\n\xEF\xBB\xBF" "b\n", kCatalogue), "1 'a'; 2 '\xEF\xBB\xBF" "b'");
    EXPECT_EQ(read("\xEF\xBB\xBF", kCatalogue), "");
}

TEST(CsvReader, TheRecordTextIsTheLineAsWrittenWithoutItsLineEnd)
{
    const std::string text = "\xEF\xBB\xBF\"ine\",nombre\r\nx";
    csv::Reader reader(text, kSourceTable);
    csv::Record record;
    ASSERT_FALSE(reader.next(record));
    EXPECT_EQ(record.text, "\"ine\",nombre");
    ASSERT_FALSE(reader.next(record));
    EXPECT_EQ(record.text, "x");
    EXPECT_TRUE(reader.atEnd());
}

// The catalogue's notes may run over lines; a source table's rows may not.
TEST(CsvReader, ALineBreakInQuotesIsTextOrLeavesTheQuotesUnclosed)
{
    const std::string text = "\"a\nb\r\nc\",d\ne\n";
    EXPECT_EQ(read(text, kCatalogue), "1 'a\nb\r\nc' 'd'; 4 'e'");
    // Reading goes on at the next line: the rest of the value is read as rows.
    EXPECT_EQ(read(text, kSourceTable), "1 !UnclosedQuote; 2 'b'; 3 !QuoteInBareCell; 4 'e'");
}

TEST(CsvReader, EmptyLinesAreSkippedOrAreRecordsOfOneEmptyCell)
{
    const std::string text = "\na\n\r\n\nb\n\n";
    EXPECT_EQ(read(text, kSourceTable), "2 'a'; 5 'b'");
    EXPECT_EQ(read(text, kCatalogue), "1 -; 2 'a'; 3 -; 4 -; 5 'b'; 6 -");
}

TEST(CsvReader, FaultsNameTheirLineAndReadingGoesOnAtTheNextLine)
{
    const std::pair<std::string, std::string> cases[] = {
        // Unclosed: the line where the quote opened.
        {"a\n\"b,c", "1 'a'; 2 !UnclosedQuote"},
        {"a\n\"b\nc\nd", "1 'a'; 2 !UnclosedQuote"},
        // After a closing quote: a comma or a line end, not a lone "\r".
        {"\"a\"b,c\nd", "1 !TextAfterClosingQuote; 2 'd'"},
        {"\"a\"\r,b\nd", "1 !TextAfterClosingQuote; 2 'd'"},
        {"\"a\nb\" c\nd", "2 !TextAfterClosingQuote; 3 'd'"},
        {"a,b\"c\nd", "1 !QuoteInBareCell; 2 'd'"},
        // A "\r" outside quotes ends a line only before "\n".
        {"a\rb\nd", "1 !StrayCarriageReturn; 2 'd'"},
        {"a,b\r", "1 !StrayCarriageReturn"},
        {"a,\r\r\nd", "1 !StrayCarriageReturn; 2 'd'"},
        {"\"a\rb\"", "1 'a\rb'"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(read(text, kCatalogue), expected) << text;
}

TEST(CsvQuoting, WritesEveryValueBetweenQuotesWithInnerQuotesDoubled)
{
    std::string out = "x,";
    csv::appendQuoted(out, "say \"hi\", twice");
    csv::appendQuoted(out, "");
    EXPECT_EQ(out, "x,\"say \"\"hi\"\", twice\"\"\"");
}
