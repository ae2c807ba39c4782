#include "config/editor_window.h"

#include "startup/bas_shellcode.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace editor_window {

namespace {
int twips_to_pixels(int twips, int twips_per_pixel)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / std::max(1, twips_per_pixel)));
}
} // namespace

void size_client(QDialog *dialog, int twips_w, int twips_h)
{
    const QSize designed(twips_to_pixels(twips_w, bas_shellcode::twips_per_pixel_x),
                         twips_to_pixels(twips_h, bas_shellcode::twips_per_pixel_y));
    QSize needed = dialog->layout() ? dialog->layout()->totalMinimumSize() : QSize();
    const QSize size = designed.expandedTo(needed);
    dialog->setMinimumSize(size);
    dialog->resize(size);
}

void keep_rows(QAbstractScrollArea *list, int rows)
{
    // A line of a list is its text and a little padding (or a small icon).
    const int line = std::max(QFontMetrics(list->font()).height() + 2, 17);
    list->setMinimumHeight(rows * line + 2 * list->frameWidth());
}

void prepare_buttons(QDialog *dialog)
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

bool handle_dialog_key(QDialog *dialog, QKeyEvent *e)
{
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter)
        return false;
    if ((e->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    e->accept();
    if (auto *button = qobject_cast<QPushButton *>(dialog->focusWidget()); button && button->isEnabled())
        button->click();
    return true;
}

QString unstorable_caption_message(const QString &caption)
{
    QString why;
    if (caption.contains(QLatin1Char('"')))
        why = QStringLiteral("Leave out the double quotes (\") and try again.");
    else if (caption.back().isSpace())
        why = QStringLiteral("Remove the blanks at its end and try again.");
    else
        why = QStringLiteral("Change the caption and try again.");
    return QStringLiteral("This caption cannot be added: the caption list would not read it back exactly as typed.")
        + QChar(13) + why;
}

QString unstorable_file_message(const QString &path)
{
    return QStringLiteral("This file cannot be added: the audio list cannot hold its name exactly as it is") + QChar(13)
        + path + QChar(13) + QStringLiteral("Rename the file (without double quotes, commas or line breaks) and add it again.");
}

} // namespace editor_window
