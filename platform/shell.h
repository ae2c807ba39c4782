#pragma once
// Starting other programs: documents and web addresses through the desktop's
// default handler, and tools found on the PATH.
#include <QString>
#include <QStringList>

namespace platform {

// Opens a local file with the desktop's default handler for its type. False when
// the file does not exist or the desktop has no handler for it. Waits at most a
// few seconds for the desktop's answer; the handler then runs on its own.
bool open_document(const QString &path);
// Opens a web address with the default browser. False when there is none.
bool open_web_address(const QString &address);

// The full path of a program on the PATH; empty when there is none.
QString find_program(const QString &name);
// Starts a program detached from this process (it outlives it). False when it
// could not be started.
bool start_detached(const QString &program, const QStringList &arguments);

} // namespace platform
