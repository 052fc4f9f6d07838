// Fuzz target: the Rich Text reader. Any bytes load into a document (as Rich
// Text or as plain text) without a crash, a leak or undefined behaviour.
#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "rtfreader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Fonts and colours of a document need a GUI application; no window is shown.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QTextDocument document;
    rtf::load(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), document);
    return 0;
}
