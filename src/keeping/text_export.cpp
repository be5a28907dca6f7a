#include "keeping/text_export.h"

#include "keeping/atomic_file.h"

namespace tolvane {

bool WriteExportText(const std::vector<CellRow>& rows, ByteSink& out) {
    Text line;
    for (const CellRow& row : rows) {
        line.clear();
        for (const Text& cell : row)
            line.append(cell).append("  ");
        line.append("\r\n");
        if (!out.write(line))
            return false;
    }
    return true;
}

Text ExportFileText(const std::vector<CellRow>& rows) {
    StringSink sink;
    WriteExportText(rows, sink);
    return sink.take();
}

WriteResult SaveExportText(const std::filesystem::path& path, const std::vector<CellRow>& rows) {
    return WriteFileAtomically(path, [&](ByteSink& out) { return WriteExportText(rows, out); });
}

Text CopyRowText(const CellRow& row) {
    static const Text labels[] = {Gbk("查询时间："), Gbk("  快递单号："), Gbk("  快递公司："),
                                  Gbk("  最后更新："), Gbk("  最后状态：")};
    Text text;
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        const std::size_t column = i + 1;
        text.append(labels[i]);
        if (column < row.size())
            text.append(row[column]);
    }
    return text;
}

} // namespace tolvane
