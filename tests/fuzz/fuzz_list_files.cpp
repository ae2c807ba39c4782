// Loading the caption and audio list files: any bytes in the file give a list
// within its capacity that holds exactly the items read, or an empty list.
#include "fuzz_support.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"

#include <QFile>
#include <QStringList>

namespace {
// The file's bytes as the list reader takes them.
QStringList items_of(const QByteArray &bytes) { return bas_usercode::read_items(platform::text_from_bytes(bytes)); }

void write_file(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    fuzz::check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file not writable");
    f.write(bytes);
}

template <std::size_t N>
void check_loaded(const QStringList &items, const std::array<QString, N> &table, std::int32_t count)
{
    const int capacity = static_cast<int>(N) - 1;
    fuzz::check(count >= 0 && count <= capacity, "list count outside its capacity");
    if (items.size() > capacity) {
        fuzz::check(count == 0, "an over-long list did not load as empty");
        return;
    }
    fuzz::check(count == items.size(), "loaded count differs from the items read");
    for (int i = 1; i <= count; ++i)
        fuzz::check(table[i] == items[i - 1], "loaded entry differs from the item read");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::application();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList items = items_of(bytes);

    bas_shellcode::windows_dir = fuzz::scratch();
    write_file(bas_usercode::captions_file(), bytes);
    write_file(bas_usercode::audio_files_file(), bytes);
    bas_usercode::load_captions();
    bas_usercode::load_audio_files();
    check_loaded(items, bas_usercode::caption_list, bas_usercode::caption_count);
    check_loaded(items, bas_usercode::audio_list, bas_usercode::audio_count);

    // A missing file is an empty list.
    QFile::remove(bas_usercode::captions_file());
    bas_usercode::load_captions();
    fuzz::check(bas_usercode::caption_count == 0, "a missing file did not load as empty");
    return 0;
}
