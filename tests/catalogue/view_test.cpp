// The view: when the current record moves, and when afterScroll runs.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "error.h"
#include "packet.h"
#include "view.h"

using catalogue::View;

namespace {

using Row = std::vector<std::optional<std::string>>;

Row unit(const std::string& ident, const std::string& name)
{
    Row row(18, std::string("-"));
    row[0] = ident;
    row[1] = ident.substr(0, 1);
    row[2] = row[3] = row[4] = name;
    row[5] = "Nota de " + name + ".";
    return row;
}

// Stored order by IDENT; names deliberately out of alphabetical order; the
// irregular unit 31625 with its nulls and words.
std::string sample()
{
    std::vector<catalogue::FieldDef> fields;
    for (const char* name : {"IDENT", "TIPONUM", "NOMBREBUSC", "NOMBREDICC", "NOMBREMOST", "COMENTARIO", "1900",
                             "1910", "1920", "1930", "1940", "1950", "1960", "1970", "1981", "1991", "2001", "2004"})
        fields.push_back({name, std::string(name) == "COMENTARIO" ? catalogue::FieldKind::Memo
                                                                 : catalogue::FieldKind::String,
                          static_cast<std::uint16_t>(std::string(name) == "COMENTARIO" ? 1 : 55)});
    catalogue::Table table(fields, catalogue::kSpanishTraditional);
    Row hostal = unit("31625", "Hostal");
    hostal[3] = "El Ciervo";
    hostal[4] = hostal[8] = std::nullopt;
    hostal[6] = "Hostal";
    hostal[7] = "El Cier";
    hostal[9] = "1.016";
    hostal[10] = "Pe\xF1" "a";
    for (const Row& row : {unit("20001", "Zuera"), unit("20002", "Chalamera"), unit("20003", "Cutanda"),
                           unit("20004", "Lledo"), unit("20005", "Luzas"), unit("30001", "Peñalba"),
                           unit("30002", "Abay"), hostal, unit("40001", "Sarsa")})
        table.addRecord(row);
    return catalogue::writePacket(table);
}

// The IDENT of the visible records, in view order.
std::string idents(const View& view)
{
    std::string out;
    for (int row = 0; row < view.recordCount(); ++row)
        out.append(row ? " " : "").append(view.table().text(view.recordAt(row), 0));
    return out;
}

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.afterScroll = [this](View& v) {
            log.append(log.empty() ? "" : " ").append(v.recordCount() > 0 ? v.fieldByName("ident").asString() : "-");
        };
    }
    // The IDENT at each afterScroll since the last call ("-" for an empty view).
    std::string calls() { return std::exchange(log, ""); }
    void open(const char* filter)
    {
        view.setFilter(filter);
        view.setFiltered(true);
        view.loadFromBytes(sample());
    }
    View view;
    std::string log;
};

} // namespace

TEST_F(ViewTest, LoadOpensOnTheFirstRecordCloseAndAFailedLoadLeaveItClosed)
{
    std::istringstream stream(sample());
    view.loadFromStream(stream);
    EXPECT_TRUE(view.active());
    EXPECT_EQ(view.recordCount(), 9);
    EXPECT_EQ(view.recNo(), 0);
    EXPECT_TRUE(view.bof());
    EXPECT_FALSE(view.eof());
    EXPECT_EQ(calls(), "20001");

    view.close();
    EXPECT_FALSE(view.active());
    EXPECT_EQ(view.recordCount(), 0);
    EXPECT_EQ(view.moveBy(1), 0);
    // A failed load leaves the view closed.
    EXPECT_THROW(view.loadFromBytes("not a packet"), catalogue::PacketError);
    view.setIndexFieldNames("NOSUCHFIELD");
    EXPECT_THROW(view.loadFromBytes(sample()), catalogue::Error);
    EXPECT_FALSE(view.active());

    view.setIndexFieldNames("");
    open("tiponum = 9"); // an empty view opens without a notification
    EXPECT_EQ(view.recordCount(), 0);
    EXPECT_EQ(view.recNo(), -1);
    EXPECT_TRUE(view.bof() && view.eof());
    EXPECT_EQ(calls(), "");
}

TEST_F(ViewTest, FilterAndOrderSetBeforeLoadingApplyAtOpen)
{
    view.setFilter("tiponum = 2");
    view.setFiltered(true);
    EXPECT_EQ(calls(), "") << "a closed view only stores filter and flag";
    view.loadFromBytes(sample());
    EXPECT_EQ(calls(), "20001") << "first record in stored order";
    view.setIndexFieldNames("NOMBREBUSC");
    EXPECT_EQ(calls(), "") << "ordering does not notify";
    EXPECT_EQ(view.fieldByName("IDENT").asString(), "20001") << "the current record stays the same record";
    EXPECT_EQ(idents(view), "20003 20002 20005 20004 20001") << "Cutanda, Chalamera, Luzas, Lledo, Zuera";
}

TEST_F(ViewTest, FilterAndFilteredAssignmentsMoveToTheFirstRecordAndNotify)
{
    open("tiponum = 3");
    view.moveBy(2);
    calls();
    view.setFilter("tiponum = 3"); // the same text again
    EXPECT_EQ(view.recNo(), 0);
    view.setFilter("tiponum = 7"); // no record passes
    EXPECT_EQ(view.recordCount(), 0);
    view.setFilter("tiponum = 2");
    EXPECT_EQ(idents(view), "20001 20002 20003 20004 20005");
    EXPECT_EQ(calls(), "30001 - 20001");

    // On an unfiltered open view the text is only stored; every filtered
    // assignment notifies, a change of flag or not.
    view.setFiltered(false);
    view.setFilter("tiponum = 4");
    EXPECT_EQ(view.recordCount(), 9);
    view.setFiltered(true);
    EXPECT_EQ(idents(view), "40001");
    view.setFiltered(true);
    view.setFiltered(false);
    EXPECT_EQ(view.recordCount(), 9);
    EXPECT_EQ(calls(), "20001 40001 40001 20001");

    // A filter that cannot be read lets nothing through and does not notify.
    view.setFiltered(true);
    calls();
    EXPECT_THROW(view.setFilter("(tiponum = 2) and (Upper(nombrebusc) like '%O'DONNELL%')"), catalogue::FilterError);
    EXPECT_EQ(view.recordCount(), 0);
    EXPECT_EQ(calls(), "");
    view.setFilter("tiponum = 2");
    EXPECT_EQ(view.recordCount(), 5);
    EXPECT_EQ(calls(), "20001");
}

TEST_F(ViewTest, MoveByRespectsTheStartAndEndMarks)
{
    view.loadFromBytes(sample());
    calls();
    EXPECT_EQ(view.moveBy(0), 0);
    EXPECT_EQ(view.moveBy(-1), 0) << "standing at the start after opening";
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(view.moveBy(1), 1);
    EXPECT_EQ(view.moveBy(-1), -1) << "the distance moved, negative backwards";
    EXPECT_FALSE(view.bof()) << "reaching the first record by a move does not mark the start";
    EXPECT_EQ(view.moveBy(-1), 0);
    EXPECT_TRUE(view.bof()) << "trying to move past it does, and notifies";
    EXPECT_EQ(calls(), "20002 20001 20001");

    EXPECT_EQ(view.moveBy(8), 8);
    EXPECT_FALSE(view.eof());
    EXPECT_EQ(view.moveBy(1), 0);
    EXPECT_TRUE(view.eof());
    view.first();
    EXPECT_EQ(view.moveBy(100), 8) << "a move stopped by the end marks it at once";
    EXPECT_TRUE(view.eof());
    EXPECT_EQ(calls(), "40001 40001 20001 40001");
}

TEST_F(ViewTest, FieldByNameIgnoresCaseAndReadsNullsAsEmpty)
{
    open("ident = 31625");
    ASSERT_EQ(view.recordCount(), 1);
    EXPECT_EQ(view.fieldByName("ident").asInteger(), 31625);
    EXPECT_EQ(view.fieldByName("NombreDicc").asString(), "El Ciervo");
    EXPECT_TRUE(view.fieldByName("nombremost").isNull());
    EXPECT_EQ(view.fieldByName("nombremost").asString(), "");
    EXPECT_EQ(view.fieldByName("1910").asString(), "El Cier");
    try {
        (void)view.fieldByName("poblacion");
        ADD_FAILURE() << "no error";
    } catch (const catalogue::Error& e) {
        EXPECT_STREQ(e.what(), "No se encuentra el campo 'poblacion'");
    }
}

TEST_F(ViewTest, AsIntegerRefusesAValueThatIsNoWholeNumberAndSaysWhichInUtf8)
{
    open("ident = 31625");
    for (const auto& [field, message] : std::vector<std::pair<const char*, const char*>>{
             {"1930", "'1.016' no es un valor entero válido"}, {"1940", "'Peña' no es un valor entero válido"}}) {
        try {
            (void)view.fieldByName(field).asInteger();
            ADD_FAILURE() << "no error for " << field;
        } catch (const catalogue::ConversionError& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST_F(ViewTest, BoundControlsHearOfAChangeBeforeAfterScroll)
{
    const int id = view.addListener(
        [&](View::DataEvent e) { log += e == View::DataEvent::DataSetChange ? "change " : "scroll "; });
    view.afterScroll = [&](View&) { log += "after "; };
    view.loadFromBytes(sample());
    view.moveBy(1);
    view.setFiltered(true);
    view.setFilter(""); // the same filter again: only a move to the first record
    view.close();
    EXPECT_EQ(calls(), "change after scroll after change after scroll after change ");
    view.removeListener(id);
    view.loadFromBytes(sample());
    EXPECT_EQ(calls(), "after ");
}
