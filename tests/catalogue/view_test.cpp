// The view: when the current record moves, and when AfterScroll runs.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "error.h"
#include "packet.h"
#include "view.h"

using catalogue::View;

namespace {

const std::vector<std::string> kFields = {"IDENT", "TIPONUM", "NOMBREBUSC", "NOMBREDICC", "NOMBREMOST", "COMENTARIO",
                                          "1900",  "1910",    "1920",       "1930",       "1940",       "1950",
                                          "1960",  "1970",    "1981",       "1991",       "2001",       "2004"};

using Row = std::vector<std::optional<std::string>>;

Row unit(const std::string& ident, const std::string& name)
{
    Row row(kFields.size(), std::string("-"));
    row[0] = ident;
    row[1] = ident.substr(0, 1);
    row[2] = row[3] = row[4] = name;
    row[5] = "Nota de " + name + ".";
    return row;
}

std::string packet(const std::vector<Row>& rows)
{
    std::vector<catalogue::FieldDef> fields;
    for (const auto& name : kFields)
        fields.push_back({name, name == "COMENTARIO" ? catalogue::FieldKind::Memo : catalogue::FieldKind::String,
                          static_cast<std::uint16_t>(name == "COMENTARIO" ? 1 : 55)});
    catalogue::Table table(fields, catalogue::kSpanishTraditional);
    for (const auto& row : rows)
        table.addRecord(row);
    return catalogue::writePacket(table);
}

// Stored order by IDENT; names deliberately out of alphabetical order.
std::string sample()
{
    Row hostal = unit("31625", "Hostal");
    hostal[3] = "El Ciervo";
    hostal[4] = std::nullopt;
    hostal[6] = "Hostal";
    hostal[7] = "El Cier";
    hostal[8] = std::nullopt;
    return packet({unit("20001", "Zuera"), unit("20002", "Chalamera"), unit("20003", "Cutanda"),
                   unit("20004", "Lledo"), unit("20005", "Luzas"), unit("30001", "Peñalba"), unit("30002", "Abay"),
                   hostal, unit("40001", "Sarsa")});
}

struct Recorder {
    std::vector<std::string> calls; // IDENT of the current record at each AfterScroll
    void attach(View& view)
    {
        view.AfterScroll = [this](View& v) {
            calls.push_back(v.RecordCount() > 0 ? v.FieldByName("ident").AsString() : "(vacía)");
        };
    }
};

std::vector<std::string> idents(const View& view)
{
    std::vector<std::string> out;
    for (int row = 0; row < view.RecordCount(); ++row)
        out.emplace_back(view.table().text(view.recordAt(row), 0));
    return out;
}

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override { recorder.attach(view); }
    View view;
    Recorder recorder;
};

} // namespace

TEST_F(ViewTest, LoadOpensOnTheFirstRecordAndNotifiesOnce)
{
    std::istringstream stream(sample());
    view.LoadFromStream(stream);
    EXPECT_TRUE(view.Active());
    EXPECT_EQ(view.RecordCount(), 9);
    EXPECT_EQ(view.RecNo(), 0);
    EXPECT_TRUE(view.Bof());
    EXPECT_FALSE(view.Eof());
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"20001"});

    // An empty view opens without a notification.
    view.setFilter("tiponum = 9");
    view.setFiltered(true);
    recorder.calls.clear();
    view.LoadFromBytes(sample());
    EXPECT_EQ(view.RecordCount(), 0);
    EXPECT_EQ(view.RecNo(), -1);
    EXPECT_TRUE(view.Bof() && view.Eof());
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(ViewTest, FilterAndOrderSetBeforeLoadingApplyAtOpen)
{
    view.setFilter("tiponum = 2");
    view.setFiltered(true);
    EXPECT_TRUE(recorder.calls.empty()) << "a closed view only stores filter and flag";
    view.LoadFromBytes(sample());
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"20001"}) << "first record in stored order";
    view.setIndexFieldNames("NOMBREBUSC");
    EXPECT_EQ(recorder.calls.size(), 1u) << "ordering does not notify";
    EXPECT_EQ(view.FieldByName("IDENT").AsString(), "20001") << "the current record stays the same record";
    EXPECT_EQ(idents(view), (std::vector<std::string>{"20003", "20002", "20005", "20004", "20001"}))
        << "Cutanda, Chalamera, Luzas, Lledo, Zuera";
}

TEST_F(ViewTest, FilterAssignmentAlwaysMovesToTheFirstRecordAndNotifies)
{
    view.setFilter("tiponum = 3");
    view.setFiltered(true);
    view.LoadFromBytes(sample());
    view.MoveBy(2);
    recorder.calls.clear();

    view.setFilter("tiponum = 3"); // the same text again
    EXPECT_EQ(view.RecNo(), 0);
    view.setFilter("tiponum = 7"); // no record passes
    EXPECT_EQ(view.RecordCount(), 0);
    view.setFilter("tiponum = 2");
    EXPECT_EQ(view.RecordCount(), 5);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"30001", "(vacía)", "20001"}));
}

TEST_F(ViewTest, FilterOnAnUnfilteredOpenViewIsOnlyStored)
{
    view.LoadFromBytes(sample());
    recorder.calls.clear();
    view.setFilter("tiponum = 4");
    EXPECT_EQ(view.RecordCount(), 9);
    EXPECT_TRUE(recorder.calls.empty());
    view.setFiltered(true);
    EXPECT_EQ(idents(view), std::vector<std::string>{"40001"});
    view.setFiltered(true); // no change of flag: still back to the first record
    view.setFiltered(false);
    EXPECT_EQ(view.RecordCount(), 9);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"40001", "40001", "20001"}));
}

TEST_F(ViewTest, AFilterThatCannotBeReadLetsNothingThrough)
{
    view.setFilter("tiponum = 2");
    view.setFiltered(true);
    view.LoadFromBytes(sample());
    recorder.calls.clear();
    EXPECT_THROW(view.setFilter("(tiponum = 2) and (Upper(nombrebusc) like '%O'DONNELL%')"),
                 catalogue::FilterError);
    EXPECT_EQ(view.RecordCount(), 0);
    EXPECT_TRUE(recorder.calls.empty());
    view.setFilter("tiponum = 2");
    EXPECT_EQ(view.RecordCount(), 5);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"20001"});
}

TEST_F(ViewTest, MoveByRespectsTheStartAndEndMarks)
{
    view.LoadFromBytes(sample());
    recorder.calls.clear();
    EXPECT_EQ(view.MoveBy(0), 0);
    EXPECT_EQ(view.MoveBy(-1), 0) << "standing at the start after opening";
    EXPECT_TRUE(recorder.calls.empty());

    EXPECT_EQ(view.MoveBy(1), 1);
    EXPECT_FALSE(view.Bof());
    EXPECT_EQ(view.MoveBy(-1), -1) << "the distance moved, negative backwards";
    EXPECT_FALSE(view.Bof()) << "reaching the first record by a move does not mark the start";
    EXPECT_EQ(view.MoveBy(-1), 0);
    EXPECT_TRUE(view.Bof()) << "trying to move past it does, and notifies";
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"20002", "20001", "20001"}));

    // Landing on the last record does not mark the end; the next move does,
    // and notifies; a move stopped by the end marks it at once.
    recorder.calls.clear();
    EXPECT_EQ(view.MoveBy(8), 8);
    EXPECT_FALSE(view.Eof());
    EXPECT_EQ(view.MoveBy(1), 0);
    EXPECT_TRUE(view.Eof());
    EXPECT_EQ(view.MoveBy(1), 0);
    view.First();
    EXPECT_EQ(view.MoveBy(100), 8);
    EXPECT_TRUE(view.Eof());
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"40001", "40001", "20001", "40001"}));
    recorder.calls.clear();
    view.First();
    EXPECT_TRUE(view.Bof());
    view.Last();
    EXPECT_TRUE(view.Eof());
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"20001", "40001"}));
}

TEST_F(ViewTest, FieldByNameIgnoresCaseAndReadsNullsAsEmpty)
{
    view.setFilter("ident = 31625");
    view.setFiltered(true);
    view.LoadFromBytes(sample());
    ASSERT_EQ(view.RecordCount(), 1);
    EXPECT_EQ(view.FieldByName("ident").AsInteger(), 31625);
    EXPECT_EQ(view.FieldByName("NombreDicc").AsString(), "El Ciervo");
    EXPECT_TRUE(view.FieldByName("nombremost").IsNull());
    EXPECT_EQ(view.FieldByName("nombremost").AsString(), "");
    EXPECT_EQ(view.FieldByName("1910").AsString(), "El Cier");
    try {
        (void)view.FieldByName("1900").AsInteger();
        FAIL() << "a word is no whole number";
    } catch (const catalogue::ConversionError& e) {
        EXPECT_STREQ(e.what(), "'Hostal' no es un valor entero válido");
    }
    try {
        (void)view.FieldByName("poblacion");
        FAIL() << "no such field";
    } catch (const catalogue::Error& e) {
        EXPECT_STREQ(e.what(), "No se encuentra el campo 'poblacion'");
    }
}

TEST_F(ViewTest, BoundControlsHearOfAChangeBeforeAfterScroll)
{
    std::vector<std::string> events;
    const int id = view.addListener([&](View::DataEvent e) {
        events.push_back(e == View::DataEvent::DataSetChange ? "change" : "scroll");
    });
    view.AfterScroll = [&](View&) { events.push_back("after"); };
    view.LoadFromBytes(sample());
    view.MoveBy(1);
    view.setFiltered(true);
    view.Close();
    EXPECT_EQ(events, (std::vector<std::string>{"change", "after", "scroll", "after", "change", "after", "change"}));
    view.removeListener(id);
    events.clear();
    view.LoadFromBytes(sample());
    EXPECT_EQ(events, std::vector<std::string>{"after"});
}

TEST_F(ViewTest, NotificationsNestInsideTheOperationThatCausedThem)
{
    View detail;
    std::vector<std::string> shown;
    detail.AfterScroll = [&](View& v) { shown.push_back(v.FieldByName("ident").AsString()); };
    view.AfterScroll = [&](View& v) {
        if (v.RecordCount() > 0) {
            detail.setFilter("ident = " + std::to_string(v.FieldByName("ident").AsInteger()));
            detail.setFiltered(true);
        }
    };
    view.LoadFromBytes(sample()); // the detail view is still closed: only stored
    EXPECT_EQ(detail.Filter(), "ident = 20001");
    detail.LoadFromBytes(sample());
    EXPECT_EQ(shown, std::vector<std::string>{"20001"});
    view.MoveBy(1);
    EXPECT_EQ(shown, (std::vector<std::string>{"20001", "20002", "20002"}));
}

TEST_F(ViewTest, CloseDropsTheRecordsAndAFailedLoadLeavesTheViewClosed)
{
    view.LoadFromBytes(sample());
    view.Close();
    EXPECT_FALSE(view.Active());
    EXPECT_EQ(view.RecordCount(), 0);
    EXPECT_EQ(view.MoveBy(1), 0);
    EXPECT_THROW(view.LoadFromBytes("not a packet"), catalogue::PacketError);
    EXPECT_FALSE(view.Active());
    view.setIndexFieldNames("NOSUCHFIELD");
    EXPECT_THROW(view.LoadFromBytes(sample()), catalogue::Error);
    EXPECT_FALSE(view.Active());
    EXPECT_EQ(recorder.calls.size(), 1u);
}
