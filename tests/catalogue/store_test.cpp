// Views loaded from the same bytes in one thread share one catalogue; other
// bytes, even of the same size at the same place, are read anew, and so are
// the same bytes in another thread. Bytes that outlive every view are read
// where they lie.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "packet.h"
#include "view.h"

namespace {

std::string packetNamed(const std::string& name)
{
    catalogue::Table table({{"NOMBREBUSC", catalogue::FieldKind::String, 9}}, catalogue::kSpanishTraditional);
    table.addRecord({name});
    return catalogue::writePacket(table);
}

TEST(StoreTest, SameBytesShareOneTableOtherBytesDoNot)
{
    std::string bytes = packetNamed("Abay");
    catalogue::View a, b, c;
    a.loadFromBytes(bytes);
    b.loadFromBytes(std::string(bytes));
    EXPECT_EQ(&a.table(), &b.table());

    // The same buffer, changed in place: read anew.
    bytes.replace(bytes.find("Abay"), 4, "Biel");
    c.loadFromBytes(bytes);
    EXPECT_NE(&a.table(), &c.table());
    EXPECT_EQ(c.table().text(0, 0), "Biel");
    EXPECT_EQ(a.table().text(0, 0), "Abay");

    a.close();
    b.close();
    b.loadFromBytes(packetNamed("Abay"));
    EXPECT_EQ(b.table().text(0, 0), "Abay");
}

// Bytes that outlive every view (the catalogue built into the program) are
// read where they lie; any others are copied.
TEST(StoreTest, LastingBytesAreReadInPlaceOthersAreCopied)
{
    const std::string bytes = packetNamed("Abay");
    const auto inBytes = [&bytes](std::string_view text) {
        return text.data() >= bytes.data() && text.data() + text.size() <= bytes.data() + bytes.size();
    };
    catalogue::View lasting, copied;
    lasting.loadFromBytes(bytes, catalogue::PacketBytes::Lasting);
    EXPECT_EQ(lasting.table().packet().data(), bytes.data());
    EXPECT_TRUE(inBytes(lasting.table().text(0, 0)));
    EXPECT_EQ(lasting.table().text(0, 0), "Abay");
    // Another view of the same bytes shares that table.
    copied.loadFromBytes(bytes);
    EXPECT_EQ(&copied.table(), &lasting.table());

    lasting.close();
    copied.close();
    copied.loadFromBytes(bytes);
    EXPECT_FALSE(inBytes(copied.table().text(0, 0)));
    EXPECT_EQ(copied.table().text(0, 0), "Abay");
}

TEST(StoreTest, AddingToATableOfLastingBytesCopiesThemFirst)
{
    std::string bytes = packetNamed("Abay");
    catalogue::Table table = catalogue::readPacket(bytes, catalogue::PacketBytes::Lasting);
    table.addRecord({std::string("Biel")});
    bytes.replace(bytes.find("Abay"), 4, "Used");
    EXPECT_EQ(table.text(0, 0), "Abay");
    EXPECT_EQ(table.text(1, 0), "Biel");
    EXPECT_EQ(table.packet(), "");
}

TEST(StoreTest, ViewsOfAnotherThreadShareNoTableWithThisOne)
{
    const std::string bytes = packetNamed("Abay");
    catalogue::View here;
    here.loadFromBytes(bytes);
    const catalogue::Table* hereTable = &here.table();
    bool sharedWithHere = true;
    bool sharedThere = false;
    std::thread([&] {
        catalogue::View a, b;
        a.loadFromBytes(bytes);
        b.loadFromBytes(bytes);
        sharedWithHere = &a.table() == hereTable;
        sharedThere = &a.table() == &b.table();
    }).join();
    EXPECT_FALSE(sharedWithHere);
    EXPECT_TRUE(sharedThere) << "within that thread the views share one";
}

} // namespace
