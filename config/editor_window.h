#pragma once
// What the two list editors share: their size from the designed client area,
// their keyboard rules and the texts that explain a refused entry.
#include <QString>

class QAbstractScrollArea;
class QDialog;
class QKeyEvent;

namespace editor_window {

// Client area of `twips_w` × `twips_h` twips at the screen's twips per pixel,
// grown where the desktop's fonts need more room than that.
void size_client(QDialog *dialog, int twips_w, int twips_h);

// Room for at least `rows` lines of text in a list, in the list's own font,
// so that larger fonts make the window taller instead of the lists shorter.
void keep_rows(QAbstractScrollArea *list, int rows);

// Enter presses only the button that has the focus (no button waits as a
// default that Enter in a list would press); buttons are not drawn as defaults.
void prepare_buttons(QDialog *dialog);
// Enter and Return that no control took: pressed on a focused button, swallowed
// elsewhere. True when the key was handled.
bool handle_dialog_key(QDialog *dialog, QKeyEvent *e);

// Why a caption or a sound file cannot go into its list.
QString unstorable_caption_message(const QString &caption);
QString unstorable_file_message(const QString &path);

} // namespace editor_window
