#pragma once
// The catalogue packet read from a Qt resource or a file into the store that
// the main window's views share.

#include <QString>
#include <memory>

#include "store.h"

// A catalogue read, or why it could not be.
struct CatalogueRead {
    std::shared_ptr<const catalogue::Store> store; // null when it could not be read
    QString failure;                               // empty when it was read
};

// Reads the packet at `path` (the program's is the embedded ":/PUEBLOS").
// An uncompressed resource built into the program is read where it lies; a
// file is copied, so that it may change or go once read. A failure says why
// in Spanish: the file that cannot be opened, or the packet's own message.
CatalogueRead readCatalogue(const QString& path);
