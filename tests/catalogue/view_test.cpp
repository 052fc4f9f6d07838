// The view: when the current record moves, and when AfterScroll runs.
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
    for (int row = 0; row < view.RecordCount(); ++row)
        out.append(row ? " " : "").append(view.table().text(view.recordAt(row), 0));
    return out;
}

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.AfterScroll = [this](View& v) {
            log.append(log.empty() ? "" : " ").append(v.RecordCount() > 0 ? v.FieldByName("ident").AsString() : "-");
        };
    }
    // The IDENT at each AfterScroll since the last call ("-" for an empty view).
    std::string calls() { return std::exchange(log, ""); }
    void open(const char* filter)
    {
        view.setFilter(filter);
        view.setFiltered(true);
        view.LoadFromBytes(sample());
    }
    View view;
    std::string log;
};

} // namespace

TEST_F(ViewTest, LoadOpensOnTheFirstRecordCloseAndAFailedLoadLeaveItClosed)
{
    std::istringstream stream(sample());
    view.LoadFromStream(stream);
    EXPECT_TRUE(view.Active());
    EXPECT_EQ(view.RecordCount(), 9);
    EXPECT_EQ(view.RecNo(), 0);
    EXPECT_TRUE(view.Bof());
    EXPECT_FALSE(view.Eof());
    EXPECT_EQ(calls(), "20001");

    view.Close();
    EXPECT_FALSE(view.Active());
    EXPECT_EQ(view.RecordCount(), 0);
    EXPECT_EQ(view.MoveBy(1), 0);
    // A failed load leaves the view closed.
    EXPECT_THROW(view.LoadFromBytes("not a packet"), catalogue::PacketError);
    view.setIndexFieldNames("NOSUCHFIELD");
    EXPECT_THROW(view.LoadFromBytes(sample()), catalogue::Error);
    EXPECT_FALSE(view.Active());

    view.setIndexFieldNames("");
    open("tiponum = 9"); // an empty view opens without a notification
    EXPECT_EQ(view.RecordCount(), 0);
    EXPECT_EQ(view.RecNo(), -1);
    EXPECT_TRUE(view.Bof() && view.Eof());
    EXPECT_EQ(calls(), "");
}

TEST_F(ViewTest, FilterAndOrderSetBeforeLoadingApplyAtOpen)
{
    view.setFilter("tiponum = 2");
    view.setFiltered(true);
    EXPECT_EQ(calls(), "") << "a closed view only stores filter and flag";
    view.LoadFromBytes(sample());
    EXPECT_EQ(calls(), "20001") << "first record in stored order";
    view.setIndexFieldNames("NOMBREBUSC");
    EXPECT_EQ(calls(), "") << "ordering does not notify";
    EXPECT_EQ(view.FieldByName("IDENT").AsString(), "20001") << "the current record stays the same record";
    EXPECT_EQ(idents(view), "20003 20002 20005 20004 20001") << "Cutanda, Chalamera, Luzas, Lledo, Zuera";
}

TEST_F(ViewTest, FilterAndFilteredAssignmentsMoveToTheFirstRecordAndNotify)
{
    open("tiponum = 3");
    view.MoveBy(2);
    calls();
    view.setFilter("tiponum = 3"); // the same text again
    EXPECT_EQ(view.RecNo(), 0);
    view.setFilter("tiponum = 7"); // no record passes
    EXPECT_EQ(view.RecordCount(), 0);
    view.setFilter("tiponum = 2");
    EXPECT_EQ(idents(view), "20001 20002 20003 20004 20005");
    EXPECT_EQ(calls(), "30001 - 20001");

    // On an unfiltered open view the text is only stored; every Filtered
    // assignment notifies, a change of flag or not.
    view.setFiltered(false);
    view.setFilter("tiponum = 4");
    EXPECT_EQ(view.RecordCount(), 9);
    view.setFiltered(true);
    EXPECT_EQ(idents(view), "40001");
    view.setFiltered(true);
    view.setFiltered(false);
    EXPECT_EQ(view.RecordCount(), 9);
    EXPECT_EQ(calls(), "20001 40001 40001 20001");

    // A filter that cannot be read lets nothing through and does not notify.
    view.setFiltered(true);
    calls();
    EXPECT_THROW(view.setFilter("(tiponum = 2) and (Upper(nombrebusc) like '%O'DONNELL%')"), catalogue::FilterError);
    EXPECT_EQ(view.RecordCount(), 0);
    EXPECT_EQ(calls(), "");
    view.setFilter("tiponum = 2");
    EXPECT_EQ(view.RecordCount(), 5);
    EXPECT_EQ(calls(), "20001");
}

TEST_F(ViewTest, MoveByRespectsTheStartAndEndMarks)
{
    view.LoadFromBytes(sample());
    calls();
    EXPECT_EQ(view.MoveBy(0), 0);
    EXPECT_EQ(view.MoveBy(-1), 0) << "standing at the start after opening";
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(view.MoveBy(1), 1);
    EXPECT_EQ(view.MoveBy(-1), -1) << "the distance moved, negative backwards";
    EXPECT_FALSE(view.Bof()) << "reaching the first record by a move does not mark the start";
    EXPECT_EQ(view.MoveBy(-1), 0);
    EXPECT_TRUE(view.Bof()) << "trying to move past it does, and notifies";
    EXPECT_EQ(calls(), "20002 20001 20001");

    EXPECT_EQ(view.MoveBy(8), 8);
    EXPECT_FALSE(view.Eof());
    EXPECT_EQ(view.MoveBy(1), 0);
    EXPECT_TRUE(view.Eof());
    view.First();
    EXPECT_EQ(view.MoveBy(100), 8) << "a move stopped by the end marks it at once";
    EXPECT_TRUE(view.Eof());
    EXPECT_EQ(calls(), "40001 40001 20001 40001");
}

TEST_F(ViewTest, FieldByNameIgnoresCaseAndReadsNullsAsEmpty)
{
    open("ident = 31625");
    ASSERT_EQ(view.RecordCount(), 1);
    EXPECT_EQ(view.FieldByName("ident").AsInteger(), 31625);
    EXPECT_EQ(view.FieldByName("NombreDicc").AsString(), "El Ciervo");
    EXPECT_TRUE(view.FieldByName("nombremost").IsNull());
    EXPECT_EQ(view.FieldByName("nombremost").AsString(), "");
    EXPECT_EQ(view.FieldByName("1910").AsString(), "El Cier");
    try {
        (void)view.FieldByName("poblacion");
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
            (void)view.FieldByName(field).AsInteger();
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
    view.AfterScroll = [&](View&) { log += "after "; };
    view.LoadFromBytes(sample());
    view.MoveBy(1);
    view.setFiltered(true);
    view.setFilter(""); // the same filter again: only a move to the first record
    view.Close();
    EXPECT_EQ(calls(), "change after scroll after change after scroll after change ");
    view.removeListener(id);
    view.LoadFromBytes(sample());
    EXPECT_EQ(calls(), "after ");
}
