#include "files/zlib_section.h"

#include <zlib.h>

namespace qv {

QByteArray deflateSection(QByteArrayView block) {
    uLongf bound = compressBound(uLong(block.size()));
    QByteArray out(int(bound), '\0');
    const int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &bound,
                             reinterpret_cast<const Bytef*>(block.data()), uLong(block.size()), 9);
    if (rc != Z_OK) return {};  // only on exhausted memory; the callers check for an empty result
    out.resize(int(bound));
    return out;
}

Expected<QByteArray> inflateSection(QByteArrayView stream, int maxSize) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return Result::failure(QStringLiteral("the decompressor cannot start"));
    // One byte of headroom tells "exactly maxSize" from "more than maxSize".
    QByteArray out(maxSize + 1, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    zs.avail_in = uInt(stream.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    const int rc = inflate(&zs, Z_FINISH);
    const qsizetype produced = out.size() - qsizetype(zs.avail_out);
    inflateEnd(&zs);
    if (produced > maxSize) return Result(ResultCode::TooLarge, QStringLiteral("it unpacks to more than %1 bytes").arg(maxSize));
    if (rc != Z_STREAM_END) return Result(ResultCode::Damaged, QStringLiteral("its compressed data is damaged or cut short"));
    out.resize(produced);
    return out;
}

}  // namespace qv
