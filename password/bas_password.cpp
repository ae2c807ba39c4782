#include "password/bas_password.h"

#include "engine/frm_screensaver.h"
#include "password/frm_checkpassword.h"
#include "platform/input_hold.h"
#include "platform/session_end.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "startup/numbers.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QWidget>

namespace bas_password {

namespace {
// The password character of every password box: a star, whatever the style.
class star_style : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};
} // namespace

bool use_password_enabled()
{
    const QString flag = read_registry_value(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"),
                                             QStringLiteral("ScreenSaveUsePassword"));
    return numbers::lenient_value(flag) != 0.0;
}

QString read_registry_value(std::int32_t root, const QString &key_path, const QString &value_name)
{
    // Of the predefined roots only the current user's has values on this system.
    if (root != HKEY_CURRENT_USER)
        return {};
    const QString group = key_path.section(QLatin1Char('\\'), -1);
    if (group.isEmpty() || value_name.isEmpty())
        return {};
    return bas_shellcode::get_setting(value_name, QString(), group);
}

void place_window(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!window || !screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    const double left = area.width() / 2.0 - size.width() / 2.0;
    const double top = area.height() / 2.0 - size.height() / 2.0;
    window->move(area.x() + static_cast<int>(numbers::round_even(left)),
                 area.y() + static_cast<int>(numbers::round_even(top)));
    platform::do_events();
}

void make_password_box(QLineEdit *box)
{
    static QPointer<star_style> stars;
    if (!stars) {
        stars = new star_style;
        stars->setParent(qApp);
    }
    box->setStyle(stars);
    box->setEchoMode(QLineEdit::Password);
    box->setContextMenuPolicy(Qt::NoContextMenu);
}

void protect_saver(frm_screensaver &saver)
{
    saver.password_required = [] { return use_password_enabled(); };
    saver.open_password_prompt = [&saver] { frm_checkpassword::open_over(saver); };
    auto *hold = new platform::input_hold(&saver, [] { return use_password_enabled(); });
    saver.hold_input = [hold](bool held) { hold->set_held(held); };
    platform::close_on_session_end(&saver);
}

} // namespace bas_password
