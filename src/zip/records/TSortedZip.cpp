// The member comparisons of the sort modes.
#include "zip/records/TSortedZip.h"

#include <cmath>

#include "zip/records/DosDateTime.h"

namespace zb::zip {

int compareNames(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : int(c); };
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int d = lower(static_cast<unsigned char>(a[i])) - lower(static_cast<unsigned char>(b[i]));
        if (d != 0) return d;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int compressionRate(const TZipHeaderInfo& h) {
    if (h.uncompressedSize == 0) return 0;
    double r = std::round(100.0 * double(h.compressedSize) / double(h.uncompressedSize));
    return r > 100 ? 100 : int(r);
}

int TSortedZip::compare(const TZipHeaderInfo& a, const TZipHeaderInfo& b) const {
    switch (mode_) {
        case ByName: return compareNames(a.storedName(), b.storedName());
        case ByFileName: return compareNames(a.fileName(), b.fileName());
        case ByDirectoryName: return compareNames(a.directory(), b.directory());
        case ByDate: {
            double da = dosDateTimeToDateTime(a.dosDateTime).value_or(0.0);
            double db = dosDateTimeToDateTime(b.dosDateTime).value_or(0.0);
            return db > da ? 1 : -1;
        }
        case ByCompressedSize: return b.compressedSize > a.compressedSize ? 1 : -1;
        case ByUnCompressedSize: return b.uncompressedSize > a.uncompressedSize ? 1 : -1;
        case ByRate: return compressionRate(b) - compressionRate(a);
        case ByNone:
        default:
            if (a.diskNumberStart != b.diskNumberStart) return a.diskNumberStart < b.diskNumberStart ? -1 : 1;
            if (a.relativeOffset != b.relativeOffset) return a.relativeOffset < b.relativeOffset ? -1 : 1;
            return 0;
    }
}

}  // namespace zb::zip
