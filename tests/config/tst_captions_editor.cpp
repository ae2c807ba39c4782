// The captions editor, driven through its real widgets and its real message boxes.
#include "box_closer.h"
#include "config/frm_captions.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "test_env.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {
QByteArray file_bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void write_captions(const QStringList &lines)
{
    QFile f(bas_usercode::captions_file());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const QString &line : lines)
        f.write(line.toLocal8Bit() + "\r\n");
}

QStringList numbered(int n)
{
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines << QStringLiteral("Caption %1").arg(i);
    return lines;
}

QStringList list_lines(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

// Runs the editor modally, as the options dialog does, with `script` playing the user.
int run_modal(frm_captions &editor, std::function<void()> script)
{
    QTimer::singleShot(0, &editor, [&editor, script] {
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        script();
    });
    QTimer::singleShot(20000, &editor, [&editor] { editor.reject(); });
    return editor.exec();
}

const QStringList k_three = {QStringLiteral("Welcome To Zentara Screen Saver"), QStringLiteral("Second"),
                             QStringLiteral("Third")};
} // namespace

class tst_captions_editor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
    }

    void init() { write_captions(k_three); }

    void texts_layout_and_focus()
    {
        frm_captions editor;
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Screen Saver Captions"));
        QCOMPARE(editor.List1->toolTip(),
                 QStringLiteral(" This is the list of captions that will be randomly displayed during the screen saver "));
        QCOMPARE(editor.Text1->toolTip(), QStringLiteral(" Enter a new caption here "));
        const QList<std::tuple<QPushButton *, const char *, const char *>> buttons = {
            {editor.Command2, "&Add", " Adds the entered text into the caption list "},
            {editor.Command4, "&Remove Selected Caption", " Remove currently selected caption "},
            {editor.Command1, "Save And &Exit", " Save any changes and exit "},
            {editor.Command3, "&Cancel", " Exit without saving any changes "},
        };
        for (const auto &[button, text, tip] : buttons) {
            QCOMPARE(button->text(), QString::fromLatin1(text));
            QCOMPARE(button->toolTip(), QString::fromLatin1(tip));
            QVERIFY(!button->isDefault());
        }
        QCOMPARE(editor.List1->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!editor.List1->isSortingEnabled());
        QCOMPARE(editor.Text1->maxLength(), 32767); // the line edit's own, which no caption reaches
        QCOMPARE(list_lines(editor.List1), k_three);
        QVERIFY(editor.Text1->text().isEmpty());

        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        // 6705 × 3930 twips at 15 twips per pixel, or more where the fonts need it.
        QVERIFY(editor.width() >= 447 && editor.height() >= 262);
        for (QPushButton *button : editor.findChildren<QPushButton *>())
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
        // List above the entry line above the buttons; Remove left, Cancel then Save at the right.
        QVERIFY(editor.List1->geometry().bottom() < editor.Text1->geometry().top());
        QCOMPARE(editor.Text1->geometry().center().y(), editor.Command2->geometry().center().y());
        QVERIFY(editor.Text1->geometry().right() < editor.Command2->geometry().left());
        QVERIFY(editor.Text1->geometry().bottom() < editor.Command4->geometry().top());
        QVERIFY(editor.Command4->geometry().right() < editor.Command3->geometry().left());
        QVERIFY(editor.Command3->geometry().right() < editor.Command1->geometry().left());

        // The text box has the focus; Tab walks top to bottom, left to right.
        QCOMPARE(QApplication::focusWidget(), editor.Text1);
        QList<QWidget *> order;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget();
        }
        const QList<QWidget *> expected = {editor.Command2, editor.Command4, editor.Command3,
                                           editor.Command1, editor.List1,   editor.Text1};
        QCOMPARE(order, expected);
    }

    void type_enter_and_save()
    {
        // A caption typed into the box that has the focus, Enter twice, Alt+E.
        frm_captions editor;
        box_closer boxes;
        QStringList shown;
        const int result = run_modal(editor, [&] {
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Hello, world"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(editor.Text1->text(), QStringLiteral("Hello, world")); // the box keeps its text
            QVERIFY(editor.isVisible());                                      // Enter did not close the editor
            shown = list_lines(editor.List1);
            QTest::keyClick(&editor, Qt::Key_E, Qt::AltModifier);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(shown, k_three + QStringList({"Hello, world", "Hello, world"}));
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(file_bytes(bas_usercode::captions_file()),
                 QByteArray("Welcome To Zentara Screen Saver\r\nSecond\r\nThird\r\n"
                            "\"Hello, world\"\r\n\"Hello, world\"\r\n"));
        QCOMPARE(bas_usercode::caption_count, 5);
        // The next opening shows the caption whole.
        frm_captions again;
        QCOMPARE(list_lines(again.List1), shown);
    }

    void add_and_remove_edge_cases()
    {
        frm_captions editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        // Add with an empty box does nothing.
        QTest::mouseClick(editor.Command2, Qt::LeftButton);
        QCOMPARE(list_lines(editor.List1), k_three);
        // Remove without a selection does nothing.
        editor.List1->setCurrentRow(-1);
        editor.List1->clearSelection();
        QTest::mouseClick(editor.Command4, Qt::LeftButton);
        QCOMPARE(list_lines(editor.List1), k_three);
        // Remove with the second line clicked removes that line alone.
        const QRect second = editor.List1->visualItemRect(editor.List1->item(1));
        QTest::mouseClick(editor.List1->viewport(), Qt::LeftButton, {}, second.center());
        // A mnemonic presses its button the way a click does, a moment later.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
        QTRY_COMPARE(list_lines(editor.List1), (QStringList{k_three[0], k_three[2]}));
        // Nothing reached the file yet.
        QCOMPARE(file_bytes(bas_usercode::captions_file()),
                 QByteArray("Welcome To Zentara Screen Saver\r\nSecond\r\nThird\r\n"));
    }

    void save_of_an_empty_list()
    {
        frm_captions editor;
        editor.show();
        while (editor.List1->count() > 0) {
            editor.List1->setCurrentRow(0);
            QTest::mouseClick(editor.Command4, Qt::LeftButton);
        }
        QTest::mouseClick(editor.Command1, Qt::LeftButton);
        QVERIFY(!editor.isVisible());
        QCOMPARE(file_bytes(bas_usercode::captions_file()), QByteArray());
        QCOMPARE(bas_usercode::caption_count, 0);
    }

    void leaving_without_saving_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Alt+C") << "alt-c";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }
    void leaving_without_saving()
    {
        QFETCH(QString, how);
        const QByteArray before = file_bytes(bas_usercode::captions_file());
        frm_captions editor;
        const int result = run_modal(editor, [&] {
            QTest::keyClicks(editor.Text1, QStringLiteral("Not kept"));
            QTest::keyClick(editor.Text1, Qt::Key_Return);
            editor.List1->setCurrentRow(0);
            QTest::mouseClick(editor.Command4, Qt::LeftButton);
            QCOMPARE(editor.List1->count(), 3);
            if (how == "cancel")
                QTest::mouseClick(editor.Command3, Qt::LeftButton);
            else if (how == "alt-c")
                QTest::keyClick(&editor, Qt::Key_C, Qt::AltModifier);
            else if (how == "escape")
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                editor.close();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(file_bytes(bas_usercode::captions_file()), before);
    }

    void hundred_captions_at_most()
    {
        write_captions(numbered(99));
        frm_captions editor;
        editor.show();
        box_closer boxes;
        QTest::keyClicks(editor.Text1, QStringLiteral("One hundred"));
        QTest::keyClick(editor.Text1, Qt::Key_Return);
        QCOMPARE(editor.List1->count(), 100);
        QVERIFY(boxes.seen.isEmpty());
        // The 101st is refused with a box: saved, it would empty the whole list.
        QTest::keyClicks(editor.Text1, QStringLiteral("!"));
        QTest::keyClick(editor.Text1, Qt::Key_Return);
        QCOMPARE(editor.List1->count(), 100);
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Maximum of 100 Captions Reached!"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Screen Saver Captions"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.seen[0].buttons, QStringList{"OK"});
        QTest::mouseClick(editor.Command1, Qt::LeftButton);
        bas_usercode::load_captions();
        QCOMPARE(bas_usercode::caption_count, 100);
        QCOMPARE(bas_usercode::caption_list[100], QStringLiteral("One hundred"));
    }

    void entries_the_list_cannot_hold_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("added");
        QTest::newRow("comma") << "Stars, planets and moons" << true;
        QTest::newRow("leading blank") << "  indented" << true;
        QTest::newRow("quote inside") << "The \"Eagle\" has landed" << true;
        QTest::newRow("starts with a quote") << "\"Eagle\" landed" << false;
        QTest::newRow("quote and comma") << "Say \"hi\", then go" << false;
    }
    void entries_the_list_cannot_hold()
    {
        QFETCH(QString, caption);
        QFETCH(bool, added);
        frm_captions editor;
        editor.show();
        box_closer boxes;
        QTest::keyClicks(editor.Text1, caption);
        QTest::mouseClick(editor.Command2, Qt::LeftButton);
        QCOMPARE(editor.List1->count(), added ? 4 : 3);
        if (added) {
            QVERIFY(boxes.seen.isEmpty());
            QTest::mouseClick(editor.Command1, Qt::LeftButton);
            bas_usercode::load_captions();
            QCOMPARE(bas_usercode::caption_count, 4);
            QCOMPARE(bas_usercode::caption_list[4], caption);
            return;
        }
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY2(boxes.seen[0].text.startsWith("This caption cannot be added"), qPrintable(boxes.seen[0].text));
        QVERIFY(boxes.seen[0].text.contains("double quotes"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Screen Saver Captions"));
        QCOMPARE(boxes.seen[0].buttons, QStringList{"OK"});
    }

    void window_outlives_its_message_box_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("delete later and close") << "later";
        QTest::newRow("deleted outright") << "delete";
    }
    void window_outlives_its_message_box()
    {
        // Something ends the editor while the handler waits in its box.
        QFETCH(QString, meanwhile);
        write_captions(numbered(100));
        QPointer<frm_captions> editor = new frm_captions;
        editor->show();
        box_closer boxes;
        bool alive_after_handler = false;
        boxes.during = [&](int) {
            if (meanwhile == "later") {
                editor->deleteLater();
                editor->close();
                QCoreApplication::processEvents();
                QVERIFY(editor && editor->isVisible());
            } else {
                delete editor;
            }
        };
        QTimer::singleShot(0, qApp, [&] {
            QTest::keyClicks(editor->Text1, QStringLiteral("x"));
            QTest::keyClick(editor->Text1, Qt::Key_Return);
            alive_after_handler = !editor.isNull();
        });
        QTRY_COMPARE(boxes.seen.size(), 1);
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(alive_after_handler, meanwhile == "later");
    }
};

QTEST_MAIN(tst_captions_editor)
#include "tst_captions_editor.moc"
