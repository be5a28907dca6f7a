// Prints a workbook as FreeXL reads it, in the same dump form as xls_dump.py,
// so the keeping tests check our workbooks with a second, independent reader.
#include <freexl.h>

#include <cstdio>
#include <string>

namespace {

std::string hexed(const char* text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const char* p = text; *p; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        out.push_back(digits[byte >> 4]);
        out.push_back(digits[byte & 0xF]);
    }
    return out;
}

int fail(const char* what, int code) {
    std::fprintf(stderr, "freexl: %s failed (%d)\n", what, code);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return fail("usage", 0);
    const void* handle = nullptr;
    int rc = freexl_open(argv[1], &handle);
    // FreeXL may answer OK and still give no handle for a file it rejects.
    if (rc != FREEXL_OK || handle == nullptr)
        return fail("open", rc);
    unsigned int biff = 0, codepage = 0, sheets = 0;
    freexl_get_info(handle, FREEXL_BIFF_VERSION, &biff);
    freexl_get_info(handle, FREEXL_BIFF_CODEPAGE, &codepage);
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    std::printf("META %u %u %u\n", biff, codepage, sheets);
    const char* name = nullptr;
    if ((rc = freexl_get_worksheet_name(handle, 0, &name)) != FREEXL_OK)
        return fail("worksheet name", rc);
    std::printf("NAME %s\n", hexed(name).c_str());
    if ((rc = freexl_select_active_worksheet(handle, 0)) != FREEXL_OK)
        return fail("select worksheet", rc);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if ((rc = freexl_worksheet_dimensions(handle, &rows, &columns)) != FREEXL_OK)
        return fail("dimensions", rc);
    std::printf("SIZE %u %u\n", rows, columns);
    for (unsigned int r = 0; r < rows; ++r) {
        std::string line;
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if ((rc = freexl_get_cell_value(handle, r, c, &cell)) != FREEXL_OK)
                return fail("cell", rc);
            if (c > 0)
                line.push_back('\t');
            if (cell.type == FREEXL_CELL_SST_TEXT || cell.type == FREEXL_CELL_TEXT)
                line += hexed(cell.value.text_value);
            else if (cell.type != FREEXL_CELL_NULL)
                return fail("cell type", cell.type);
        }
        std::printf("%s\n", line.c_str());
    }
    freexl_close(handle);
    return 0;
}
