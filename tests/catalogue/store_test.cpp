// Views loaded from one store share its catalogue; each load from bytes reads
// a catalogue of its own. Bytes that outlive every view are read where they
// lie.
#include <gtest/gtest.h>

#include <string>

#include "packet.h"
#include "view.h"

namespace {

std::string packetNamed(const std::string& name)
{
    catalogue::Table table({{"NOMBREBUSC", catalogue::FieldKind::String, 9}}, catalogue::kSpanishTraditional);
    table.addRecord({name});
    return catalogue::writePacket(table);
}

TEST(StoreTest, ViewsLoadedFromOneStoreShareItsTableEachLoadOfBytesReadsItsOwn)
{
    std::string bytes = packetNamed("Abay");
    const auto store = catalogue::Store::read(bytes);
    catalogue::View a, b, c;
    a.load(store);
    b.load(store);
    EXPECT_EQ(&a.table(), &store->table());
    EXPECT_EQ(&b.table(), &store->table());
    EXPECT_EQ(a.recordCount(), 1);

    // Loaded from bytes, a view reads them anew, even the same bytes.
    c.loadFromBytes(bytes);
    EXPECT_NE(&c.table(), &store->table());
    bytes.replace(bytes.find("Abay"), 4, "Biel");
    c.loadFromBytes(bytes);
    EXPECT_EQ(c.table().text(0, 0), "Biel");
    EXPECT_EQ(a.table().text(0, 0), "Abay");

    // A view closed lets go of the store; the others keep it.
    a.close();
    EXPECT_EQ(store.use_count(), 2);
    EXPECT_EQ(b.table().text(0, 0), "Abay");
    // No store: the view stays closed.
    b.load(nullptr);
    EXPECT_FALSE(b.active());
    EXPECT_EQ(b.recordCount(), 0);
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

} // namespace
