// The item reading of the list files and the write/read round trip of the
// entries the editors accept.
#include "fuzz_support.h"
#include "startup/bas_usercode.h"

#include <QStringList>

namespace {
// The file's bytes as the list reader takes them.
QStringList items_of(const QByteArray &bytes) { return bas_usercode::read_items(QString::fromLocal8Bit(bytes)); }
QStringList items_of_text(const QString &text) { return bas_usercode::read_items(text); }

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
    for (const QString &entry : QString::fromLocal8Bit(bytes).split(QLatin1Char('\n')))
        if (bas_usercode::list_entry_storable(entry))
            stored << entry;
    QString file_text;
    for (const QString &entry : stored)
        file_text += bas_usercode::list_line(entry) + QStringLiteral("\r\n");
    fuzz::check(items_of_text(file_text) == stored, "storable entries did not read back as themselves");

    return 0;
}
