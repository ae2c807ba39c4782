#pragma once
// Password protection's shared procedures: the system's "password required"
// flag, centring a window on the screen, the look of a password box, and the
// wiring that puts a saver window under password protection.
#include <QString>
#include <cstdint>

class QLineEdit;
class QWidget;
class frm_screensaver;

namespace bas_password {

// The predefined root keys of the registry whose values the program reads.
inline constexpr std::int32_t HKEY_CLASSES_ROOT = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t HKEY_CURRENT_USER = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t HKEY_LOCAL_MACHINE = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t HKEY_USERS = static_cast<std::int32_t>(0x80000003u);
inline constexpr std::int32_t HKEY_PERFORMANCE_DATA = static_cast<std::int32_t>(0x80000004u);
inline constexpr std::int32_t HKEY_CURRENT_CONFIG = static_cast<std::int32_t>(0x80000005u);
inline constexpr std::int32_t HKEY_DYN_DATA = static_cast<std::int32_t>(0x80000006u);

// True when the current user's "ScreenSaveUsePassword" value under
// "Control Panel\Desktop", read as a lenient number, is not 0. Read afresh on
// every call.
bool use_password_enabled();

// A value of the current user's registry as text; empty when there is none.
// The current user's values live in the program's per-user settings file, one
// group per key named after the key path's last part ("Control Panel\Desktop"
// is [Desktop]). Other roots have no values here.
QString read_registry_value(std::int32_t root, const QString &key_path, const QString &value_name);

// Centres a window on the primary screen without changing its size, then lets
// pending events run.
void place_window(QWidget *window);

// A text box for a password: every character shows as "*", and it has no
// context menu (a menu would take the pointer from the saver that holds it).
void make_password_box(QLineEdit *box);

// Puts a saver window under password protection: it asks the system flag when
// input counts, opens the prompt over itself, holds the keyboard and pointer
// while it runs, and ends orderly when the session ends.
void protect_saver(frm_screensaver &saver);

} // namespace bas_password
