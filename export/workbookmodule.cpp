// The workbook module: writeWorkbook behind one C symbol, so that the program
// finds it by name. No exception leaves the module; its reason does.
#include "workbookmodule.h"

#include <exception>
#include <type_traits>
#include <span>

#include "workbook.h"

extern "C" __attribute__((visibility("default"))) bool poblacion_write_workbook(const std::string& path,
                                                                                const exporting::UnitRow* rows,
                                                                                std::size_t count,
                                                                                std::string& failure)
{
    static_assert(std::is_same_v<decltype(poblacion_write_workbook), exporting::WriteWorkbookFunction>);
    try {
        exporting::writeWorkbook(path, std::span<const exporting::UnitRow>(rows, count));
        return true;
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "Error desconocido al escribir el libro.";
    }
    return false;
}
