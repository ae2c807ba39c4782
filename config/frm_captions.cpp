#include "config/frm_captions.h"

#include "config/editor_window.h"
#include "config/handler_guard.h"
#include "startup/bas_usercode.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString k_title = QStringLiteral("Screen Saver Captions");
} // namespace

frm_captions::frm_captions(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Edit Screen Saver Captions"));
    guard_ = new handler_guard(this);

    List1 = new QListWidget(this);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setToolTip(QStringLiteral(" This is the list of captions that will be randomly displayed during the screen saver "));
    Text1 = new QLineEdit(this);
    Text1->setToolTip(QStringLiteral(" Enter a new caption here "));
    Command2 = new QPushButton(QStringLiteral("&Add"), this);
    Command2->setToolTip(QStringLiteral(" Adds the entered text into the caption list "));
    Command4 = new QPushButton(QStringLiteral("&Remove Selected Caption"), this);
    Command4->setToolTip(QStringLiteral(" Remove currently selected caption "));
    Command1 = new QPushButton(QStringLiteral("Save And &Exit"), this);
    Command1->setToolTip(QStringLiteral(" Save any changes and exit "));
    Command3 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command3->setToolTip(QStringLiteral(" Exit without saving any changes "));

    auto *entry = new QHBoxLayout;
    entry->addWidget(Text1, 1);
    entry->addWidget(Command2);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Command4);
    bottom->addStretch(1);
    bottom->addWidget(Command3);
    bottom->addWidget(Command1);
    auto *column = new QVBoxLayout(this);
    column->addWidget(List1, 1);
    column->addLayout(entry);
    column->addLayout(bottom);

    // Top to bottom, left to right.
    setTabOrder(List1, Text1);
    setTabOrder(Text1, Command2);
    setTabOrder(Command2, Command4);
    setTabOrder(Command4, Command3);
    setTabOrder(Command3, Command1);
    editor_window::keep_rows(List1, 8);
    editor_window::prepare_buttons(this);
    editor_window::size_client(this, k_client_width_twips, k_client_height_twips);

    Text1->installEventFilter(this);
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });

    Form_Load();
}

void frm_captions::Form_Load()
{
    List1->clear();
    bas_usercode::load_captions();
    for (int i = 1; i <= bas_usercode::caption_count; ++i)
        List1->addItem(bas_usercode::caption_list[static_cast<std::size_t>(i)]);
    // The user types a caption and presses Enter.
    Text1->setFocus();
}

void frm_captions::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    Text1->setFocus();
}

void frm_captions::Text1_KeyPress(int &key_ascii)
{
    if (key_ascii == 13) {
        key_ascii = 0;
        Command2_Click();
    }
}

void frm_captions::Command2_Click()
{
    const QString caption = Text1->text();
    if (caption.isEmpty())
        return;
    // The captions file holds 100 captions; a file of more loads as no list at all.
    if (List1->count() >= bas_usercode::k_caption_capacity) {
        (void)guard_->message_box(QStringLiteral("Maximum of 100 Captions Reached!"), k_title);
        return;
    }
    if (!bas_usercode::list_entry_storable(caption)) {
        (void)guard_->message_box(editor_window::unstorable_caption_message(caption), k_title);
        return;
    }
    List1->addItem(caption);
    List1->scrollToBottom();
    (void)guard_->do_events();
}

void frm_captions::Command4_Click()
{
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    if (!selected.isEmpty())
        delete selected.front();
    (void)guard_->do_events();
}

void frm_captions::Command1_Click()
{
    using namespace bas_usercode;
    caption_count = 0;
    // Adding stops at the capacity, so the list always fits the table.
    const int n = std::min(List1->count(), k_caption_capacity);
    if (n > 0) {
        for (int i = 1; i <= n; ++i)
            caption_list[static_cast<std::size_t>(i)] = List1->item(i - 1)->text();
        caption_count = n;
    }
    save_captions();
    accept();
}

void frm_captions::Command3_Click()
{
    reject();
}

bool frm_captions::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Text1 && e->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(e);
        int key_ascii = 0;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            key_ascii = 13;
        else if (!key->text().isEmpty())
            key_ascii = key->text().at(0).unicode();
        if (key_ascii == 0)
            return false;
        Text1_KeyPress(key_ascii);
        if (key_ascii != 0)
            return false;
        key->accept();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void frm_captions::keyPressEvent(QKeyEvent *e)
{
    if (!editor_window::handle_dialog_key(this, e))
        QDialog::keyPressEvent(e);
}
