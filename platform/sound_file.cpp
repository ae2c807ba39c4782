#include "platform/sound_file.h"

#include <QFile>
#include <QtEndian>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

std::optional<QByteArray> read_sound_file(const QByteArray &native_name)
{
#ifdef Q_OS_UNIX
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(native_name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > k_max_sound_file_bytes) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes(static_cast<qsizetype>(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, static_cast<std::size_t>(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the file shrank meanwhile: keep what is there
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return bytes;
#else
    QFile file(QFile::decodeName(native_name));
    if (!file.open(QIODevice::ReadOnly) || file.isSequential() || file.size() > k_max_sound_file_bytes)
        return std::nullopt;
    return file.read(k_max_sound_file_bytes);
#endif
}

qint64 decoded_wave_bytes(const QByteArray &wave, int rate, int channels, int sample_bytes)
{
    if (wave.size() < 12 || !wave.startsWith("RIFF") || wave.mid(8, 4) != "WAVE")
        return -1;
    quint16 file_channels = 0;
    quint32 file_rate = 0;
    quint16 block_align = 0;
    qint64 data_bytes = -1;
    qsizetype at = 12;
    while (at + 8 <= wave.size()) {
        const char *chunk = wave.constData() + at;
        const qint64 size = qFromLittleEndian<quint32>(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && at + 8 + 16 <= wave.size()) {
            file_channels = qFromLittleEndian<quint16>(chunk + 10);
            file_rate = qFromLittleEndian<quint32>(chunk + 12);
            block_align = qFromLittleEndian<quint16>(chunk + 20);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            data_bytes = std::min<qint64>(size, wave.size() - at - 8);
        }
        at += 8 + size + (size & 1);
    }
    if (data_bytes < 0 || file_rate == 0 || file_channels == 0 || block_align == 0)
        return -1;
    const double frames = static_cast<double>(data_bytes / block_align);
    const double decoded = frames * rate / file_rate * channels * sample_bytes;
    return decoded > 9.0e18 ? INT64_MAX : static_cast<qint64>(decoded);
}

} // namespace platform
