// The item reading of the list files and the write/read round trip of the
// entries the editors accept.
#include "fuzz_support.h"
#include "platform/os.h"
#include "startup/bas_usercode.h"

#include <QStringList>

namespace {
// The file's bytes as the list reader takes them.
QStringList items_of(const QByteArray &bytes) { return bas_usercode::read_items(platform::text_from_bytes(bytes)); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    // Reading: at most one item per separator, plus one.
    const QStringList items = items_of(bytes);
    const qsizetype separators = bytes.count(',') + bytes.count('\n') + bytes.count('\r');
    fuzz::check(items.size() <= separators + 1, "more items than separators allow");

    // Every entry the editors accept comes back as itself, in order, from a
    // file written the way the save procedures write it.
    QStringList stored;
    for (const QString &entry : platform::text_from_bytes(bytes).split(QLatin1Char('\n')))
        if (bas_usercode::list_entry_storable(entry))
            stored << entry;
    QByteArray file_bytes;
    for (const QString &entry : stored) {
        const std::optional<QByteArray> line = bas_usercode::list_line(entry);
        fuzz::check(line.has_value(), "a storable entry has no line");
        file_bytes += *line + "\r\n";
    }
    fuzz::check(items_of(file_bytes) == stored, "storable entries did not read back as themselves");

    return 0;
}
