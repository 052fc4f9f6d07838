#include "workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>

#include "sources.h"
#include "spreadsheet.h"
#include "wholefile.h"

namespace exporting {

namespace {

constexpr lxw_col_t kFirstFigureColumn = 5;

// Closes a workbook that was not closed (a failure half way): libxlsxwriter
// frees it only through workbook_close, which then writes the file that is
// thrown away.
struct WorkbookCloser {
    void operator()(lxw_workbook* workbook) const { workbook_close(workbook); }
};
using WorkbookHandle = std::unique_ptr<lxw_workbook, WorkbookCloser>;

// The system error behind a libxlsxwriter failure, where it is one.
int systemErrorOf(lxw_error error)
{
    switch (error) {
    case LXW_NO_ERROR:
        return 0;
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return ENOMEM;
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return errno != 0 ? errno : EIO;
    default:
        return EIO;
    }
}

void writeUnitsSheet(lxw_workbook* workbook, std::span<const UnitRow> rows)
{
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Unidades");
    lxw_format* heading = workbook_add_format(workbook);
    format_set_bold(heading);
    format_set_bottom(heading, LXW_BORDER_THIN);

    // Widths in characters, set before any row (constant memory mode).
    worksheet_set_column(sheet, 0, 0, 12, nullptr);
    worksheet_set_column(sheet, 1, 1, 40, nullptr);
    worksheet_set_column(sheet, 2, 2, 10, nullptr);
    worksheet_set_column(sheet, 3, 4, 28, nullptr);
    worksheet_set_column(sheet, kFirstFigureColumn, kFirstFigureColumn + 11, 9, nullptr);
    worksheet_freeze_panes(sheet, 1, 0);

    lxw_col_t column = 0;
    for (std::string_view text : columnHeadings())
        worksheet_write_string(sheet, 0, column++, std::string(text).c_str(), heading);
    if (!rows.empty())
        worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(rows.size()), kFirstFigureColumn + 11);

    lxw_row_t at = 1;
    for (const UnitRow& row : rows) {
        worksheet_write_string(sheet, at, 0, row.code.c_str(), nullptr);
        worksheet_write_string(sheet, at, 1, row.name.c_str(), nullptr);
        worksheet_write_string(sheet, at, 2, std::string(kindWord(row.kind)).c_str(), nullptr);
        if (!row.municipality.empty())
            worksheet_write_string(sheet, at, 3, row.municipality.c_str(), nullptr);
        if (!row.comarca.empty())
            worksheet_write_string(sheet, at, 4, row.comarca.c_str(), nullptr);
        for (std::size_t year = 0; year < row.figures.size(); ++year)
            if (row.figures[year])
                worksheet_write_number(sheet, at, kFirstFigureColumn + static_cast<lxw_col_t>(year),
                                       *row.figures[year], nullptr);
        ++at;
    }
}

// The widths of the sources sheet's columns, in characters.
constexpr std::array<double, 4> kSourceColumnWidths = {60, 40, 40, 50};

// The height of a row of wrapped cells, in points: spreadsheets do not fit a
// row to its wrapped text when they open a file, so the row is given the
// lines its longest cell takes (a character per unit of width, which leaves
// room for the widest letters), 15 points each.
double rowHeight(const std::array<std::string, 4>& cells)
{
    std::size_t lines = 1;
    for (std::size_t column = 0; column < cells.size(); ++column) {
        std::size_t characters = 0;
        for (unsigned char c : cells[column])
            characters += (c & 0xC0) != 0x80; // UTF-8: count the first byte of each character
        const auto perLine = static_cast<std::size_t>(kSourceColumnWidths[column]);
        lines = std::max(lines, (characters + perLine - 1) / perLine);
    }
    return 15.0 * static_cast<double>(lines);
}

void writeSourcesSheet(lxw_workbook* workbook, std::span<const UnitRow> rows)
{
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Fuentes");
    lxw_format* heading = workbook_add_format(workbook);
    format_set_bold(heading);
    format_set_bottom(heading, LXW_BORDER_THIN);
    lxw_format* wrapped = workbook_add_format(workbook);
    format_set_text_wrap(wrapped);
    format_set_align(wrapped, LXW_ALIGN_VERTICAL_TOP);

    for (lxw_col_t column = 0; column < 4; ++column)
        worksheet_set_column(sheet, column, column, kSourceColumnWidths[column], wrapped);
    worksheet_freeze_panes(sheet, 1, 0);

    const char* const headings[] = {"Fuente", "Qué da a esta lista", "Licencia", "Cita o atribución"};
    for (lxw_col_t column = 0; column < 4; ++column)
        worksheet_write_string(sheet, 0, column, headings[column], heading);
    lxw_row_t at = 1;
    for (const Source& source : sourcesOf(rows)) {
        worksheet_set_row(sheet, at, rowHeight({source.name, source.gives, source.licence, source.attribution}),
                          nullptr);
        worksheet_write_string(sheet, at, 0, source.name.c_str(), wrapped);
        worksheet_write_string(sheet, at, 1, source.gives.c_str(), wrapped);
        worksheet_write_string(sheet, at, 2, source.licence.c_str(), wrapped);
        worksheet_write_string(sheet, at, 3, source.attribution.c_str(), wrapped);
        ++at;
    }
    ++at;
    worksheet_set_row(sheet, at, rowHeight({std::string(kEmptyFigureNote), {}, {}, {}}), nullptr);
    worksheet_write_string(sheet, at, 0, std::string(kEmptyFigureNote).c_str(), wrapped);
}

} // namespace

void writeWorkbook(const std::string& path, std::span<const UnitRow> rows)
{
    writeWhole(path, [rows](const std::string& temporary) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE; // each row goes to the disk as it is written
        errno = 0;
        WorkbookHandle workbook(workbook_new_opt(temporary.c_str(), &options));
        if (!workbook)
            return errno != 0 ? errno : ENOMEM;
        writeUnitsSheet(workbook.get(), rows);
        writeSourcesSheet(workbook.get(), rows);
        errno = 0;
        const lxw_error closed = workbook_close(workbook.release());
        return systemErrorOf(closed);
    });
}

} // namespace exporting
