#include "keeping/cfb_writer.h"

#include "keeping/little_endian.h"

#include <cstdint>
#include <string>

namespace tolvane {
namespace {

constexpr std::uint32_t kSectorSize = 512;
constexpr std::uint32_t kEntriesPerSector = kSectorSize / 4;
constexpr std::uint32_t kHeaderFatSlots = 109;
constexpr std::uint32_t kMiniStreamCutoff = 4096;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

struct Layout {
    std::uint32_t streamSize = 0;
    std::uint32_t streamSectors = 0;
    std::uint32_t fatSectors = 0;
    std::uint32_t difatSectors = 0;

    std::uint32_t firstFat() const { return streamSectors; }
    std::uint32_t firstDifat() const { return streamSectors + fatSectors; }
    std::uint32_t directory() const { return firstDifat() + difatSectors; }
    std::uint32_t totalSectors() const { return directory() + 1; }
};

std::uint32_t difatSectorsFor(std::uint32_t fatSectors) {
    if (fatSectors <= kHeaderFatSlots)
        return 0;
    return (fatSectors - kHeaderFatSlots + kEntriesPerSector - 2) / (kEntriesPerSector - 1);
}

// Stream first, then the FAT, the DIFAT and one directory sector; the FAT must
// also map its own sectors, so grow it until everything fits.
Layout planLayout(std::size_t streamSize) {
    Layout layout;
    layout.streamSize =
        static_cast<std::uint32_t>(std::max<std::size_t>(streamSize, kMiniStreamCutoff));
    layout.streamSectors = (layout.streamSize + kSectorSize - 1) / kSectorSize;
    layout.fatSectors = 1;
    while (true) {
        layout.difatSectors = difatSectorsFor(layout.fatSectors);
        if (layout.totalSectors() <= kEntriesPerSector * layout.fatSectors)
            return layout;
        ++layout.fatSectors;
    }
}

std::string header(const Layout& layout) {
    std::string out;
    out.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out.append(16, '\0');   // class id
    AppendU16(out, 0x003E); // minor version
    AppendU16(out, 0x0003); // major version
    AppendU16(out, 0xFFFE); // byte order
    AppendU16(out, 9);      // sector shift: 512
    AppendU16(out, 6);      // mini sector shift: 64
    out.append(6, '\0');    // reserved
    AppendU32(out, 0);      // directory sector count (version 3)
    AppendU32(out, layout.fatSectors);
    AppendU32(out, layout.directory());
    AppendU32(out, 0); // transaction signature
    AppendU32(out, kMiniStreamCutoff);
    AppendU32(out, kEndOfChain); // no mini FAT
    AppendU32(out, 0);
    AppendU32(out, layout.difatSectors ? layout.firstDifat() : kEndOfChain);
    AppendU32(out, layout.difatSectors);
    for (std::uint32_t i = 0; i < kHeaderFatSlots; ++i)
        AppendU32(out, i < layout.fatSectors ? layout.firstFat() + i : kFree);
    return out;
}

std::string fat(const Layout& layout) {
    std::string out;
    out.reserve(std::size_t{layout.fatSectors} * kSectorSize);
    for (std::uint32_t sector = 0; sector < layout.fatSectors * kEntriesPerSector; ++sector) {
        std::uint32_t entry = kFree;
        if (sector + 1 < layout.streamSectors)
            entry = sector + 1;
        else if (sector + 1 == layout.streamSectors)
            entry = kEndOfChain;
        else if (sector < layout.firstDifat())
            entry = kFatSector;
        else if (sector < layout.directory())
            entry = kDifatSector;
        else if (sector == layout.directory())
            entry = kEndOfChain;
        AppendU32(out, entry);
    }
    return out;
}

// Each DIFAT sector lists 127 further FAT sectors and ends with the next DIFAT sector.
std::string difat(const Layout& layout) {
    std::string out;
    std::uint32_t fatIndex = kHeaderFatSlots;
    for (std::uint32_t k = 0; k < layout.difatSectors; ++k) {
        for (std::uint32_t slot = 0; slot + 1 < kEntriesPerSector; ++slot, ++fatIndex)
            AppendU32(out, fatIndex < layout.fatSectors ? layout.firstFat() + fatIndex : kFree);
        const bool last = k + 1 == layout.difatSectors;
        AppendU32(out, last ? kEndOfChain : layout.firstDifat() + k + 1);
    }
    return out;
}

void appendDirectoryEntry(std::string& out, std::u16string_view name, std::uint8_t type,
                          std::uint32_t child, std::uint32_t start, std::uint32_t size) {
    const std::size_t begin = out.size();
    for (char16_t unit : name)
        AppendU16(out, static_cast<std::uint16_t>(unit));
    out.resize(begin + 64, '\0');
    AppendU16(out, name.empty() ? 0 : static_cast<std::uint16_t>((name.size() + 1) * 2));
    AppendU8(out, type);
    AppendU8(out, type == 0 ? 0 : 1); // black
    AppendU32(out, kNoEntry);         // left sibling
    AppendU32(out, kNoEntry);         // right sibling
    AppendU32(out, child);
    out.append(16 + 4 + 16, '\0'); // class id, state bits, times
    AppendU32(out, start);
    AppendU32(out, size);
    AppendU32(out, 0);
}

std::string directory(const Layout& layout) {
    std::string out;
    appendDirectoryEntry(out, u"Root Entry", 5, 1, kEndOfChain, 0);
    appendDirectoryEntry(out, u"Workbook", 2, kNoEntry, 0, layout.streamSize);
    appendDirectoryEntry(out, u"", 0, kNoEntry, 0, 0);
    appendDirectoryEntry(out, u"", 0, kNoEntry, 0, 0);
    return out;
}

} // namespace

bool WriteCompoundFile(std::string_view workbookStream, ByteSink& out) {
    // Version 3 files record a stream's size in 32 bits.
    if (workbookStream.size() > 0xFFFFFE00u)
        return false;
    const Layout layout = planLayout(workbookStream.size());
    const std::size_t padding =
        std::size_t{layout.streamSectors} * kSectorSize - workbookStream.size();
    return out.write(header(layout)) && out.write(workbookStream) &&
           out.write(std::string(padding, '\0')) && out.write(fat(layout)) &&
           out.write(difat(layout)) && out.write(directory(layout));
}

} // namespace tolvane
